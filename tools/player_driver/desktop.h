// Works the real player on one X display from outside, as a user would:
// finds top-level windows by their exact title and waits for them to be
// mapped and viewable, gives a window the keyboard focus and types keys into
// it, moves the pointer and clicks through the XTEST extension, and takes a
// picture of the whole screen. Top-level windows are the root's titled
// children, or under a window manager the titled windows in its frames.
//
// Units: times are nanoseconds of CLOCK_MONOTONIC (monotonicNs, the clock of
// the benchmark's frame log), time-outs milliseconds; positions are pixels
// of the window named, controls are named by app/player_windows.h and placed
// where the player shows its logical scene: in the largest centred box of
// the screen's proportions in the window. X errors (a window gone
// while it is looked at) become failures: the first object installs an
// error handler for the process that records them instead of exiting.
// Each object owns its own connection; one thread uses it.
#pragma once

#include "app/player_windows.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct _XDisplay;

namespace glintDriver {

int64_t monotonicNs();

struct TopWindow {
    unsigned long id = 0;
    std::string title;
};

// 8-bit RGB, rows top to bottom.
struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

class Desktop {
  public:
    // `display` is ":N" (an empty name connects nowhere). Watches for
    // top-level windows being mapped from now on.
    explicit Desktop(const std::string& display);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool connected() const { return display != nullptr; }

    // The named top-level windows, mapped or not.
    std::vector<TopWindow> windows() const;
    // The window with exactly this title, or 0.
    unsigned long findWindow(const std::string& title) const;
    bool isViewable(unsigned long window) const;
    // Waits until a window with exactly this title is viewable; its id, or 0
    // once the time is up or `keepWaiting` returns false. *mappedNs is when
    // its mapping reached this object (or when it was first seen, for one
    // mapped before the object watched).
    unsigned long waitForViewable(const std::string& title, int timeoutMs,
                                  int64_t* mappedNs = nullptr,
                                  const std::function<bool()>& keepWaiting = {}) const;
    // Waits until the window is unmapped or destroyed; false after the time.
    bool waitUntilNotViewable(unsigned long window, int timeoutMs) const;
    // The window's top-left corner on the screen and its size; false when
    // it is gone.
    bool geometry(unsigned long window, int* x, int* y, int* width, int* height) const;

    // Focuses the window, then presses and releases the key, an X keysym
    // name such as "Return" or "Escape".
    bool pressKey(unsigned long window, const std::string& keysym) const;
    bool movePointer(unsigned long window, int x, int y) const;
    // A move, 30 ms for the move to be a frame of its own, then a press and
    // release of the left button.
    bool click(unsigned long window, int x, int y) const;
    // A click at the centre of a control of the player window.
    bool clickControl(unsigned long window, playerWindows::Control control) const;
    // `rate` pointer moves a second for `seconds`, paced against the start,
    // walking over the whole window and never onto x y, where the last one
    // lands.
    bool pointerStorm(unsigned long window, double rate, double seconds, int x, int y) const;
    // Asks for the window to be width x height pixels.
    bool resize(unsigned long window, int width, int height) const;

    bool capture(ScreenPicture* out) const;

  private:
    // Notes the mappings and unmappings the server reported so far.
    void takeEvents() const;
    // The window's pixel x y on the root; false when it is gone.
    bool toRoot(unsigned long window, int x, int y, int* rootX, int* rootY) const;
    bool synced() const;

    _XDisplay* display = nullptr;
    mutable std::map<unsigned long, int64_t> mappedAt;
};

} // namespace glintDriver
