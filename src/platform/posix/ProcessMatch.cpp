#include "platform/posix/ProcessMatch.h"

namespace platform::posix {

namespace {

std::string_view exeName(std::string_view link) {
    // A replaced or removed program file still runs; the link then says so.
    constexpr std::string_view deleted = " (deleted)";
    if (link.ends_with(deleted)) link.remove_suffix(deleted.size());
    return baseName(link);
}

// The `index`-th NUL-separated word of a command line, or empty.
std::string_view word(std::string_view cmdline, int index) {
    for (int i = 0; i < index; ++i) {
        const auto end = cmdline.find('\0');
        if (end == std::string_view::npos) return {};
        cmdline.remove_prefix(end + 1);
    }
    return cmdline.substr(0, cmdline.find('\0'));
}

}  // namespace

std::string_view baseName(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

bool nameMatches(std::string_view name, ProcessFacts& facts) {
    const std::string_view comm = facts.comm();
    if (name.size() <= kCommLength && name == comm) return true;

    const auto exe = facts.exe();
    if (exe && exeName(*exe) == name) return true;
    const auto cmdline = facts.cmdline();
    const std::string_view first = cmdline ? word(*cmdline, 0) : std::string_view{};
    if (!first.empty() && baseName(first) == name) return true;

    if (name.size() > kCommLength && name.substr(0, kCommLength) == comm) {
        if (!exe && first.empty()) return true;
        if (cmdline && baseName(word(*cmdline, 1)) == name) return true;
    }
    return false;
}

}  // namespace

bool processMatches(std::string_view name, ProcessFacts& facts) {
    return !name.empty() && nameMatches(name, facts) && facts.alive();
}

}  // namespace platform::posix
