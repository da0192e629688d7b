#pragma once

#include <filesystem>
#include <optional>
#include <string>

// A small secret kept in a file of its own (the remote-desktop portal's
// consent token). Unlike the settings, it is never taken from or written
// through anything but a plain file of the user's: a link, a FIFO or a device
// put in its place could freeze the program, feed it another file's text, or
// have the secret written over that file.
namespace platform::posix {

struct TokenRead {
    std::string token;    // empty: none to hand over
    std::string problem;  // non-empty: a file is there but was not used, and why
};

inline constexpr std::size_t kLargestToken = 4096;

// Reads the first line of `file`, trimmed. A missing file is no token and no
// problem. Opened without following a link and without blocking; only a
// regular file of the user's with a single name and at most 4 KiB is read.
TokenRead readToken(const std::filesystem::path& file);

// Replaces `file` with a new regular file, mode 0600, holding `token` and a
// line end: written beside it, flushed, then renamed over whatever had the
// name, so a link there is replaced, never written through; what a writer
// that died left beside it goes. The folder is made (0700) if missing.
// Nothing on success, else why it failed.
std::optional<std::string> writeToken(const std::filesystem::path& file, const std::string& token);

}  // namespace platform::posix
