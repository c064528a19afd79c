// glint-driver: the outside driver of the real player for the shell scripts
// and the benchmark, on the display of the DISPLAY variable. Each command
// prints one line and ends with 0; 1 on a time-out or an X failure, 2 on
// bad usage. Times printed are CLOCK_MONOTONIC nanoseconds, window ids
// decimal.
#include "tools/player_driver/desktop.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <vector>

using glintDriver::Desktop;
using glintDriver::monotonicNs;
using playerWindows::Control;

extern char** environ;

namespace {

const char* const Usage =
    "usage: glint-driver COMMAND ...\n"
    "  launch WINDOW SECONDS PROGRAM [ARG...]  start PROGRAM (its output on stderr) and\n"
    "      wait for WINDOW; prints \"PID ID START-NS MAPPED-NS\"\n"
    "  wait WINDOW SECONDS [PID]   wait for WINDOW (giving up once PID has ended);\n"
    "      prints \"ID MAPPED-NS\"\n"
    "  key ID KEYSYM               focus the window, press and release the key\n"
    "  click ID CONTROL | ID X Y   left click on a control or at window pixel X Y\n"
    "  move ID X Y                 the pointer to window pixel X Y\n"
    "  storm ID RATE SECONDS X Y   RATE pointer moves a second, the last at X Y\n"
    "  geometry ID                 prints the window's \"X Y WIDTH HEIGHT\" on the screen\n"
    "  resize ID WIDTH HEIGHT      asks for the window to be WIDTH x HEIGHT pixels\n"
    "  key, click, move, storm and resize print the time their last request reached the\n"
    "  server.\n"
    "WINDOW: setup, player or error; CONTROL: play, stop, previous, next or close\n";

struct Named {
    const char* name;
    const char* title;
};
constexpr Named Windows[] = {{"setup", playerWindows::SetupTitle},
                             {"player", playerWindows::PlayerTitle},
                             {"error", playerWindows::ErrorTitle}};

struct NamedControl {
    const char* name;
    Control control;
};
constexpr NamedControl Controls[] = {{"play", Control::Play},
                                     {"stop", Control::Stop},
                                     {"previous", Control::Previous},
                                     {"next", Control::Next},
                                     {"close", Control::Close}};

const char* titleNamed(const char* name) {
    for (const Named& w : Windows) {
        if (std::strcmp(w.name, name) == 0) {
            return w.title;
        }
    }
    return nullptr;
}

int usage() {
    std::fputs(Usage, stderr);
    return 2;
}

int fail(const std::string& what) {
    std::fprintf(stderr, "glint-driver: %s\n", what.c_str());
    return 1;
}

// A process that has ended, or only waits to be reaped, counts as gone.
bool alive(pid_t pid) {
    if (kill(pid, 0) != 0 && errno == ESRCH) {
        return false;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() || text[close + 2] != 'Z';
}

int milliseconds(const char* seconds) {
    return static_cast<int>(std::atof(seconds) * 1000);
}

int launch(Desktop& desktop, const char* title, const char* seconds, char** argv) {
    // The program's own output goes to stderr, so a caller reading this
    // tool's line is not kept waiting for the program to end.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
    const int64_t start = monotonicNs();
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return fail(std::string("cannot start ") + argv[0] + ": " + std::strerror(rc));
    }
    int64_t mapped = 0;
    const unsigned long window = desktop.waitForViewable(title, milliseconds(seconds), &mapped,
                                                         [pid] { return alive(pid); });
    if (window == 0) {
        return fail(std::string("no window \"") + title + "\" within " + seconds + " s");
    }
    std::printf("%d %lu %lld %lld\n", static_cast<int>(pid), window, static_cast<long long>(start),
                static_cast<long long>(mapped));
    return 0;
}

int wait(Desktop& desktop, const char* title, const char* seconds, const char* pidText) {
    const pid_t pid = pidText != nullptr ? static_cast<pid_t>(std::atol(pidText)) : 0;
    int64_t mapped = 0;
    const unsigned long window = desktop.waitForViewable(title, milliseconds(seconds), &mapped,
                                                         [pid] { return pid <= 0 || alive(pid); });
    if (window == 0) {
        return fail(std::string("no window \"") + title + "\" within " + seconds + " s");
    }
    std::printf("%lu %lld\n", window, static_cast<long long>(mapped));
    return 0;
}

int printTime(bool done, const char* what) {
    if (!done) {
        return fail(std::string(what) + " failed");
    }
    std::printf("%lld\n", static_cast<long long>(monotonicNs()));
    return 0;
}

int click(Desktop& desktop, unsigned long window, int argc, char** argv) {
    if (argc == 5) {
        return printTime(desktop.click(window, std::atoi(argv[3]), std::atoi(argv[4])), "click");
    }
    for (const NamedControl& c : Controls) {
        if (std::strcmp(c.name, argv[3]) == 0) {
            return printTime(desktop.clickControl(window, c.control), "click");
        }
    }
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return usage();
    }
    const std::string command = argv[1];
    const char* name = std::getenv("DISPLAY");
    Desktop desktop(name != nullptr ? name : "");
    if (!desktop.connected()) {
        return fail("cannot open the display");
    }
    if (command == "launch" || command == "wait") {
        const char* title = titleNamed(argv[2]);
        if (title == nullptr || argc < 4 || (command == "launch" && argc < 5) ||
            (command == "wait" && argc > 5)) {
            return usage();
        }
        return command == "launch" ? launch(desktop, title, argv[3], argv + 4)
                                   : wait(desktop, title, argv[3], argc == 5 ? argv[4] : nullptr);
    }
    const unsigned long window = std::strtoul(argv[2], nullptr, 0);
    if (command == "key" && argc == 4) {
        return printTime(desktop.pressKey(window, argv[3]), "key");
    }
    if (command == "click" && (argc == 4 || argc == 5)) {
        return click(desktop, window, argc, argv);
    }
    if (command == "move" && argc == 5) {
        return printTime(desktop.movePointer(window, std::atoi(argv[3]), std::atoi(argv[4])),
                         "move");
    }
    if (command == "geometry" && argc == 3) {
        int x = 0, y = 0, width = 0, height = 0;
        if (!desktop.geometry(window, &x, &y, &width, &height)) {
            return fail("no window " + std::string(argv[2]));
        }
        std::printf("%d %d %d %d\n", x, y, width, height);
        return 0;
    }
    if (command == "resize" && argc == 5) {
        return printTime(desktop.resize(window, std::atoi(argv[3]), std::atoi(argv[4])), "resize");
    }
    if (command == "storm" && argc == 7) {
        return printTime(desktop.pointerStorm(window, std::atof(argv[3]), std::atof(argv[4]),
                                              std::atoi(argv[5]), std::atoi(argv[6])),
                         "storm");
    }
    return usage();
}
