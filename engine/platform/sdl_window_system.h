// The desktop as SDL2 delivers it: SDL events translated into WindowEvents,
// SDL_CaptureMouse and SDL_GL_SwapWindow; on X11 with GLX_MESA_copy_sub_buffer
// it also shows parts of the back buffer (glXCopySubBufferMESA), and an
// expose of the window makes the next one show the whole back buffer. Needs SDL's video subsystem,
// which the main window starts before making one of these. Every SDL event becomes one WindowEvent
// (most as Other), except the raw X events below; the pointer leaving the
// window is MouseLeave.
//
// A change of the window's size becomes a Resize with the drawable's size
// (and, like an expose, makes the next region show the whole back buffer).
// While a new size settles, regions are shown with the server's answer
// awaited, and one the server refuses is shown by a swap instead.
//
// Keys: Escape, Space, Left, Right and F11 by SDL's key codes. The media keys go
// by what the keyboard map names them: SDL 2 knows no XF86AudioPause (a
// media pause key gives no SDL event at all) and names a key by its
// unshifted meaning (Shift+XF86AudioPlay is XF86AudioPause in the usual map),
// so on X11 they are read from the raw X key events' keysyms, which SDL hands
// over as system events; those raw events give no WindowEvent of their own.
// Elsewhere SDL's media key codes are used. Single-threaded: the window's
// thread only.
#pragma once

#include "engine/platform/window_system.h"

union SDL_Event;

namespace keltraWorks {

class SdlWindowSystem : public WindowSystem {
  public:
    SdlWindowSystem();
    ~SdlWindowSystem() override;
    SdlWindowSystem(const SdlWindowSystem&) = delete;
    SdlWindowSystem& operator=(const SdlWindowSystem&) = delete;

    bool poll(WindowEvent& out) override;
    bool wait(WindowEvent& out, uint32_t milliseconds) override;
    void captureMouse(bool captured) override;
    void swapBuffers(SDL_Window* window) override;
    bool showsRegions(SDL_Window* window) override;
    void showRegion(SDL_Window* window, int x, int y, int width, int height) override;

  private:
    void note(const SDL_Event& event);
    // The WindowEvent for `event`; false for a raw X event that gives none.
    bool translate(const SDL_Event& event, WindowEvent& out);
    bool translateX11Key(const SDL_Event& event, WindowEvent& out);

    using CopySubBuffer = void (*)(void* display, unsigned long drawable, int x, int y, int width,
                                   int height);
    CopySubBuffer copySubBuffer = nullptr;
    void* display = nullptr; // the X display of the window, for copySubBuffer
    unsigned long drawable = 0;
    bool exposed = true;  // nothing shown yet
    int guardedShows = 0; // regions still shown with errors caught
    // The drawable size frames are drawn for: the last one handed out. (SDL's
    // own runs ahead of the events taken while it reads the queue.)
    int drawnWidth = 0;
    int drawnHeight = 0;
    bool x11MediaKeys = false;    // media keys from the raw X key events
    unsigned int heldKeycode = 0; // the X key pressed last and not yet released
};

} // namespace keltraWorks
