#include "platform/posix/InheritedState.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace platform::posix {

void repairInheritedState() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        // The lowest free descriptor is this one, as those below it are open.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
    sigset_t ending;
    ::sigemptyset(&ending);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaddset(&ending, signal);
    ::sigprocmask(SIG_UNBLOCK, &ending, nullptr);
}

}  // namespace platform::posix
