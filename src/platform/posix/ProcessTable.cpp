#include "platform/posix/ProcessTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/posix/ProcessMatch.h"

namespace platform::posix {

namespace {

bool isPid(const char* name) {
    if (*name == '\0') return false;
    for (; *name != '\0'; ++name)
        if (*name < '0' || *name > '9') return false;
    return true;
}

// Reads up to buffer.size() bytes of `path` (relative to `dir`); -1 on failure.
template <std::size_t N>
ssize_t readSmallFile(int dir, const char* path, std::array<char, N>& buffer) {
    const int fd = ::openat(dir, path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    std::size_t filled = 0;
    while (filled < N) {
        const ssize_t got = ::read(fd, buffer.data() + filled, N - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return static_cast<ssize_t>(filled);
}

// One process entry, read in steps. The buffers live as long as the scan, so
// looking at a process allocates nothing.
class ProcEntry final : public ProcessFacts {
public:
    explicit ProcEntry(int procDir) : dir_(procDir) {}

    // Reads the short name; false when the process is gone. The exe link and
    // command line come from `known` while it holds them, and are kept there.
    // A held process tells by its `pidfd` whether it runs.
    bool load(const char* pid, ProcessTable::Known* known = nullptr, int pidfd = -1) {
        pid_ = pid;
        known_ = known;
        pidfd_ = pidfd;
        exeLoaded_ = cmdlineLoaded_ = false;
        const ssize_t n = readSmallFile(dir_, path("comm"), comm_);
        if (n <= 0) return false;
        commLength_ = static_cast<std::size_t>(n);
        if (comm_[commLength_ - 1] == '\n') --commLength_;
        if (known_ && known_->comm != comm()) {
            // A new process, or one that ran another program or renamed itself.
            known_->comm.assign(comm());
            known_->exeRead = known_->cmdlineRead = false;
        }
        return true;
    }

    // stat costs more to read than the other facts together, so it is read
    // only for a process that has matched by name.
    bool alive() override {
        if (pidfd_ >= 0) {
            // Readable once the whole process has ended (a zombie leader whose
            // other threads still run is not). Asked after the other facts
            // were read, so they were the held process's own: its pid cannot
            // have been reused while it was not yet ended.
            pollfd ended{pidfd_, POLLIN, 0};
            return ::poll(&ended, 1, 0) == 0;
        }
        const ssize_t n = readSmallFile(dir_, path("stat"), stat_);
        if (n <= 0) return false;
        const std::string_view text(stat_.data(), static_cast<std::size_t>(n));
        // The name in stat may itself hold ')' or blanks: it ends at the last ')'.
        const auto close = text.rfind(')');
        if (close == std::string_view::npos || close + 2 >= text.size()) return false;
        const std::string_view afterName = text.substr(close + 2);
        const char state = afterName.front();
        if (state == 'X' || state == 'x') return false;
        // A zombie leader whose other threads still run is a running process.
        return state != 'Z' || threadCount(afterName) > 1;
    }

    std::string_view comm() override { return {comm_.data(), commLength_}; }

    std::optional<std::string_view> exe() override {
        if (known_ && known_->exeRead) return known_->exe;
        if (!exeLoaded_) {
            exeLoaded_ = true;
            const ssize_t n = ::readlinkat(dir_, path("exe"), exe_.data(), exe_.size());
            exeLength_ = n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        std::optional<std::string_view> exe;
        if (exeLength_ > 0) exe = std::string_view(exe_.data(), exeLength_);
        if (known_) {
            known_->exeRead = true;
            known_->exe = exe;
        }
        return exe;
    }

    std::optional<std::string_view> cmdline() override {
        if (known_ && known_->cmdlineRead) return known_->cmdline;
        if (!cmdlineLoaded_) {
            cmdlineLoaded_ = true;
            const ssize_t n = readSmallFile(dir_, path("cmdline"), cmdline_);
            cmdlineLength_ = n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        std::optional<std::string_view> cmdline;
        if (cmdlineLength_ > 0) cmdline = std::string_view(cmdline_.data(), cmdlineLength_);
        if (known_) {
            known_->cmdlineRead = true;
            // The matcher looks at the first two words only; the rest need not be kept.
            if (cmdline) {
                const auto first = cmdline->find('\0');
                const auto second = first == std::string_view::npos ? first : cmdline->find('\0', first + 1);
                if (second != std::string_view::npos) cmdline = cmdline->substr(0, second + 1);
            }
            known_->cmdline = cmdline;
        }
        return cmdline;
    }

private:
    const char* path(const char* leaf) {
        std::snprintf(path_.data(), path_.size(), "%s/%s", pid_, leaf);
        return path_.data();
    }

    // Field 20 of stat, counted from field 3 (the state) at the start of `rest`.
    static long threadCount(std::string_view rest) {
        for (int field = 3; field < 20; ++field) {
            const auto blank = rest.find(' ');
            if (blank == std::string_view::npos) return 1;
            rest.remove_prefix(blank + 1);
        }
        long count = 0;
        for (char c : rest) {
            if (c < '0' || c > '9') break;
            count = count * 10 + (c - '0');
        }
        return count;
    }

    int dir_;
    int pidfd_ = -1;
    ProcessTable::Known* known_ = nullptr;
    const char* pid_ = "";
    std::array<char, 64> path_{};
    std::array<char, 64> comm_{};
    std::size_t commLength_ = 0;
    std::array<char, 1024> stat_{};
    std::array<char, PATH_MAX> exe_{};
    std::size_t exeLength_ = 0;
    bool exeLoaded_ = false;
    std::array<char, 8192> cmdline_{};
    std::size_t cmdlineLength_ = 0;
    bool cmdlineLoaded_ = false;
};

// Facts of every tenth process are read afresh each pass, by its pid.
void refreshByTurn(long pid, unsigned pass, ProcessTable::Known& known) {
    constexpr unsigned kRefreshSpread = 10;
    if (static_cast<unsigned long>(pid) % kRefreshSpread == pass % kRefreshSpread)
        known.exeRead = known.cmdlineRead = false;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

ProcessQuery countMatchingProcesses(const std::string& procRoot, std::string_view name) {
    return ProcessTable(procRoot, nullptr).count(name);
}

int openPidfd(long pid) {
    // Through syscall(): older C libraries have no wrapper, and glibc 2.36's
    // header declares it without C linkage. A pidfd is close-on-exec.
    const long fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0U);
    return fd >= 0 ? static_cast<int>(fd) : -errno;
}

ProcessTable::Held::~Held() {
    if (fd >= 0) ::close(fd);
}

ProcessTable::Held::Held(Held&& other) noexcept : pid(other.pid), fd(std::exchange(other.fd, -1)) {}

ProcessTable::Held& ProcessTable::Held::operator=(Held&& other) noexcept {
    if (this != &other) {
        if (fd >= 0) ::close(fd);
        pid = other.pid;
        fd = std::exchange(other.fd, -1);
    }
    return *this;
}

// Pids in another table (a test's tree) do not name the system's processes.
ProcessTable::ProcessTable(std::string procRoot, PidfdOpener opener)
    : root_(std::move(procRoot)), opener_(root_ == "/proc" ? opener : nullptr) {}

ProcessTable::~ProcessTable() = default;

ProcessQuery ProcessTable::count(std::string_view name) {
    if (name != heldName_) held_.clear();
    if (!held_.empty()) {
        const bool readable = checkHeld(name);
        if (readable && !held_.empty()) return {true, static_cast<int>(held_.size()), {}};
        // None left (or the table went away): a scan decides, and says why it failed.
        held_.clear();
        known_.clear();
    }
    return scan(name);
}

bool ProcessTable::checkHeld(std::string_view name) {
    const int dir = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    const unsigned pass = ++pass_;
    auto entry = std::make_unique<ProcEntry>(dir);
    std::array<char, 24> pid{};
    std::erase_if(held_, [&](const Held& h) {
        std::snprintf(pid.data(), pid.size(), "%ld", h.pid);
        Known& known = known_[h.pid];
        refreshByTurn(h.pid, pass, known);
        if (entry->load(pid.data(), &known, h.fd) && processMatches(name, *entry)) return false;
        known_.erase(h.pid);
        return true;
    });
    ::close(dir);
    return true;
}

void ProcessTable::hold(const std::vector<long>& pids) {
    for (long pid : pids) {
        const int fd = opener_(pid);
        if (fd == -ENOSYS || fd == -EPERM) {
            // Refused for good: every poll scans from now on.
            opener_ = nullptr;
            held_.clear();
            return;
        }
        // Any other failure (ended meanwhile, out of descriptors) leaves that
        // one to the next scan; the others still answer for the name.
        if (fd >= 0) held_.emplace_back(pid, fd);
    }
    if (held_.empty()) return;
    // The hold only asks about its own processes; the next scan learns the
    // table afresh. The held ones' costly facts are read again at the next
    // poll, while their descriptors are open, so they are surely theirs.
    std::erase_if(known_, [this](const auto& item) {
        return std::none_of(held_.begin(), held_.end(), [&](const Held& h) { return h.pid == item.first; });
    });
    for (auto& [pid, known] : known_) known.exeRead = known.cmdlineRead = false;
}

ProcessQuery ProcessTable::scan(std::string_view name) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(root_.c_str()));
    if (!dir) {
        const int err = errno;
        return {false, 0, "cannot read the process table " + root_ + ": " + std::strerror(err)};
    }
    if (name.empty()) return {};

    const unsigned pass = ++pass_;
    auto entry = std::make_unique<ProcEntry>(::dirfd(dir.get()));
    ProcessQuery answer;
    std::vector<long> found;
    while (const dirent* d = ::readdir(dir.get())) {
        if (!isPid(d->d_name) || std::strlen(d->d_name) > 20) continue;
        const long pid = std::strtol(d->d_name, nullptr, 10);
        Known& known = known_[pid];
        known.seenInPass = pass;
        refreshByTurn(pid, pass, known);
        if (entry->load(d->d_name, &known) && processMatches(name, *entry)) {
            ++answer.count;
            if (opener_) found.push_back(pid);
        }
    }
    // Forget processes that have ended.
    std::erase_if(known_, [pass](const auto& item) { return item.second.seenInPass != pass; });
    if (!found.empty()) {
        heldName_ = name;
        hold(found);
    }
    return answer;
}

}  // namespace platform::posix
