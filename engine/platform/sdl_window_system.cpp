#include "engine/platform/sdl_window_system.h"

#include <GL/glx.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XF86keysym.h>
#include <X11/Xutil.h>

#include <climits>
#include <cstring>

namespace keltraWorks {

namespace {

// True when `word` is one of the space-separated words of `list`.
bool hasWord(const char* list, const char* word) {
    const size_t length = std::strlen(word);
    for (const char* p = std::strstr(list, word); p != nullptr; p = std::strstr(p + 1, word)) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

// Frames shown with the server's answer awaited after a change of size.
constexpr int GuardedShows = 100;

bool copyRefused = false;

int noteRefusedCopy(Display*, XErrorEvent*) {
    copyRefused = true;
    return 0;
}

template <class Code> struct KeyName {
    Code code;
    WindowKey key;
};

constexpr KeyName<SDL_Keycode> SdlKeys[] = {
    {SDLK_ESCAPE, WindowKey::Escape},  {SDLK_SPACE, WindowKey::Space},
    {SDLK_LEFT, WindowKey::Left},      {SDLK_RIGHT, WindowKey::Right},
    {SDLK_F11, WindowKey::FullScreen},
};
// SDL 2 has no code for a media pause key.
constexpr KeyName<SDL_Keycode> SdlMediaKeys[] = {
    {SDLK_AUDIOPLAY, WindowKey::MediaPlay},
    {SDLK_AUDIOSTOP, WindowKey::MediaStop},
    {SDLK_AUDIONEXT, WindowKey::MediaNext},
    {SDLK_AUDIOPREV, WindowKey::MediaPrevious},
};
constexpr KeyName<KeySym> X11MediaKeys[] = {
    {XF86XK_AudioPlay, WindowKey::MediaPlay},     {XF86XK_AudioPause, WindowKey::MediaPause},
    {XF86XK_AudioStop, WindowKey::MediaStop},     {XF86XK_AudioNext, WindowKey::MediaNext},
    {XF86XK_AudioPrev, WindowKey::MediaPrevious},
};

template <class Code, size_t N> WindowKey lookUp(const KeyName<Code> (&table)[N], Code code) {
    for (const KeyName<Code>& name : table) {
        if (name.code == code) {
            return name.key;
        }
    }
    return WindowKey::Other;
}

} // namespace

void SdlWindowSystem::note(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT && (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                                          event.window.event == SDL_WINDOWEVENT_SHOWN ||
                                          event.window.event == SDL_WINDOWEVENT_RESTORED ||
                                          event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
        exposed = true;
    }
    // Mesa's software GL looks at the window's size again only after a
    // swap: showing part of the buffer keeps the old size, and a box of the
    // new size would reach past it. One swap as the new size arrives (its
    // picture is replaced at once by the whole frame drawn next) lets the
    // back buffer take the new size.
    if (copySubBuffer != nullptr && event.type == SDL_WINDOWEVENT &&
        event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        if (SDL_Window* window = SDL_GetWindowFromID(event.window.windowID)) {
            SDL_GL_SwapWindow(window);
            guardedShows = GuardedShows;
        }
    }
}

bool SdlWindowSystem::translate(const SDL_Event& event, WindowEvent& out) {
    out = WindowEvent();
    switch (event.type) {
    case SDL_SYSWMEVENT:
        return translateX11Key(event, out);
    case SDL_QUIT:
        // With closing the last window kept from quitting SDL and the end
        // signals caught by the program itself, SDL_QUIT comes only from
        // outside requests of SDL's own; one request, like the close box.
        out.kind = WindowEvent::Kind::Close;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            out.kind = WindowEvent::Kind::Close;
        } else if (event.window.event == SDL_WINDOWEVENT_LEAVE) {
            out.kind = WindowEvent::Kind::MouseLeave;
        } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            out.kind = WindowEvent::Kind::Resize;
            out.width = event.window.data1;
            out.height = event.window.data2;
            // The renderer draws into the drawable, which a high-DPI
            // display makes larger than the window.
            if (SDL_Window* window = SDL_GetWindowFromID(event.window.windowID)) {
                SDL_GL_GetDrawableSize(window, &out.width, &out.height);
            }
            drawnWidth = out.width;
            drawnHeight = out.height;
        }
        break;
    case SDL_KEYDOWN:
        out.kind = WindowEvent::Kind::Key;
        out.key = lookUp(SdlKeys, event.key.keysym.sym);
        if (out.key == WindowKey::Other && !x11MediaKeys) {
            out.key = lookUp(SdlMediaKeys, event.key.keysym.sym);
        }
        out.repeat = event.key.repeat != 0;
        break;
    case SDL_MOUSEMOTION:
        out.kind = WindowEvent::Kind::MouseMove;
        out.x = event.motion.x;
        out.y = event.motion.y;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT || event.button.button == SDL_BUTTON_RIGHT) {
            out.kind = event.type == SDL_MOUSEBUTTONDOWN ? WindowEvent::Kind::MouseDown
                                                         : WindowEvent::Kind::MouseUp;
            out.button = event.button.button == SDL_BUTTON_LEFT ? 0 : 1;
            out.x = event.button.x;
            out.y = event.button.y;
        }
        break;
    default:
        break;
    }
    return true;
}

bool SdlWindowSystem::translateX11Key(const SDL_Event& event, WindowEvent& out) {
    const SDL_SysWMmsg* message = event.syswm.msg;
    if (message == nullptr || message->subsystem != SDL_SYSWM_X11) {
        return false;
    }
    XEvent x = message->msg.x11.event;
    if (x.type == KeyRelease && x.xkey.keycode == heldKeycode) {
        heldKeycode = 0;
    }
    if (x.type != KeyPress) {
        return false;
    }
    // X repeats a held key as presses without releases between them.
    const bool repeat = x.xkey.keycode == heldKeycode;
    heldKeycode = x.xkey.keycode;
    KeySym sym = NoSymbol;
    XLookupString(&x.xkey, nullptr, 0, &sym, nullptr);
    const WindowKey key = lookUp(X11MediaKeys, sym);
    if (key == WindowKey::Other) {
        return false; // SDL's own key event for it follows
    }
    out.kind = WindowEvent::Kind::Key;
    out.key = key;
    out.repeat = repeat;
    return true;
}

SdlWindowSystem::SdlWindowSystem() {
    const char* driver = SDL_GetCurrentVideoDriver();
    x11MediaKeys = driver != nullptr && std::strcmp(driver, "x11") == 0;
    if (x11MediaKeys) {
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
}

SdlWindowSystem::~SdlWindowSystem() {
    if (x11MediaKeys) {
        SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
    }
}

bool SdlWindowSystem::poll(WindowEvent& out) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        note(event);
        if (translate(event, out)) {
            return true;
        }
    }
    return false;
}

bool SdlWindowSystem::wait(WindowEvent& out, uint32_t milliseconds) {
    SDL_Event event;
    const int timeout = milliseconds > INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
    if (!SDL_WaitEventTimeout(&event, timeout)) {
        return false;
    }
    note(event);
    // A raw X event that gives nothing ends the wait early, as if the time
    // had run out; the caller simply waits again.
    return translate(event, out) || poll(out);
}

void SdlWindowSystem::captureMouse(bool captured) {
    // Fails when the window lacks the keyboard focus; the press is handled
    // all the same, as it would be without capture.
    SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE);
}

void SdlWindowSystem::swapBuffers(SDL_Window* window) {
    if (window) {
        SDL_GL_SwapWindow(window);
    }
}

bool SdlWindowSystem::showsRegions(SDL_Window* window) {
    copySubBuffer = nullptr;
    if (window == nullptr) {
        return false;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* x11 = info.info.x11.display;
    const char* extensions = glXQueryExtensionsString(x11, DefaultScreen(x11));
    if (extensions == nullptr || !hasWord(extensions, "GLX_MESA_copy_sub_buffer")) {
        return false;
    }
    auto* function = glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA"));
    if (function == nullptr) {
        return false;
    }
    copySubBuffer = reinterpret_cast<CopySubBuffer>(function);
    display = x11;
    drawable = info.info.x11.window;
    exposed = true;
    SDL_GL_GetDrawableSize(window, &drawnWidth, &drawnHeight);
    return true;
}

void SdlWindowSystem::showRegion(SDL_Window* window, int x, int y, int width, int height) {
    if (copySubBuffer == nullptr || window == nullptr) {
        return;
    }
    if (exposed) {
        exposed = false;
        x = 0;
        y = 0;
        width = drawnWidth;
        height = drawnHeight;
    }
    if (width <= 0 || height <= 0) {
        return;
    }
    Display* x11 = static_cast<Display*>(display);
    if (guardedShows == 0) {
        copySubBuffer(display, drawable, x, y, width, height);
        XFlush(x11);
        return;
    }
    // While the window is being resized, the GL may have taken a newer size
    // for its back buffer than the one this frame was drawn for, and the
    // server then refuses a box that reaches past it (an X error, which
    // would end the program). The frame is shown whole by a swap instead,
    // which also lets the back buffer take the window's size again.
    --guardedShows;
    copyRefused = false;
    const XErrorHandler previous = XSetErrorHandler(noteRefusedCopy);
    copySubBuffer(display, drawable, x, y, width, height);
    XSync(x11, False);
    XSetErrorHandler(previous);
    if (copyRefused) {
        SDL_GL_SwapWindow(window);
        guardedShows = GuardedShows;
    }
}

} // namespace keltraWorks
