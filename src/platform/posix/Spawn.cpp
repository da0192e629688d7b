#include "platform/posix/Spawn.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/CommandLine.h"

extern char** environ;

namespace platform::posix {

namespace {

enum class Check { Runnable, Missing, Directory, NotExecutable };

Check checkProgram(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return Check::Missing;
    if (S_ISDIR(info.st_mode)) return Check::Directory;
    if (!S_ISREG(info.st_mode) || ::access(path.c_str(), X_OK) != 0) return Check::NotExecutable;
    return Check::Runnable;
}

std::string reason(Check check, const std::string& program) {
    switch (check) {
        case Check::Missing:
            return "program not found: " + program;
        case Check::Directory:
            return "is a directory, not a program: " + program;
        case Check::NotExecutable:
            return "not executable: " + program;
        case Check::Runnable:
            break;
    }
    return {};
}

// Finds `program` the way execvp would, but before forking: the first
// runnable file along the search path wins; otherwise the most telling
// reason met on the way is reported.
LaunchPlan resolve(std::vector<std::string> argv, std::string_view searchPath) {
    LaunchPlan plan;
    const std::string& program = argv.front();
    if (program.find('/') != std::string::npos) {
        const Check check = checkProgram(program);
        if (check == Check::Runnable) plan.path = program;
        plan.error = reason(check, program);
    } else if (program.empty()) {
        plan.error = "program not found: \"\"";
    } else {
        Check worst = Check::Missing;
        std::string_view rest = searchPath;
        while (true) {
            const auto colon = rest.find(':');
            // An empty entry means the current folder. Built by appending:
            // GCC 12 at -O3 takes dir + "/" for an overlapping copy (-Wrestrict).
            std::string candidate(rest.substr(0, colon));
            if (candidate.empty()) candidate = '.';
            candidate += '/';
            candidate += program;
            const Check check = checkProgram(candidate);
            if (check == Check::Runnable) {
                plan.path = candidate;
                break;
            }
            if (check != Check::Missing) worst = check;
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
        if (plan.path.empty()) plan.error = reason(worst, program);
    }
    plan.argv = std::move(argv);
    return plan;
}

// 1234567 as "1,234,567", for a limit a user reads.
std::string withThousands(std::size_t number) {
    std::string digits = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

// What execve takes (execve(2), "Limits on size of arguments and
// environment"): all arguments and the environment together, their nulls
// and pointers counted, within sysconf(_SC_ARG_MAX); and no one argument
// longer than 32 pages (MAX_ARG_STRLEN). Checked before anything is started,
// so a command that cannot fit says so at once instead of failing in a child.
std::size_t argumentSpace() {
    const long limit = ::sysconf(_SC_ARG_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 131072;
}

std::size_t longestArgument() {
    const long page = ::sysconf(_SC_PAGESIZE);
    return 32 * static_cast<std::size_t>(page > 0 ? page : 4096) - 1;  // its null included in the 32 pages
}

std::string tooLong(std::size_t space) {
    return "the command is longer than the " + withThousands(space) +
           " bytes this system allows for a program's arguments and environment";
}

std::string argumentsDoNotFit(const std::vector<std::string>& words) {
    const std::size_t longest = longestArgument();
    std::size_t used = 0;
    for (const auto& word : words) {
        if (word.size() > longest)
            return "a word of the command is longer than the " + withThousands(longest) +
                   " bytes this system allows in one argument";
        used += word.size() + 1 + sizeof(char*);
    }
    for (char** entry = environ; *entry != nullptr; ++entry) used += std::strlen(*entry) + 1 + sizeof(char*);
    const std::size_t space = argumentSpace();
    return used + sizeof(char*) * 2 > space ? tooLong(space) : std::string();
}

// Sent from the grandchild when it could not start the program.
struct ChildReport {
    int stage;  // 1: second fork, 2: exec
    int error;
};

int moveAbove2(int fd) {
    if (fd > 2) return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

void writeReport(int fd, int stage, int error) {
    const ChildReport report{stage, error};
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &report, sizeof report);
}

// Only async-signal-safe calls from here on: we may be a copy of a
// multithreaded process whose other threads held locks at the fork.
[[noreturn]] void runGrandchild(const char* path, char* const* argv, char* const* envp, int reportFd) {
    ::setsid();
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &byDefault, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    // Every descriptor above 2 closes at exec, the report pipe included, so a
    // successful exec is seen by the parent as the pipe's end.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        struct rlimit limit {};
        rlim_t top = 65536;
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
            limit.rlim_cur < top)
            top = limit.rlim_cur;
        for (rlim_t fd = 3; fd < top; ++fd) ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    }
    ::execve(path, argv, envp);
    writeReport(reportFd, 2, errno);
    ::_exit(127);
}

}  // namespace

LaunchPlan planLaunch(std::string_view command, std::string_view searchPath) {
    const std::string_view whole = trimBlanks(command);
    if (whole.empty()) return {"no command", {}, {}};
    // Nothing of a line that long is read further.
    if (whole.size() >= argumentSpace()) return {tooLong(argumentSpace()), {}, {}};

    if (whole.find('/') != std::string_view::npos) {
        const std::string path(whole);
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return resolve({path}, searchPath);
    }
    std::vector<std::string> words = splitCommandLine(whole);
    if (words.empty()) return {"no command", {}, {}};
    if (std::string error = argumentsDoNotFit(words); !error.empty()) return {std::move(error), {}, {}};
    return resolve(std::move(words), searchPath);
}

Result spawnDetached(const LaunchPlan& plan) {
    if (!plan.error.empty()) return Result::failure(plan.error);
    if (plan.argv.empty()) return Result::failure("no command");

    // Everything the children need is built before forking.
    std::vector<char*> argv;
    argv.reserve(plan.argv.size() + 1);
    for (const auto& arg : plan.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    char* const* envp = environ;
    const char* path = plan.path.c_str();
    const std::string& program = plan.argv.front();

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return Result::failure("cannot start " + program + ": " + std::strerror(errno));
    // With 0, 1 or 2 closed at our start, the pipe could land there and be
    // handed to the program; keep it above.
    const int readFd = moveAbove2(fds[0]);
    const int writeFd = moveAbove2(fds[1]);
    if (readFd < 0 || writeFd < 0) {
        const int err = errno;
        if (readFd >= 0) ::close(readFd);
        if (writeFd >= 0) ::close(writeFd);
        return Result::failure("cannot start " + program + ": " + std::strerror(err));
    }

    const pid_t middle = ::fork();
    if (middle < 0) {
        const int err = errno;
        ::close(readFd);
        ::close(writeFd);
        return Result::failure("cannot start " + program + ": " + std::strerror(err));
    }
    if (middle == 0) {
        // The middle process exits at once, so the program is adopted by
        // init (or a subreaper) and never waits as our zombie.
        const pid_t grandchild = ::_Fork();
        if (grandchild == 0) runGrandchild(path, argv.data(), envp, writeFd);
        if (grandchild < 0) writeReport(writeFd, 1, errno);
        ::_exit(grandchild < 0 ? 1 : 0);
    }

    ::close(writeFd);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    ChildReport report{0, 0};
    ssize_t got;
    do {
        got = ::read(readFd, &report, sizeof report);
    } while (got < 0 && errno == EINTR);
    ::close(readFd);

    if (got != static_cast<ssize_t>(sizeof report)) return Result::success();
    // No shell is asked to run what the kernel cannot: say what the file lacks.
    if (report.stage == 2 && report.error == ENOEXEC)
        return Result::failure("cannot start " + program + ": not a program: a script needs a #! line");
    // The environment grew past what was checked up front.
    if (report.stage == 2 && report.error == E2BIG)
        return Result::failure("cannot start " + program +
                               ": the command and the environment are longer than this system allows");
    return Result::failure("cannot start " + program + ": " + std::strerror(report.error));
}

}  // namespace platform::posix
