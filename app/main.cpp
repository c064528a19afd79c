// glint: an animated music player. Everything it needs is in its working
// directory; the command line only asks for help or the version.
#include "app/command_line.h"
#include "app/startup.h"
#include "app/system_startup.h"
#include "engine/platform/end_signals.h"
#include "engine/platform/xlib_threads.h"

#include <malloc.h>

int main(int argc, char** argv) {
    // Before any other start-up work: --help and --version need no display.
    int exitCode = 0;
    if (commandLineEndsProgram(argc, argv, &exitCode)) {
        return exitCode;
    }
    // Before the first X connection: the dialog, the display modes, the GL
    // warm-up worker and the window each open their own.
    keltraWorks::initXlibThreads();
    // Before any thread or library starts: SIGTERM, SIGHUP and SIGINT end
    // the program cleanly from here on.
    keltraWorks::catchEndSignals();
    // Large blocks (decoded pictures, texture storage) always come straight
    // from the system and go straight back when freed. Left to itself, the
    // C library raises that limit after the first large block is freed and
    // then keeps up to twice as much freed memory in each thread's pool:
    // several megabytes held for nothing once the start-up workers are done.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    SystemStartup steps;
    return runGlint(steps);
}
