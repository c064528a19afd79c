// What the main window needs from the desktop: its input as WindowEvents,
// mouse capture, the buffer swap and, where the GL can, showing part of the
// back buffer. The SDL implementation is
// sdl_window_system.h; tests script one. The main window (app_window.h) holds
// the loop's rules (ticks, quits, the mouse filter), so an implementation
// only translates and waits.
//
// Units: pixels relative to the window's client area, y from the top; while
// the mouse is captured they may lie outside it, negative included.
// Milliseconds for waits. Single-threaded: the window's thread only.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace keltraWorks {

// The keys the window tells apart; every other key is Other.
enum class WindowKey {
    Other,
    Escape,
    Space,
    Left,
    Right,
    MediaPlay, // the media keys, as the desktop names them (XF86AudioPlay ...)
    MediaPause,
    MediaStop,
    MediaNext,
    MediaPrevious,
    FullScreen, // F11: the window's own, never handed to the application
};

struct WindowEvent {
    enum class Kind {
        Other, // anything else the desktop delivers; it still gives a frame
        Close, // the close box or Alt+F4
        Key,   // a key press, auto-repeats included
        MouseMove,
        MouseDown, // left or right button only: other buttons arrive as Other
        MouseUp,
        MouseLeave, // the pointer left the window
        Resize, // the drawable's size changed: width x height pixels now
    };

    Kind kind = Kind::Other;
    WindowKey key = WindowKey::Other; // Key: which one
    bool repeat = false;              // Key: an auto-repeat of a held key
    int x = 0;
    int y = 0;
    int button = 0; // MouseDown/MouseUp: 0 left, 1 right
    int width = 0;  // Resize
    int height = 0;
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    // The next queued event, without waiting; false when none is queued.
    virtual bool poll(WindowEvent& out) = 0;
    // Waits at most `milliseconds` for an event; false when the time ran out.
    virtual bool wait(WindowEvent& out, uint32_t milliseconds) = 0;
    // Keeps mouse input coming to the window while a button is held outside
    // it (true), or lets it go (false).
    virtual void captureMouse(bool captured) = 0;
    // Shows the frame drawn into the window's back buffer.
    virtual void swapBuffers(SDL_Window* window) = 0;
    // True when the window can show a part of its back buffer without
    // swapping it, so the back buffer keeps its pixels from frame to frame
    // and a frame need only redraw and show what changed.
    virtual bool showsRegions(SDL_Window* window) {
        (void)window;
        return false;
    }
    // Shows the box of the back buffer (window pixels, y up: the GL's window
    // coordinates); an empty box shows nothing. When the desktop has lost
    // what the window showed (an expose), the whole back buffer is shown.
    virtual void showRegion(SDL_Window* window, int x, int y, int width, int height) {
        (void)window;
        (void)x;
        (void)y;
        (void)width;
        (void)height;
    }
};

} // namespace keltraWorks
