#pragma once

#include <optional>
#include <string_view>

namespace platform::posix {

// The kernel keeps only this many characters of a process's short name.
inline constexpr std::size_t kCommLength = 15;

// What one process tells about itself. The scanner reads each fact only when
// asked, so the matcher asks in the order of cost and stops as soon as it
// knows: the short name, the exe link, the command line, and the state (the
// dearest to read) only of a process that matched.
class ProcessFacts {
public:
    virtual ~ProcessFacts() = default;
    virtual std::string_view comm() = 0;
    // Target of the exe link, nullopt when it cannot be read (another user's
    // process, a kernel thread).
    virtual std::optional<std::string_view> exe() = 0;
    // The raw NUL-separated command line, nullopt when unreadable or empty.
    virtual std::optional<std::string_view> cmdline() = 0;
    // False for a zombie or a dead process.
    virtual bool alive() = 0;
};

std::string_view baseName(std::string_view path);

// True when the process runs the executable called `name` (exact,
// case-sensitive): its exe file name, the file name of the first command-line
// word, or its short name. A name longer than the short name can hold counts
// on a cut short name only when nothing else is known of the process, or
// when an interpreter runs a script of that name (the kernel names such a
// process after the script).
bool processMatches(std::string_view name, ProcessFacts& facts);

}  // namespace platform::posix
