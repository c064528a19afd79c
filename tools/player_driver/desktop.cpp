#include "tools/player_driver/desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <poll.h>

// From libXtst. Its development header is not installed for these three
// declarations alone; the library itself comes with the X client libraries.
extern "C" {
Bool XTestFakeMotionEvent(Display*, int, int, int, unsigned long);
Bool XTestFakeButtonEvent(Display*, unsigned int, Bool, unsigned long);
Bool XTestFakeKeyEvent(Display*, unsigned int, Bool, unsigned long);
}

namespace glintDriver {

namespace {

// How often a wait looks again when the server reports nothing: a title may
// be set after its window was mapped.
constexpr int LookAgainMilliseconds = 5;
constexpr long MoveFrameNanoseconds = 30000000;
// How deep a window manager's frames may hold a program's window.

thread_local bool errorSeen = false;

int recordError(Display*, XErrorEvent*) {
    errorSeen = true;
    return 0;
}

void sleepUntil(int64_t ns) {
    const timespec due{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) != 0) {
    }
}

// The title as WM_NAME gives it, else as _NET_WM_NAME does; empty for none.
std::string titleOf(Display* d, Window w) {
    std::string title;
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name != nullptr) {
        title = name;
        XFree(name);
        return title;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after,
                           &value) == Success &&
        value != nullptr) {
        title.assign(reinterpret_cast<const char*>(value), count);
        XFree(value);
    }
    return title;
}

// The titled windows among the children of `parent`, looking `depth` more
// levels below an untitled child: a reparenting window manager puts each
// top-level window inside an untitled frame of its own.
void collectTitled(Display* d, Window parent, int depth, std::vector<TopWindow>& out) {
    Window root = 0;
    Window grandparent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, parent, &root, &grandparent, &children, &count)) {
        return;
    }
    for (unsigned int i = 0; i < count; ++i) {
        std::string title = titleOf(d, children[i]);
        if (!title.empty()) {
            out.push_back({children[i], std::move(title)});
        } else if (depth > 0) {
            collectTitled(d, children[i], depth - 1, out);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
}

// The 8-bit channel a pixel holds under `mask`.
uint8_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1) == 0) {
        ++shift;
    }
    const unsigned long top = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / top);
}

} // namespace

int64_t monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

Desktop::Desktop(const std::string& name) {
    // XOpenDisplay would take an empty name for the DISPLAY variable.
    display = name.empty() ? nullptr : XOpenDisplay(name.c_str());
    if (display == nullptr) {
        return;
    }
    XSetErrorHandler(recordError);
    // A program this process starts must not inherit the connection.
    fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
}

Desktop::~Desktop() {
    if (display != nullptr) {
        XCloseDisplay(display);
    }
}

bool Desktop::synced() const {
    errorSeen = false;
    XSync(display, False);
    return !errorSeen;
}

void Desktop::takeEvents() const {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            mappedAt.emplace(event.xmap.window, monotonicNs());
        } else if (event.type == UnmapNotify) {
            mappedAt.erase(event.xunmap.window);
        } else if (event.type == DestroyNotify) {
            mappedAt.erase(event.xdestroywindow.window);
        }
    }
}

std::vector<TopWindow> Desktop::windows() const {
    std::vector<TopWindow> out;
    if (display != nullptr) {
        collectTitled(display, DefaultRootWindow(display), 1, out);
    }
    return out;
}

unsigned long Desktop::findWindow(const std::string& title) const {
    for (const TopWindow& w : windows()) {
        if (w.title == title) {
            return w.id;
        }
    }
    return 0;
}

bool Desktop::isViewable(unsigned long window) const {
    XWindowAttributes a{};
    return display != nullptr && window != 0 && XGetWindowAttributes(display, window, &a) &&
           a.map_state == IsViewable;
}

unsigned long Desktop::waitForViewable(const std::string& title, int timeoutMs, int64_t* mappedNs,
                                       const std::function<bool()>& keepWaiting) const {
    if (display == nullptr) {
        return 0;
    }
    const int64_t deadline = monotonicNs() + int64_t{timeoutMs} * 1000000;
    for (;;) {
        takeEvents();
        for (const TopWindow& w : windows()) {
            if (w.title == title && isViewable(w.id)) {
                if (mappedNs != nullptr) {
                    const auto seen = mappedAt.find(w.id);
                    *mappedNs = seen != mappedAt.end() ? seen->second : monotonicNs();
                }
                return w.id;
            }
        }
        const int64_t left = deadline - monotonicNs();
        if (left <= 0 || (keepWaiting && !keepWaiting())) {
            return 0;
        }
        // Events the looks above read stay queued; the socket then says nothing.
        if (XEventsQueued(display, QueuedAlready) == 0) {
            pollfd p{ConnectionNumber(display), POLLIN, 0};
            poll(&p, 1,
                 static_cast<int>(std::min<int64_t>(LookAgainMilliseconds, left / 1000000 + 1)));
        }
    }
}

bool Desktop::waitUntilNotViewable(unsigned long window, int timeoutMs) const {
    const int64_t deadline = monotonicNs() + int64_t{timeoutMs} * 1000000;
    while (isViewable(window)) {
        if (monotonicNs() >= deadline) {
            return false;
        }
        sleepUntil(monotonicNs() + LookAgainMilliseconds * 1000000);
    }
    return true;
}

bool Desktop::pressKey(unsigned long window, const std::string& keysym) const {
    if (display == nullptr) {
        return false;
    }
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym.c_str()));
    if (code == 0) {
        return false;
    }
    // The server takes the requests in order: the focus has moved before
    // the key arrives, as a real keyboard's would go to the focused window.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    return synced();
}

bool Desktop::toRoot(unsigned long window, int x, int y, int* rootX, int* rootY) const {
    Window child = 0;
    return display != nullptr && XTranslateCoordinates(display, window, DefaultRootWindow(display),
                                                       x, y, rootX, rootY, &child);
}

bool Desktop::geometry(unsigned long window, int* x, int* y, int* width, int* height) const {
    XWindowAttributes a{};
    if (display == nullptr || !XGetWindowAttributes(display, window, &a) ||
        !toRoot(window, 0, 0, x, y)) {
        return false;
    }
    *width = a.width;
    *height = a.height;
    return true;
}

bool Desktop::movePointer(unsigned long window, int x, int y) const {
    int rootX = 0;
    int rootY = 0;
    if (!toRoot(window, x, y, &rootX, &rootY)) {
        return false;
    }
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    return synced();
}

bool Desktop::click(unsigned long window, int x, int y) const {
    if (!movePointer(window, x, y)) {
        return false;
    }
    sleepUntil(monotonicNs() + MoveFrameNanoseconds);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    return synced();
}

bool Desktop::clickControl(unsigned long window, playerWindows::Control control) const {
    XWindowAttributes a{};
    if (display == nullptr || !XGetWindowAttributes(display, window, &a)) {
        return false;
    }
    // The logical scene fills the largest centred box of the screen's
    // proportions in the window, with bars beside or above and below it.
    using namespace playerWindows;
    const double scale = std::min(double(a.width) / ScreenWidth, double(a.height) / ScreenHeight);
    const double boxWidth = std::lround(ScreenWidth * scale);
    const double boxHeight = std::lround(ScreenHeight * scale);
    const int left = (a.width - static_cast<int>(boxWidth)) / 2;
    // Centred with the odd pixel above (the player counts from the bottom).
    const int top = a.height - static_cast<int>(boxHeight) - (a.height - int(boxHeight)) / 2;
    const Point centre = controlCentre(control);
    return click(window, left + static_cast<int>(std::lround(centre.x * boxWidth / SceneWidth)),
                 top + static_cast<int>(std::lround(centre.y * boxHeight / SceneHeight)));
}

bool Desktop::resize(unsigned long window, int width, int height) const {
    // A window manager takes this as the program's own request and honours
    // it as it would a drag of the frame.
    if (display == nullptr) {
        return false;
    }
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    return synced();
}

bool Desktop::pointerStorm(unsigned long window, double rate, double seconds, int x, int y) const {
    XWindowAttributes a{};
    int left = 0;
    int top = 0;
    if (display == nullptr || rate <= 0 || !XGetWindowAttributes(display, window, &a) ||
        a.width < 2 || a.height < 2 || !toRoot(window, 0, 0, &left, &top)) {
        return false;
    }
    const long count = std::lround(rate * seconds);
    const int64_t start = monotonicNs();
    for (long i = 0; i < count; ++i) {
        // Paced against the start, so a late move does not shift the rest.
        sleepUntil(start + static_cast<int64_t>(static_cast<double>(i) * 1e9 / rate));
        const bool last = i == count - 1;
        // A walk over the whole window that never lands on the last point.
        int px = last ? x : static_cast<int>(i * 37 % (a.width - 1));
        int py = last ? y : static_cast<int>(i * 53 % (a.height - 1));
        if (!last && px == x && py == y) {
            px = (px + 1) % (a.width - 1);
        }
        XTestFakeMotionEvent(display, -1, left + px, top + py, CurrentTime);
        XFlush(display);
    }
    return synced();
}

bool Desktop::capture(ScreenPicture* out) const {
    if (display == nullptr) {
        return false;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, root, &a)) {
        return false;
    }
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(a.width),
                              static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    out->width = a.width;
    out->height = a.height;
    out->rgb.resize(static_cast<size_t>(a.width) * static_cast<size_t>(a.height) * 3);
    uint8_t* at = out->rgb.data();
    for (int py = 0; py < a.height; ++py) {
        for (int px = 0; px < a.width; ++px) {
            const unsigned long pixel = XGetPixel(image, px, py);
            *at++ = channel(pixel, image->red_mask);
            *at++ = channel(pixel, image->green_mask);
            *at++ = channel(pixel, image->blue_mask);
        }
    }
    XDestroyImage(image);
    return true;
}

} // namespace glintDriver
