#include "platform/posix/TokenFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <variant>

#include "platform/posix/Fd.h"
#include "platform/posix/SettingsFiles.h"

namespace platform::posix {

namespace {

std::string lastError() {
    return std::strerror(errno);
}

std::optional<std::string> notUsable(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) return "it is not a regular file";
    if (info.st_uid != ::geteuid()) return "it belongs to another user";
    if (info.st_nlink != 1) return "it has other names (hard links)";
    if (info.st_size > static_cast<off_t>(kLargestToken)) return "it is larger than 4 KiB";
    return std::nullopt;
}

}  // namespace

TokenRead readToken(const std::filesystem::path& file) {
    const Fd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        if (errno == ENOENT) return {};
        return {{}, errno == ELOOP ? "it is a symbolic link" : lastError()};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return {{}, lastError()};
    if (const auto why = notUsable(info)) return {{}, *why};
    // One byte more than allowed tells a file that grew since fstat.
    std::string text(kLargestToken + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {{}, lastError()};
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > kLargestToken) return {{}, "it is larger than 4 KiB"};
    text.resize(got);
    text = text.substr(0, text.find('\n'));
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    text = text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return {{}, "it holds no token"};
    return {text, {}};
}

std::optional<std::string> writeToken(const std::filesystem::path& file, const std::string& token) {
    if (auto problem = settingsfiles::makeFolder(settingsfiles::folderOf(file))) return problem;
    // The settings' own way: a private new file beside, renamed over the name.
    const auto replaced = settingsfiles::replace(file, token + "\n");
    if (const auto* problem = std::get_if<std::string>(&replaced)) return *problem;
    return std::nullopt;
}

}  // namespace platform::posix
