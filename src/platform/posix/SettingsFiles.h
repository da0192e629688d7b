#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "platform/posix/IniText.h"

// File-system steps of the INI settings backend. Each reports a failure as a
// short reason text instead of throwing, so the caller can carry on.
namespace platform::settingsfiles {

// What tells one version of a file from another: a replace makes a new file
// (a new identity), and an edit in place changes the size or the time.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
};

// The folder a file is in: "." for a bare name.
inline std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
}

// The stamp of the file now; nothing when it cannot be looked at (absent).
std::optional<Stamp> stampOf(const std::filesystem::path& file);

struct Loaded {
    enum class State { Missing, Read, Unreadable, NotRegular };
    State state = State::Missing;
    ini::Document document;
    std::string reason;  // why it could not be read, or is no settings file
    std::optional<std::pair<dev_t, ino_t>> identity;
    std::optional<Stamp> stamp;  // of the very bytes read
};

Loaded load(const std::filesystem::path& file);

// True when the file exists and is marked read-only (no write permission for
// anyone, or none for us): its owner does not want it changed.
bool readOnly(const std::filesystem::path& file);

// Creates the folder and any missing parents, each 0700. Nothing on success.
std::optional<std::string> makeFolder(const std::filesystem::path& folder);

// Writes a new file beside the old one (0600 from the start) and renames it
// over the old one: the stamp of the new file, or the reason it failed (the
// old file is then untouched and no temporary file is left). Temporary files
// of a writer that died before its rename are removed on the way.
// `file` must be where saveTargetOf says a save may go.
std::variant<Stamp, std::string> replace(const std::filesystem::path& file, const std::string& text);

// Removes "<file>.new-XXXXXX" files that no live writer holds. A writer
// locks its temporary file before it writes and checks that the name is
// still its file; a remover unlinks only a name that still is the file it
// locked. So a live writer's file is never removed, and a writer whose new
// file went before it could lock it makes another.
void removeStrayTemporaries(const std::filesystem::path& file);

// Keeps the file under "<file>.unreadable-<UTC time>", never over an existing
// name. The new name, or the reason it failed.
std::variant<std::filesystem::path, std::string> keepAside(const std::filesystem::path& file);

// Serialises changes between running copies while one reads, edits and
// replaces a file. Held for milliseconds; after a bounded wait (a copy that
// was stopped while it held the lock) it gives up and lets the caller go on
// unlocked rather than hang the program: a change of another copy may then
// be lost to this one, but each writer's new file stays whole and its own.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return held_; }

private:
    bool held_ = false;
    int fd_ = -1;
};

}  // namespace platform::settingsfiles
