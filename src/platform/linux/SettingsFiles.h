#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "platform/linux/IniText.h"

// File-system steps of the INI settings backend. Each reports a failure as a
// short reason text instead of throwing, so the caller can carry on.
namespace platform::settingsfiles {

struct Loaded {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    ini::Document document;
    std::string reason;  // why it could not be read
    std::optional<std::pair<dev_t, ino_t>> identity;
};

Loaded load(const std::filesystem::path& file);

// Creates the folder and any missing parents, each 0700. Nothing on success.
std::optional<std::string> makeFolder(const std::filesystem::path& folder);

// Writes a new file beside the old one (0600 from the start) and renames it
// over the old one. Nothing on success.
std::optional<std::string> replace(const std::filesystem::path& file, const std::string& text);

// Keeps the file under "<file>.unreadable-<UTC time>", never over an existing
// name. The new name, or the reason it failed.
std::variant<std::filesystem::path, std::string> keepAside(const std::filesystem::path& file);

// A symbolic link is followed, so the file it points at is the one updated.
std::filesystem::path resolve(const std::filesystem::path& file);

// Serialises changes between running copies while one reads, edits and
// replaces a file. Held for milliseconds; after a bounded wait it gives up
// and lets the caller go on unlocked rather than hang the program.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace platform::settingsfiles
