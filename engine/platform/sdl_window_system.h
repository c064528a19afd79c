// The desktop as SDL2 delivers it: SDL events translated into WindowEvents,
// SDL_CaptureMouse and SDL_GL_SwapWindow; on X11 with GLX_MESA_copy_sub_buffer
// it also shows parts of the back buffer (glXCopySubBufferMESA), and an
// expose of the window makes the next one show the whole back buffer. Needs SDL's video subsystem, which
// the main window starts before making one of these. Every SDL event becomes
// one WindowEvent (most as Other). Single-threaded: the window's thread only.
#pragma once

#include "engine/platform/window_system.h"

union SDL_Event;

namespace keltraWorks {

class SdlWindowSystem : public WindowSystem {
  public:
    bool poll(WindowEvent& out) override;
    bool wait(WindowEvent& out, uint32_t milliseconds) override;
    void captureMouse(bool captured) override;
    void swapBuffers(SDL_Window* window) override;
    bool showsRegions(SDL_Window* window) override;
    void showRegion(SDL_Window* window, int x, int y, int width, int height) override;

  private:
    void note(const SDL_Event& event);

    using CopySubBuffer = void (*)(void* display, unsigned long drawable, int x, int y, int width,
                                   int height);
    CopySubBuffer copySubBuffer = nullptr;
    void* display = nullptr; // the X display of the window, for copySubBuffer
    unsigned long drawable = 0;
    bool exposed = true; // nothing shown yet
};

} // namespace keltraWorks
