#include "engine/platform/x11_display_modes.h"

#include "engine/platform/xrandr_mode_list.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace keltraWorks {

namespace {

bool haveApplied = false;
DisplayMode applied;
// True when the recorded mode differs from the output's current one, so the
// display really switches (and needs time to settle) once the window opens.
bool switchPending = false;

// An X error while reading (an output unplugged between two requests, say)
// must not end the program through Xlib's default handler; the reply that
// failed comes back empty and is skipped.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Bits per stored pixel of the default visual, as the window library counts
// them; 0 for a palette visual, which it does not offer modes for.
int storedBitsPerPixel(Display* display, int screen) {
    const Visual* visual = DefaultVisual(display, screen);
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
        return 0;
    }
    const int depth = DefaultDepth(display, screen);
    int bits = depth;
    int count = 0;
    if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
        for (int i = 0; i < count; ++i) {
            if (formats[i].depth == depth) {
                bits = formats[i].bits_per_pixel;
                break;
            }
        }
        XFree(formats);
    }
    return (bits + 7) / 8 * 8;
}

bool findLine(const XRRScreenResources* resources, RRMode id, XrandrModeLine& out) {
    for (int i = 0; i < resources->nmode; ++i) {
        const XRRModeInfo& info = resources->modes[i];
        if (info.id == id) {
            out.width = static_cast<int>(info.width);
            out.height = static_cast<int>(info.height);
            out.dotClock = info.dotClock;
            out.hTotal = info.hTotal;
            out.vTotal = info.vTotal;
            return true;
        }
    }
    return false;
}

// A busy X server (one resetting after its last client left, say) refuses
// connections for a moment, so a failed open is retried a few times, a short
// and growing pause apart, before the modes count as unreadable.
::Display* openDisplay() {
    constexpr int Attempts = 5;
    constexpr int FirstPauseMs = 20;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(FirstPauseMs * attempt));
        }
        if (::Display* display = XOpenDisplay(nullptr)) {
            return display;
        }
    }
    return nullptr;
}

} // namespace

X11DisplayModes::X11DisplayModes() {
    display = openDisplay();
    if (!display) {
        std::fprintf(stderr, "glint: platform: cannot read the display modes: cannot open the "
                             "X display\n");
        return;
    }
    auto* previous = XSetErrorHandler(ignoreXError);
    readModes();
    XSync(display, False);
    XSetErrorHandler(previous);
}

X11DisplayModes::~X11DisplayModes() {
    if (display) {
        XCloseDisplay(display);
    }
}

void X11DisplayModes::readModes() {
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const int bits = storedBitsPerPixel(display, screen);
    if (bits == 0) {
        return;
    }
    // Without RandR 1.3 the screen's own size is the one mode there is.
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 3)) {
        desktop.width = DisplayWidth(display, screen);
        desktop.height = DisplayHeight(display, screen);
        desktop.bitsPerPixel = bits;
        haveDesktop = true;
        modes.push_back(desktop);
        return;
    }
    // The current configuration is enough, and unlike a full query it does
    // not make the server probe the monitors.
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (!resources || resources->noutput == 0) {
        if (resources) {
            XRRFreeScreenResources(resources);
        }
        resources = XRRGetScreenResources(display, root);
        if (!resources) {
            return;
        }
    }
    // Pass 1: the output, the primary one if it is lit, else the first lit one.
    const RROutput primary = XRRGetOutputPrimary(display, root);
    XRROutputInfo* output = nullptr;
    for (int pass = 0; pass < 2 && !output; ++pass) {
        for (int i = 0; i < resources->noutput && !output; ++i) {
            if (pass == 0 && resources->outputs[i] != primary) {
                continue;
            }
            XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
            if (info && info->crtc && info->connection != RR_Disconnected) {
                output = info;
            } else if (info) {
                XRRFreeOutputInfo(info);
            }
        }
    }
    // Pass 2: its turn and current mode from the controller that drives it.
    bool quarterTurned = false;
    if (output) {
        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
            quarterTurned = (crtc->rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
            XrandrModeLine line;
            if (findLine(resources, crtc->mode, line)) {
                const std::vector<DisplayMode> current =
                    displayModesFromXrandr({line}, quarterTurned, bits);
                desktop = current.front();
                haveDesktop = true;
            }
            XRRFreeCrtcInfo(crtc);
        }
        // Pass 3: every mode the output offers.
        std::vector<XrandrModeLine> lines;
        for (int i = 0; i < output->nmode; ++i) {
            XrandrModeLine line;
            if (findLine(resources, output->modes[i], line)) {
                lines.push_back(line);
            }
        }
        modes = displayModesFromXrandr(lines, quarterTurned, bits);
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
}

bool X11DisplayModes::mode(int number, DisplayMode& out) {
    if (number < 0 || number >= static_cast<int>(modes.size())) {
        return false;
    }
    out = modes[static_cast<size_t>(number)];
    return true;
}

bool X11DisplayModes::testMode(const DisplayMode& wanted) {
    for (const DisplayMode& m : modes) {
        if (m.width == wanted.width && m.height == wanted.height &&
            m.refreshRate == wanted.refreshRate) {
            return true;
        }
    }
    return false;
}

bool X11DisplayModes::setMode(const DisplayMode& wanted) {
    if (!testMode(wanted)) {
        return false;
    }
    applied = wanted;
    haveApplied = true;
    switchPending = !haveDesktop || desktop.width != wanted.width ||
                    desktop.height != wanted.height || desktop.refreshRate != wanted.refreshRate;
    return true;
}

void X11DisplayModes::pause(int milliseconds) {
    // Already in the chosen mode, the display has nothing to settle from.
    if (milliseconds > 0 && switchPending) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

bool X11DisplayModes::desktopMode(DisplayMode& out) const {
    if (haveDesktop) {
        out = desktop;
    }
    return haveDesktop;
}

bool X11DisplayModes::appliedMode(DisplayMode& out) {
    if (haveApplied) {
        out = applied;
    }
    return haveApplied;
}

bool X11DisplayModes::appliedModeSwitches() {
    return haveApplied && switchPending;
}

void X11DisplayModes::clearAppliedMode() {
    haveApplied = false;
    switchPending = false;
}

} // namespace keltraWorks
