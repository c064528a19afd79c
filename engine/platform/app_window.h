// The program's one main window and its message loop. The loop turns every
// retrieved event into exactly one frame: the renderer's beginFrame and
// loadIdentity, then, with a root attached, the root's layout, pushState, the
// root's draw, popState, the renderer's endFrame and the buffer swap (without
// a root, endFrame alone). The window clears nothing: the tree's opaque root
// covers the picture and the renderer clears the bars around it. With no
// renderer or no root there is no frame and no swap. Where the window system
// can show part of the back buffer and the renderer can draw partial frames,
// the renderer redraws only the pixels that changed and the window shows
// just those (same pixels, a fraction of the work).
//
// Pacing stands in for a 10 ms platform timer: a tick is made only when no
// other event is queued and only once 10 ms have passed since the last one,
// so at most one is ever pending and no backlog builds, whatever the input
// rate or frame cost. Consecutive queued mouse moves collapse into the latest.
//
// Quits: Escape (repeats too), the close box and Alt+F4 post a quit
// (quit_request.h), delivered after the events already queued. The first
// delivered quit calls the handler set with setFirstQuitHandler (the
// application's closing sequence) and the loop goes on; the next one ends
// run(), which returns its exit code. An end signal (end_signals.h) ends the
// loop at the next event with exit code 0, as a second quit would.
//
// Keys: Escape is a close request; F11 (first presses only) toggles full
// screen; every other key the window tells apart goes to the handler set
// with setKeyHandler, repeats included.
//
// Size: the windowed window is resizable. A Resize from the window system
// hands the new drawable size to the renderer (setDrawableSize), which fits
// the picture into it with black bars; the next frame is drawn whole. Full
// screen by F11 is a borderless window over the display at the desktop's
// own size (no mode switch), marked full screen for a window manager; F11
// again restores the window's size and place (a window opened full screen
// leaves it for a window of the windowed style's size, centred). A window
// in a display mode the setup dialog switched to stays as it is.
//
// Mouse: left is button 0, right 1, other buttons are ignored (still a
// frame). Coordinates are taken as unsigned 16-bit (a captured drag left of
// the window gives x near 65535). A press or release of the same kind
// arriving for the 50th time in a row is dropped; moves count towards runs
// but are never dropped. The mouse is captured on every press and released
// on every release. Positions go through the renderer's unproject to logical
// units and into the widget tree through dispatchMouseEvent (mouse_dispatch.h).
// The pointer leaving the window ends the hover of every widget.
//
// Ownership: the window owns its SDL window and its window system; it holds
// but does not own the renderer and the root. At most one AppWindow exists at
// a time: a second one constructed meanwhile is inert (no handle).
// Single-threaded: every call on the thread that made the window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct SDL_Window;

namespace keltraWorks {

class Object;
class Renderer;
class WindowSystem;
struct WindowEvent;
enum class WindowKey;

enum class WindowStyle {
    Windowed,   // an ordinary decorated, resizable window with a close box, at
                // the given size or twice it where the desktop holds twice
                // it both ways (a HiDPI display)
    FullScreen, // full screen in the mode the setup dialog applied, else a
                // borderless window at the given position. When the desktop
                // is already in the applied mode nothing needs switching: the
                // window is borderless at the display's place and size, and
                // asks the window manager for the full-screen state before it
                // is first shown. A mode that does switch the display does so
                // when the window is first shown.
};

class AppWindow {
  public:
    // The frame period of the loop, in milliseconds.
    static constexpr uint32_t TickMilliseconds = 10;

    // Opens SDL's video, makes the window hidden (client area width x height
    // pixels at x, y, unless the style says otherwise) with an OpenGL
    // framebuffer for the renderer, and starts the tick. On failure a line
    // goes to stderr and handle() stays null.
    AppWindow(WindowStyle style, int width, int height, int x, int y);
    // A window with no desktop window behind it, fed by the given window
    // system (not owned); handle() is null. For running the loop from a script.
    explicit AppWindow(WindowSystem& system);
    ~AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // Shows the window the first time; later calls do nothing.
    void show();
    // Brings the window to the front and asks for the keyboard focus.
    void raise();
    void setTitle(const std::string& title);
    SDL_Window* handle() const { return window; }

    // Refuses (false, keeps nothing) a null renderer, one that is not
    // available or one whose status is not ready. Otherwise keeps it, has
    // it make the window font ("Courier New", 14, bold), which as the
    // renderer's first font becomes font 0, the widgets' default, and asks
    // it for partial frames when the window can show part of its buffer.
    bool setRenderer(Renderer* renderer);
    Renderer* getRenderer() const { return renderer; }
    // A null root is ignored; otherwise it is kept and laid out.
    void setRoot(Object* root);
    Object* getRoot() const { return root; }
    // Called once, on the first delivered quit.
    void setFirstQuitHandler(std::function<void()> handler);
    // Called for each key press other than Escape (see the top of this file).
    void setKeyHandler(std::function<void(WindowKey key, bool repeat)> handler);
    // Called by run() once per turn of the loop, after the event and before
    // the frame: for work that must run on this thread without waiting.
    void setTurnHandler(std::function<void()> handler);

    // The loop: frames until the second quit; returns its exit code.
    int run();
    // Waits for and handles one event; false when the loop must end.
    bool pumpMessage();
    // One frame: see the top of this file.
    void renderFrame();

    // F11: see the top of this file. False when nothing changed.
    bool toggleFullScreen();
    // The drawable is now width x height pixels (see the top of this file).
    void resized(int width, int height);

    // Mouse dispatch with window pixel coordinates.
    void handleMouseMove(int x, int y);
    void handleMouseDown(int x, int y, int button);
    void handleMouseUp(int x, int y, int button);
    // The pointer has left the window: nothing is hovered any more.
    void handleMouseLeave();

    // Hides and destroys the window and stops SDL's video. Safe to call twice.
    void destroy();

    // The font setRenderer made; -1 before.
    int font = -1;
    // The code of the quit that ended the loop; 0 until then.
    int exitCode = 0;
    bool shown = false;
    // The client area's size in pixels.
    int width = 0;
    int height = 0;
    // Full screen by F11 now.
    bool fullScreen = false;

  private:
    bool create(WindowStyle style, int width, int height, int x, int y);
    // The next event to handle, or false when the pending quit is due.
    bool nextEvent(WindowEvent& out);
    void dispatch(const WindowEvent& event);
    // The run-length filter: false when this button event must be dropped.
    bool passesRunFilter(const WindowEvent& event);

    std::unique_ptr<WindowSystem> ownedSystem;
    WindowSystem* system = nullptr;
    SDL_Window* window = nullptr;
    bool videoStarted = false;
    bool registered = false;
    Renderer* renderer = nullptr;
    // The renderer redraws and the window shows only what changed from frame
    // to frame; false when frames are drawn and swapped whole.
    bool partialFrames = false;
    Object* root = nullptr;
    std::function<void()> firstQuitHandler;
    std::function<void(WindowKey, bool)> keyHandler;
    std::function<void()> turnHandler;
    bool firstQuitSeen = false;
    uint32_t nextTick = 0;
    // An event read past a run of mouse moves, handed out next.
    std::unique_ptr<WindowEvent> heldEvent;
    int lastMouseKind = -1;
    int runLength = 0;
    // Where the window was before F11 made it full screen.
    int windowedX = 0;
    int windowedY = 0;
    int windowedWidth = 0;
    int windowedHeight = 0;
};

} // namespace keltraWorks
