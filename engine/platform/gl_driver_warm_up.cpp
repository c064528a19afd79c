#include "engine/platform/gl_driver_warm_up.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <atomic>
#include <thread>

namespace keltraWorks {

namespace {

struct WarmUp {
    std::thread worker;
    Display* display = nullptr; // written by the worker, read after join
    std::atomic<bool> gotVisual{false};

    ~WarmUp() { finish(); }

    void finish() {
        if (worker.joinable()) {
            worker.join();
        }
        if (display) {
            XCloseDisplay(display);
            display = nullptr;
        }
    }
};

WarmUp& warmUp() {
    static WarmUp w;
    return w;
}

void loadDriver(WarmUp* w) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return;
    }
    w->display = display;
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                        GLX_BLUE_SIZE, 8, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (visual) {
        XFree(visual);
        w->gotVisual = true;
    }
}

} // namespace

void GlDriverWarmUp::start() {
    WarmUp& w = warmUp();
    w.finish();
    w.gotVisual = false;
    static const bool threadsReady = XInitThreads() != 0;
    if (!threadsReady) {
        return; // Xlib without locking: one thread only
    }
    WarmUp* target = &w;
    w.worker = std::thread([target] { loadDriver(target); });
}

void GlDriverWarmUp::finish() { warmUp().finish(); }

bool GlDriverWarmUp::warmed() {
    WarmUp& w = warmUp();
    if (w.worker.joinable()) {
        w.worker.join();
    }
    return w.gotVisual;
}

} // namespace keltraWorks
