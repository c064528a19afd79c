#include "engine/platform/app_window.h"

#include "engine/core/clock.h"
#include "engine/gui/mouse_dispatch.h"
#include "engine/gui/object.h"
#include "engine/platform/end_signals.h"
#include "engine/platform/gl_context.h"
#include "engine/platform/quit_request.h"
#include "engine/platform/sdl_video.h"
#include "engine/platform/sdl_window_system.h"
#include "engine/platform/window_system.h"
#include "engine/platform/x11_display_modes.h"
#include "engine/render/renderer.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>

namespace keltraWorks {

namespace {

AppWindow* currentWindow = nullptr;

// The caption until start-up sets the program's title.
const char* const InitialTitle = "QRT Window";

// Kinds for the run-length filter: moves and the four button messages, left
// and right counted apart.
constexpr int RunMove = 0;
constexpr int RunLeftDown = 1;
constexpr int RunRightDown = 2;
constexpr int RunLeftUp = 3;
constexpr int RunRightUp = 4;
// The press or release that makes a run this long is dropped; the next passes.
constexpr int DroppedRunLength = 50;

int runKind(const WindowEvent& event) {
    switch (event.kind) {
    case WindowEvent::Kind::MouseDown:
        return event.button == 0 ? RunLeftDown : RunRightDown;
    case WindowEvent::Kind::MouseUp:
        return event.button == 0 ? RunLeftUp : RunRightUp;
    default:
        return RunMove;
    }
}

// Window coordinates arrive as the low and high halves of one unsigned
// 32-bit value, so a position left of or above the window (while the mouse
// is captured) reads as a large positive number, never a negative one.
int unsigned16(int value) {
    return static_cast<int>(static_cast<uint16_t>(value));
}

// The SDL mode for the mode the setup dialog applied: 4 bytes per pixel at
// exactly its size and rate when display 0 lists one, else SDL's closest.
bool fullScreenMode(const DisplayMode& wanted, SDL_DisplayMode* out) {
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w == wanted.width &&
            mode.h == wanted.height && mode.refresh_rate == wanted.refreshRate &&
            SDL_BYTESPERPIXEL(mode.format) == 4) {
            *out = mode;
            return true;
        }
    }
    SDL_DisplayMode request = {};
    request.w = wanted.width;
    request.h = wanted.height;
    request.refresh_rate = wanted.refreshRate;
    return SDL_GetClosestDisplayMode(0, &request, out) != nullptr;
}

// Marks a window that is not yet mapped as full screen for the window
// manager, which then shows it so (without one, the window already covers
// the display). SDL's own full-screen path would do the same but, the window
// being mapped by then, waits up to 100 ms for the manager to move it, which
// it never does when the window already has the display's size and place.
void askForFullScreenState(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    ::Display* display = info.info.x11.display;
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(display, info.info.x11.window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullScreen), 1);
    XFlush(display);
}

// True when a window manager has marked the root as managed (EWMH).
bool windowManagerRunning(::Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const bool found =
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) == Success &&
        type == XA_WINDOW && count == 1;
    if (data) {
        XFree(data);
    }
    return found;
}

// Puts a mapped window in or out of full screen at `place`. On X11 a window
// manager is asked for the full-screen state (without one nobody reads the
// request) and the server for the size: SDL_SetWindowSize would report the
// new size at once, before a window manager has given it, and not again
// when it does, while the renderer must follow the size the window has.
void placeWindow(SDL_Window* window, bool fullScreen, const SDL_Rect& place) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        return;
    }
    ::Display* display = info.info.x11.display;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = info.info.x11.window;
    event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = fullScreen ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
    event.xclient.data.l[1] =
        static_cast<long>(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False));
    event.xclient.data.l[3] = 1; // a request from an ordinary application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    // Without a window manager nobody answers that request: the state is
    // then written on the window itself, so that a manager starting later
    // finds the window as it is, not as it was first shown.
    if (!windowManagerRunning(display)) {
        const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
        if (fullScreen) {
            const Atom full = static_cast<Atom>(event.xclient.data.l[1]);
            XChangeProperty(display, info.info.x11.window, state, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&full), 1);
        } else {
            XDeleteProperty(display, info.info.x11.window, state);
        }
    }
    SDL_SetWindowBordered(window, fullScreen ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowPosition(window, place.x, place.y);
    XResizeWindow(display, info.info.x11.window, static_cast<unsigned>(place.w),
                  static_cast<unsigned>(place.h));
    XFlush(display);
}

// The windowed size: twice the asked one where the desktop holds twice it
// both ways, so that a HiDPI display shows the picture at a readable size.
void fitWindowedSize(int* width, int* height) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w >= 2 * *width &&
        desktop.h >= 2 * *height) {
        *width *= 2;
        *height *= 2;
    }
}

} // namespace

AppWindow::AppWindow(WindowStyle style, int clientWidth, int clientHeight, int x, int y) {
    if (currentWindow) {
        return;
    }
    currentWindow = this;
    registered = true;
    nextTick = tickCount() + TickMilliseconds;
    if (create(style, clientWidth, clientHeight, x, y)) {
        SDL_GetWindowSize(window, &width, &height);
        // Opened full screen, F11 leaves it for a window of the asked size,
        // centred.
        fullScreen = style == WindowStyle::FullScreen;
        windowedX = windowedY = SDL_WINDOWPOS_CENTERED;
        windowedWidth = clientWidth;
        windowedHeight = clientHeight;
        fitWindowedSize(&windowedWidth, &windowedHeight);
    }
}

AppWindow::AppWindow(WindowSystem& windowSystem) {
    if (currentWindow) {
        return;
    }
    currentWindow = this;
    registered = true;
    system = &windowSystem;
    nextTick = tickCount() + TickMilliseconds;
}

AppWindow::~AppWindow() {
    destroy();
}

bool AppWindow::create(WindowStyle style, int clientWidth, int clientHeight, int x, int y) {
    // A close box click or Alt+F4 must arrive once, as a close request of the
    // window, not a second time as SDL quitting on its last window.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (!startSdlVideo()) {
        std::fprintf(stderr, "glint: platform: cannot open the display: %s\n", SDL_GetError());
        return false;
    }
    videoStarted = true;
    if (!GlContext::requestPixelFormat()) {
        std::fprintf(stderr, "glint: platform: the display refuses the framebuffer format: %s\n",
                     SDL_GetError());
    }

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style == WindowStyle::Windowed) {
        flags |= SDL_WINDOW_RESIZABLE;
        fitWindowedSize(&clientWidth, &clientHeight);
    }
    DisplayMode applied;
    const bool modeApplied = X11DisplayModes::appliedMode(applied);
    const bool switchDisplay = modeApplied && X11DisplayModes::appliedModeSwitches();
    if (style == WindowStyle::FullScreen) {
        // Full screen at the desktop's own size can be left with F11 for a
        // window, which must then resize like one opened windowed.
        flags |=
            switchDisplay ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE;
    }
    // In the desktop's own mode the window covers the primary display the
    // way SDL's full-screen path would place it, wherever that display sits
    // and whatever its size: nothing switches.
    SDL_Rect bounds;
    if (style == WindowStyle::FullScreen && modeApplied && !switchDisplay &&
        SDL_GetDisplayBounds(0, &bounds) == 0) {
        x = bounds.x;
        y = bounds.y;
        clientWidth = bounds.w;
        clientHeight = bounds.h;
    }
    window = SDL_CreateWindow(InitialTitle, x, y, clientWidth, clientHeight, flags);
    if (!window) {
        std::fprintf(stderr, "glint: platform: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    if (style == WindowStyle::FullScreen && modeApplied && !switchDisplay) {
        askForFullScreenState(window);
    } else if (style == WindowStyle::FullScreen && modeApplied) {
        SDL_DisplayMode mode;
        if (!fullScreenMode(applied, &mode) || SDL_SetWindowDisplayMode(window, &mode) != 0) {
            std::fprintf(stderr, "glint: platform: cannot use the chosen display mode: %s\n",
                         SDL_GetError());
        }
    }
    // Keys only ever mean Escape or a frame; no text input or input method.
    SDL_StopTextInput();
    ownedSystem.reset(new SdlWindowSystem);
    system = ownedSystem.get();
    return true;
}

void AppWindow::show() {
    if (shown || !window) {
        return;
    }
    SDL_ShowWindow(window);
    shown = true;
}

void AppWindow::raise() {
    if (window) {
        SDL_RaiseWindow(window);
    }
}

void AppWindow::setTitle(const std::string& title) {
    if (window) {
        SDL_SetWindowTitle(window, title.c_str());
    }
}

bool AppWindow::setRenderer(Renderer* candidate) {
    if (!candidate || !candidate->isAvailable() || candidate->getStatus() != StatusReady) {
        return false;
    }
    renderer = candidate;
    font = renderer->createFont("Courier New", 14, true, false, false);
    partialFrames =
        system && window && system->showsRegions(window) && renderer->setPartialFrames(true);
    return true;
}

void AppWindow::setRoot(Object* newRoot) {
    if (!newRoot) {
        return;
    }
    root = newRoot;
    root->layout();
}

void AppWindow::setFirstQuitHandler(std::function<void()> handler) {
    firstQuitHandler = std::move(handler);
}

void AppWindow::setKeyHandler(std::function<void(WindowKey, bool)> handler) {
    keyHandler = std::move(handler);
}

void AppWindow::setTurnHandler(std::function<void()> handler) {
    turnHandler = std::move(handler);
}

int AppWindow::run() {
    while (pumpMessage()) {
        if (turnHandler) {
            turnHandler();
        }
        renderFrame();
    }
    return exitCode;
}

bool AppWindow::pumpMessage() {
    if (!system) {
        return false;
    }
    // An end signal ends the loop as a second quit would, whatever came before.
    if (endSignalled()) {
        exitCode = 0;
        return false;
    }
    WindowEvent event;
    if (nextEvent(event)) {
        dispatch(event);
        return true;
    }
    int code = 0;
    takeQuitMessage(&code);
    if (firstQuitSeen) {
        exitCode = code;
        return false;
    }
    // The first quit does not end the program: it starts the closing
    // sequence, which posts the final quit itself when it is over.
    firstQuitSeen = true;
    if (firstQuitHandler) {
        firstQuitHandler();
    }
    return true;
}

bool AppWindow::nextEvent(WindowEvent& out) {
    for (;;) {
        if (heldEvent) {
            out = *heldEvent;
            heldEvent.reset();
        } else if (!system->poll(out)) {
            // Nothing queued: a posted quit comes first, then the tick.
            if (quitMessagePending()) {
                return false;
            }
            const uint32_t now = tickCount();
            const int32_t untilTick = static_cast<int32_t>(nextTick - now);
            if (untilTick <= 0) {
                // Counted from now, not from when it was due: a slow frame
                // never leaves ticks owing.
                nextTick = now + TickMilliseconds;
                out = WindowEvent();
                return true;
            }
            if (!system->wait(out, static_cast<uint32_t>(untilTick))) {
                continue;
            }
        }
        if (out.kind == WindowEvent::Kind::MouseMove) {
            WindowEvent next;
            while (system->poll(next)) {
                if (next.kind != WindowEvent::Kind::MouseMove) {
                    heldEvent.reset(new WindowEvent(next));
                    break;
                }
                out = next;
            }
        }
        return true;
    }
}

bool AppWindow::passesRunFilter(const WindowEvent& event) {
    const int kind = runKind(event);
    if (kind == lastMouseKind) {
        ++runLength;
    } else {
        lastMouseKind = kind;
        runLength = 1;
    }
    return kind == RunMove || runLength != DroppedRunLength;
}

void AppWindow::dispatch(const WindowEvent& event) {
    switch (event.kind) {
    case WindowEvent::Kind::Close:
        postQuitMessage(0);
        break;
    case WindowEvent::Kind::Key:
        if (event.key == WindowKey::Escape) {
            postQuitMessage(0);
        } else if (event.key == WindowKey::FullScreen) {
            if (!event.repeat) {
                toggleFullScreen();
            }
        } else if (event.key != WindowKey::Other && keyHandler) {
            keyHandler(event.key, event.repeat);
        }
        break;
    case WindowEvent::Kind::MouseMove:
        passesRunFilter(event);
        handleMouseMove(unsigned16(event.x), unsigned16(event.y));
        break;
    case WindowEvent::Kind::MouseDown:
        if (passesRunFilter(event)) {
            system->captureMouse(true);
            handleMouseDown(unsigned16(event.x), unsigned16(event.y), event.button);
        }
        break;
    case WindowEvent::Kind::MouseUp:
        if (passesRunFilter(event)) {
            system->captureMouse(false);
            handleMouseUp(unsigned16(event.x), unsigned16(event.y), event.button);
        }
        break;
    case WindowEvent::Kind::MouseLeave:
        handleMouseLeave();
        break;
    case WindowEvent::Kind::Resize:
        resized(event.width, event.height);
        break;
    case WindowEvent::Kind::Other:
        break;
    }
}

bool AppWindow::toggleFullScreen() {
    // A display mode the dialog switched to is left as chosen.
    if (!window || (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0) {
        return false;
    }
    SDL_Rect place = {windowedX, windowedY, windowedWidth, windowedHeight};
    if (!fullScreen) {
        const int index = SDL_GetWindowDisplayIndex(window);
        if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &place) != 0) {
            std::fprintf(stderr, "glint: platform: cannot go full screen: %s\n", SDL_GetError());
            return false;
        }
        SDL_GetWindowPosition(window, &windowedX, &windowedY);
        SDL_GetWindowSize(window, &windowedWidth, &windowedHeight);
    }
    fullScreen = !fullScreen;
    placeWindow(window, fullScreen, place);
    return true;
}

void AppWindow::resized(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    if (renderer) {
        renderer->setDrawableSize(newWidth, newHeight);
    }
}

void AppWindow::renderFrame() {
    // Without a renderer there is nothing to draw with; never call through it.
    if (!renderer) {
        return;
    }
    renderer->beginFrame();
    renderer->loadIdentity();
    if (!root) {
        renderer->endFrame();
        return;
    }
    root->layout();
    renderer->pushState();
    root->draw(renderer);
    renderer->popState();
    const FrameRecording::Box changed = renderer->endFrame();
    if (partialFrames) {
        system->showRegion(window, changed.x0, changed.y0, changed.x1 - changed.x0,
                           changed.y1 - changed.y0);
        return;
    }
    system->swapBuffers(window);
}

void AppWindow::handleMouseMove(int x, int y) {
    if (!root || !renderer) {
        return;
    }
    dispatchMouseEvent(*root, MouseEventKind::Move, renderer->unproject(x, y));
}

void AppWindow::handleMouseDown(int x, int y, int button) {
    if (!root || !renderer) {
        return;
    }
    dispatchMouseEvent(*root, MouseEventKind::Press, renderer->unproject(x, y), button);
}

void AppWindow::handleMouseUp(int x, int y, int button) {
    if (!root || !renderer) {
        return;
    }
    dispatchMouseEvent(*root, MouseEventKind::Release, renderer->unproject(x, y), button);
}

void AppWindow::handleMouseLeave() {
    if (!root) {
        return;
    }
    dispatchMouseEvent(*root, MouseEventKind::Leave, vector2());
}

void AppWindow::destroy() {
    // The renderer may already be gone (it is released first); only forget
    // that it drew partial frames.
    partialFrames = false;
    if (window) {
        SDL_HideWindow(window);
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    ownedSystem.reset();
    system = nullptr;
    if (videoStarted) {
        stopSdlVideo();
        videoStarted = false;
    }
    if (registered) {
        currentWindow = nullptr;
        registered = false;
    }
}

} // namespace keltraWorks
