#include "engine/platform/xlib_threads.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace keltraWorks {

bool initXlibThreads() {
    if (XInitThreads() == 0) {
        std::fprintf(stderr, "glint: platform: Xlib cannot be used from several threads\n");
        return false;
    }
    return true;
}

} // namespace keltraWorks
