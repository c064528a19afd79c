#include "engine/platform/end_signals.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace keltraWorks {

namespace {

volatile std::sig_atomic_t signalled = 0;
int pipeEnds[2] = {-1, -1};

extern "C" void onEndSignal(int) {
    const int savedErrno = errno;
    signalled = 1;
    const char byte = 1;
    // A full pipe already wakes every waiter; the result is of no interest.
    const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    (void)written;
    errno = savedErrno;
}

} // namespace

bool catchEndSignals() {
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::fprintf(stderr, "glint: platform: cannot watch for end signals: %s\n",
                     std::strerror(errno));
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes elsewhere carry on; waits for events return early.
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        if (::sigaction(signalNumber, &action, nullptr) != 0) {
            std::fprintf(stderr, "glint: platform: cannot catch signal %d: %s\n", signalNumber,
                         std::strerror(errno));
            return false;
        }
    }
    return true;
}

bool endSignalled() {
    return signalled != 0;
}

int endSignalFd() {
    return pipeEnds[0];
}

} // namespace keltraWorks
