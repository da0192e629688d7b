// What the program inherits at start: closed standard descriptors and
// blocked termination signals are put right before anything else runs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/linux/InheritedState.h"

namespace {

bool isDevNull(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == ::makedev(1, 3);
}

// Runs in a child started with `closed` descriptors closed and SIGTERM
// blocked; the exit status is a bit set of what is still wrong.
int repairedChild(const std::string& closed) {
    for (const char c : closed) ::close(c - '0');
    sigset_t blocked;
    ::sigemptyset(&blocked);
    ::sigaddset(&blocked, SIGTERM);
    ::sigaddset(&blocked, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &blocked, nullptr);
    ::signal(SIGHUP, SIG_IGN);

    platform::linux_backend::repairInheritedState();
    int wrong = 0;
    for (const char c : closed)
        if (!isDevNull(c - '0')) wrong |= 1;
    const int next = ::open("/dev/null", O_RDONLY);
    if (next <= 2) wrong |= 2;  // a later file would have become a standard descriptor
    sigset_t now;
    ::sigprocmask(SIG_BLOCK, nullptr, &now);
    if (::sigismember(&now, SIGTERM) || ::sigismember(&now, SIGHUP)) wrong |= 4;
    struct sigaction hangUp {};
    ::sigaction(SIGHUP, nullptr, &hangUp);
    if (hangUp.sa_handler != SIG_IGN) wrong |= 8;  // an ignored SIGHUP stays ignored
    return wrong;
}

TEST(InheritedState, ClosedStandardDescriptorsGetDevNullAndEndingSignalsAreUnblocked) {
    for (const std::string closed : {"2", "0", "12", "012", ""}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) ::_exit(repairedChild(closed));
        int status = -1;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << closed;
        EXPECT_EQ(WEXITSTATUS(status), 0)
            << "closed: \"" << closed << "\" (1: not /dev/null, 2: a later open "
            << "got 0-2, 4: still blocked, 8: SIGHUP no longer ignored)";
    }
}

}  // namespace
