#include "engine/platform/sdl_window_system.h"

#include <GL/glx.h>
#include <SDL.h>
#include <SDL_syswm.h>

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

WindowEvent translate(const SDL_Event& event) {
    WindowEvent out;
    switch (event.type) {
    case SDL_QUIT:
        // With closing the last window kept from quitting SDL and the end
        // signals caught by the program itself, SDL_QUIT comes only from
        // outside requests of SDL's own; one request, like the close box.
        out.kind = WindowEvent::Kind::Close;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            out.kind = WindowEvent::Kind::Close;
        }
        break;
    case SDL_KEYDOWN:
        out.kind = WindowEvent::Kind::Key;
        out.escape = event.key.keysym.sym == SDLK_ESCAPE;
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
    return out;
}

} // namespace

void SdlWindowSystem::note(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT &&
        (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN ||
         event.window.event == SDL_WINDOWEVENT_RESTORED ||
         event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
        exposed = true;
    }
}

bool SdlWindowSystem::poll(WindowEvent& out) {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {
        return false;
    }
    note(event);
    out = translate(event);
    return true;
}

bool SdlWindowSystem::wait(WindowEvent& out, uint32_t milliseconds) {
    SDL_Event event;
    const int timeout = milliseconds > INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
    if (!SDL_WaitEventTimeout(&event, timeout)) {
        return false;
    }
    note(event);
    out = translate(event);
    return true;
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
        SDL_GL_GetDrawableSize(window, &width, &height);
    }
    if (width <= 0 || height <= 0) {
        return;
    }
    copySubBuffer(display, drawable, x, y, width, height);
    XFlush(static_cast<Display*>(display));
}

} // namespace keltraWorks
