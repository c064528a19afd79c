#include "tests/e2e/xvfb_server.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace glintE2e {

namespace {

constexpr int StartMilliseconds = 10000;

} // namespace

XvfbServer::XvfbServer(int width, int height) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = "no pipe for the display number";
        return;
    }
    SpawnOptions options;
    // -displayfd: the server takes the first free display number and writes
    // it on descriptor 3 once it accepts connections.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    options.argv = {"Xvfb", "-displayfd", "3",   "-screen",    "0",
                    screen, "-nolisten",  "tcp", "+extension", "GLX"};
    options.env = environmentWith({"DISPLAY"});
    options.passFd = fds[1];
    const bool started = server.start(options, &error);
    close(fds[1]);
    std::string number;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(StartMilliseconds);
    while (started && number.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            error =
                "Xvfb did not report a display within " + std::to_string(StartMilliseconds) + " ms";
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int rc = poll(&p, 1, static_cast<int>(left));
        if (rc < 0 && errno == EINTR) {
            continue;
        }
        char buffer[16];
        const ssize_t n = rc > 0 ? read(fds[0], buffer, sizeof buffer) : 0;
        if (n <= 0 && rc != 0) {
            error = "Xvfb ended before it reported a display";
            break;
        }
        number.append(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    close(fds[0]);
    if (number.find('\n') != std::string::npos) {
        displayName = ":" + number.substr(0, number.find('\n'));
    }
}

XvfbServer::~XvfbServer() {
    // A terminated server removes its lock file and socket; a killed one not.
    server.stop(2000);
}

} // namespace glintE2e
