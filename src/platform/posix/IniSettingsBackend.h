#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/SettingsBackend.h"
#include "platform/posix/SettingsFiles.h"

namespace platform {

// Settings in INI files that QSettings can read too, one file per section:
// <config root>/<application>/<section>.conf, where the config root is
// $XDG_CONFIG_HOME or ~/.config.
//
// Every read looks at the file, so a value another running copy saved is seen
// at once; the file is parsed again only when it changed (another identity,
// size or time), so a start-up reads it once. Every write, and every group of
// writes (writeAll), replaces the file atomically (a new file renamed over the
// old one), so a crash leaves the old or the new file, never a torn one. A
// file its user made read-only is left alone.
// Files are 0600 and a folder this creates is 0700: command lines may be private.
//
// A settings file that is a symbolic link is followed: the file it leads to
// is replaced in its own folder. A save never replaces what is not a regular
// file (a link to /dev/null means "do not save") and never writes where
// another user could have planted the link or swap the file (see SaveTarget).
//
// Problems never stop the program: a file that cannot be read yields defaults;
// a damaged file is kept aside as "<file>.unreadable-<time>" before it is first
// replaced; a value that cannot be saved is kept in memory for the session.
// Each problem is said once on standard error and kept in warnings().
class IniSettingsBackend : public SettingsBackend {
public:
    explicit IniSettingsBackend(std::optional<std::filesystem::path> configRoot = std::nullopt);

    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    Result write(const std::string& application, const std::string& section, const std::string& key,
                 const std::string& value) override;
    Result writeAll(const std::string& application, const std::string& section,
                    const Values& values) override;

    void sessionEnding() override { ending_ = true; }

    // The file that holds a section; nothing when there is no settings folder
    // or the names cannot make a file name.
    std::optional<std::filesystem::path> filePath(const std::string& application,
                                                  const std::string& section) const;

    // Where a problem is said; standard error when unset.
    std::function<void(const std::string& text)> onWarning;

    // Every problem said so far, once each, in the order it arose.
    const std::vector<std::string>& warnings() const { return warnings_; }

    // $XDG_CONFIG_HOME if it is an absolute path, else $HOME/.config, else nothing.
    static std::optional<std::filesystem::path> configRootFromEnvironment();

private:
    using SectionId = std::pair<std::string, std::string>;

    // The last version of a file read or written, parsed.
    struct Parsed {
        settingsfiles::Stamp stamp;
        ini::Document document;
    };

    std::optional<std::filesystem::path> locate(const std::string& application, const std::string& section);
    void hold(const SectionId& id, const std::string& key, const std::string& value);
    bool saveSection(const SectionId& id, const std::filesystem::path& settingsFile);
    void warn(const std::string& message);
    std::string keptNote() const;
    std::string keptEnd() const;  // "; " and the note
    // Says a save's problem once and keeps it as the reason the save fails.
    bool fail(const std::string& message);

    std::optional<std::filesystem::path> root_;
    // Values whose save failed or is under way, by section, in the order they
    // were saved; reads prefer them until they are saved.
    std::map<SectionId, Values> unsaved_;
    std::map<std::filesystem::path, Parsed> parsed_;
    // Damaged files (device, inode) already kept aside in this session.
    std::set<std::pair<dev_t, ino_t>> keptAside_;
    std::set<std::string> said_;
    std::string locateProblem_;  // why the last section had no file
    std::string locateNote_;     // the end of it: what that means for the session
    std::string writeProblem_;   // why the save under way failed
    std::string writeNote_;      // the end of it: what that means for the session
    std::vector<std::string> warnings_;
    bool ending_ = false;  // the shut-down's writes are under way
};

}  // namespace platform
