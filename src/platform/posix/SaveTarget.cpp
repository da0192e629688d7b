#include "platform/posix/SaveTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/SettingsFiles.h"

namespace platform::settingsfiles {
namespace {

namespace fs = std::filesystem;

// Linux's own limit on links followed in one path.
constexpr int kMostLinks = 40;

std::string quoted(const fs::path& path) {
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

// Why `path` cannot be trusted with a settings file, if so.
std::optional<std::string> untrusted(const fs::path& path, const std::string& what) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return what + " cannot be looked at: " + std::strerror(errno);
    if (info.st_uid != ::geteuid() && info.st_uid != 0) return what + " belongs to another user";
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) return what + " may be changed by other users";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> notRegularReason(mode_t mode) {
    const char* kind = S_ISREG(mode)    ? nullptr
                       : S_ISDIR(mode)  ? "a folder"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISFIFO(mode) ? "a FIFO"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "something else";
    if (kind == nullptr) return std::nullopt;
    return std::string("it is ") + kind + ", not a regular file";
}

SaveTarget saveTargetOf(const fs::path& file) {
    SaveTarget target;
    fs::path current = file;
    for (int links = 0;; ++links) {
        const fs::path folder = folderOf(current);
        if (auto problem = untrusted(folder, "the folder " + quoted(folder))) {
            target.refusal = *problem;
            return target;
        }
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                target.file = current;  // a new file
            } else {
                target.refusal = quoted(current) + " cannot be looked at: " + std::strerror(errno);
            }
            return target;
        }
        if (S_ISLNK(info.st_mode)) {
            if (links == kMostLinks) {
                target.refusal = "it leads through too many symbolic links";
                return target;
            }
            std::vector<char> text(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4095) + 1);
            const ssize_t n = ::readlink(current.c_str(), text.data(), text.size());
            if (n < 0 || static_cast<std::size_t>(n) >= text.size()) {
                target.refusal = quoted(current) + " is a link that cannot be read";
                return target;
            }
            const fs::path next(std::string(text.data(), static_cast<std::size_t>(n)));
            current = next.is_absolute() ? next : folder / next;
            continue;
        }
        if (auto reason = notRegularReason(info.st_mode)) {
            target.notRegular = true;
            target.refusal = *reason;
        } else if (auto problem = untrusted(current, "the file " + quoted(current))) {
            target.refusal = *problem;
        } else {
            target.file = current;
        }
        return target;
    }
}

}  // namespace platform::settingsfiles
