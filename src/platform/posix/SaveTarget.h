#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

// Where a save of a settings file lands, and whether it may land there. A
// settings file may be a symbolic link (dotfile managers make them); the file
// it leads to is the one replaced. What a save may never do is replace
// something that is not a regular file (a link to /dev/null means "do not
// save") or write where another user could have planted the link or could
// swap the file.
namespace platform::settingsfiles {

struct SaveTarget {
    std::filesystem::path file;  // the regular file to replace, or where a new one goes
    std::string refusal;         // non-empty: nothing may be written, and why
    bool notRegular = false;     // the path leads to something that is not a regular file
};

// Follows the links of `file`. Every folder met on the way, the last one's
// included, and the file at the end must belong to the user running the
// program or to root, and must not be writable by group or others. Only
// ownership and modes count, never whether a write would succeed, so the
// rule holds for root as well.
SaveTarget saveTargetOf(const std::filesystem::path& file);

// Why a file of this mode is no settings file ("it is a FIFO, not a regular
// file"); nothing for a regular file.
std::optional<std::string> notRegularReason(mode_t mode);

}  // namespace platform::settingsfiles
