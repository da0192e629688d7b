#include "platform/posix/SettingsFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/posix/Fd.h"
#include "platform/posix/SaveTarget.h"

namespace platform::settingsfiles {
namespace {

namespace fs = std::filesystem;

// Far beyond 125 keys of 10,000 characters; anything bigger is not ours.
constexpr off_t kLargestFile = 16 * 1024 * 1024;

std::string lastError() {
    return std::strerror(errno);
}

using posix::Fd;

std::optional<std::string> readAll(int fd, std::string& out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return lastError();
        if (n == 0) return std::nullopt;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > static_cast<std::size_t>(kLargestFile))
            return "it is too large to be a settings file";
    }
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

// A copy for when a hard link is impossible; fails rather than overwrite.
std::optional<std::string> copyFile(const fs::path& from, const fs::path& to) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return lastError();
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0) return lastError();
    std::string data;
    auto problem = readAll(in.get(), data);
    if (!problem && !posix::writeAll(out.get(), data)) problem = lastError();
    if (!problem && ::fsync(out.get()) != 0) problem = lastError();
    if (problem) ::unlink(to.c_str());
    return problem;
}

Stamp stampFrom(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size,
            static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL + info.st_mtim.tv_nsec};
}

constexpr std::string_view kTemporaryMark = ".new-";
constexpr std::size_t kTemporaryTail = 6;  // mkostemp's XXXXXX
constexpr int kTemporaryAttempts = 10;

// Locks a new temporary file for as long as it is open and checks that its
// name is still this file: a remover of dead writers' files may have taken
// it for one before the lock.
bool lockedAsNamed(int fd, const std::string& name) {
    struct stat mine {
    }, named{};
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &mine) == 0 &&
           ::lstat(name.c_str(), &named) == 0 && mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

}  // namespace

std::optional<Stamp> stampOf(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return std::nullopt;
    return stampFrom(info);
}

bool readOnly(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    // The bits, not just access(): root may write anything, yet a file its
    // user made read-only is still meant to stay as it is.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return ::access(file.c_str(), W_OK) != 0 && errno != ENOENT;
}

Loaded load(const fs::path& file) {
    Loaded result;
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        if (errno == ENOENT) return result;
        result.state = Loaded::State::Unreadable;
        result.reason = lastError();
        return result;
    }
    result.identity = std::pair{info.st_dev, info.st_ino};
    if (auto reason = notRegularReason(info.st_mode)) {
        result.state = Loaded::State::NotRegular;
        result.reason = *reason;
        return result;
    }
    result.state = Loaded::State::Unreadable;
    if (info.st_size > kLargestFile) {
        result.reason = "it is too large to be a settings file";
        return result;
    }
    // Non-blocking: should a FIFO have taken the file's place since, opening waits for no writer.
    Fd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return Loaded{};  // replaced and gone between the two calls
        result.reason = lastError();
        return result;
    }
    // The identity of what is actually read, which may differ from the stat above.
    if (::fstat(fd.get(), &info) != 0) {
        result.reason = lastError();
        return result;
    }
    result.identity = std::pair{info.st_dev, info.st_ino};
    result.stamp = stampFrom(info);
    if (auto reason = notRegularReason(info.st_mode)) {
        result.state = Loaded::State::NotRegular;
        result.reason = *reason;
        return result;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size) + 1);  // read once, not grown by doubling
    if (auto problem = readAll(fd.get(), data)) {
        result.reason = *problem;
        return result;
    }
    result.state = Loaded::State::Read;
    result.document = ini::Document::parse(std::move(data));
    return result;
}

std::optional<std::string> makeFolder(const fs::path& folder) {
    fs::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) == 0) {
            ::chmod(partial.c_str(), 0700);  // whatever the umask allowed
        } else if (errno != EEXIST) {
            return "cannot create folder '" + partial.string() + "': " + lastError();
        }
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return lastError();
    if (!S_ISDIR(info.st_mode)) return folder.string().insert(0, 1, '\'') + "' is not a folder";
    return std::nullopt;
}

void removeStrayTemporaries(const fs::path& file) {
    const fs::path folder = folderOf(file);
    const std::string prefix = file.filename().string() + std::string(kTemporaryMark);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix) || name.size() != prefix.size() + kTemporaryTail) continue;
        Fd stray(::openat(::dirfd(dir.get()), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (stray.get() < 0) continue;
        struct stat info {};
        if (::fstat(stray.get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        // A writer holds a lock on its temporary file until it is renamed;
        // the lock goes with the writer, so a free one was left by a dead writer
        // (or by a live one before it could lock it: that one sees its file
        // gone and makes another).
        if (::flock(stray.get(), LOCK_EX | LOCK_NB) != 0) continue;
        // Unlinked only while the name is still the very file locked here: a
        // writer may have renamed it into place between our open and our lock.
        struct stat now {};
        if (::fstat(stray.get(), &info) != 0 || info.st_nlink == 0 ||
            ::fstatat(::dirfd(dir.get()), entry->d_name, &now, AT_SYMLINK_NOFOLLOW) != 0 ||
            now.st_dev != info.st_dev || now.st_ino != info.st_ino)
            continue;
        ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

std::variant<Stamp, std::string> replace(const fs::path& file, const std::string& text) {
    removeStrayTemporaries(file);
    std::string temporary;
    Fd fd(-1);
    for (int attempt = 1; fd.get() < 0; ++attempt) {
        if (attempt > kTemporaryAttempts)
            return "its new file was removed each time before it could be written";
        temporary = file.string() + std::string(kTemporaryMark) + std::string(kTemporaryTail, 'X');
        // mkostemp creates the file 0600, so it is never readable by others.
        Fd made(::mkostemp(temporary.data(), O_CLOEXEC));
        if (made.get() < 0) return lastError();
        if (lockedAsNamed(made.get(), temporary)) fd.reset(made.release());
    }
    std::optional<std::string> problem;
    struct stat info {};
    if (::fchmod(fd.get(), 0600) != 0 || !posix::writeAll(fd.get(), text) ||
        ::fsync(fd.get()) != 0 || ::fstat(fd.get(), &info) != 0) {
        problem = lastError();
    }
    // Renamed while still open and locked; closing afterwards changes nothing on disk.
    if (!problem && ::rename(temporary.c_str(), file.c_str()) != 0) problem = lastError();
    if (problem) {
        ::unlink(temporary.c_str());
        return *problem;
    }
    ::close(fd.release());  // the data is synced and in place; nothing left to fail
    if (const Fd dir(::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir.get() >= 0)
        ::fsync(dir.get());  // the new name survives a power cut
    return stampFrom(info);
}

std::variant<fs::path, std::string> keepAside(const fs::path& file) {
    const std::string base = file.string() + ".unreadable-" + utcStamp();
    std::string lastProblem = "no free name";
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const fs::path name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        // A hard link keeps the very bytes, even of a file we may not read.
        if (::link(file.c_str(), name.c_str()) == 0) return name;
        if (errno == EEXIST) continue;
        lastProblem = lastError();
        if (errno != EPERM && errno != EMLINK && errno != EOPNOTSUPP && errno != EXDEV) return lastProblem;
        if (auto problem = copyFile(file, name)) {
            if (errno == EEXIST) continue;
            return *problem;
        }
        return name;
    }
    return lastProblem;
}

FolderLock::FolderLock(const fs::path& folder)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    using namespace std::chrono_literals;
    const auto giveUp = std::chrono::steady_clock::now() + 2s;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > giveUp) {
            return;
        }
        std::this_thread::sleep_for(5ms);
    }
    held_ = true;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace platform::settingsfiles
