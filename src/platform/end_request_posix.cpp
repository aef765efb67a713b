#include "platform/end_request.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace {

int writeEnd = -1;

void requestEnd(int sig)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &number, 1);  // full pipe: one is waiting
    errno = saved;
}

}  // namespace

int watchEndRequests()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    writeEnd = fds[1];
    struct sigaction action {};
    action.sa_handler = requestEnd;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(sig, &action, nullptr);
    }
    return fds[0];
}

int takeEndRequest(int fd)
{
    unsigned char number = 0;
    ssize_t n;
    do n = ::read(fd, &number, 1);
    while (n < 0 && errno == EINTR);
    return n == 1 ? number : 0;
}

void endAsSignalled(int sig)
{
    ::signal(sig, SIG_DFL);
    ::raise(sig);
    std::_Exit(128 + sig);
}
