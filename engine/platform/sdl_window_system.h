// The desktop as SDL2 delivers it: SDL events translated into WindowEvents,
// SDL_CaptureMouse and SDL_GL_SwapWindow. Needs SDL's video subsystem, which
// the main window starts before making one of these. Every SDL event becomes
// one WindowEvent (most as Other). Single-threaded: the window's thread only.
#pragma once

#include "engine/platform/window_system.h"

namespace keltraWorks {

class SdlWindowSystem : public WindowSystem {
  public:
    bool poll(WindowEvent& out) override;
    bool wait(WindowEvent& out, uint32_t milliseconds) override;
    void captureMouse(bool captured) override;
    void swapBuffers(SDL_Window* window) override;
};

} // namespace keltraWorks
