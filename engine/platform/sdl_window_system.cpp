#include "engine/platform/sdl_window_system.h"

#include <SDL.h>

#include <climits>

namespace keltraWorks {

namespace {

WindowEvent translate(const SDL_Event& event) {
    WindowEvent out;
    switch (event.type) {
    case SDL_QUIT:
        // With closing the last window kept from quitting SDL, SDL_QUIT comes
        // only from SIGINT/SIGTERM: one request, like the close box.
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

bool SdlWindowSystem::poll(WindowEvent& out) {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {
        return false;
    }
    out = translate(event);
    return true;
}

bool SdlWindowSystem::wait(WindowEvent& out, uint32_t milliseconds) {
    SDL_Event event;
    const int timeout = milliseconds > INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
    if (!SDL_WaitEventTimeout(&event, timeout)) {
        return false;
    }
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

} // namespace keltraWorks
