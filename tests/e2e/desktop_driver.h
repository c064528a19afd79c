// Works one private X display from outside, as a user would: finds top-level
// windows by their exact title, gives a window the keyboard focus and types
// keys into it, moves the pointer and clicks, and takes screenshots. Uses the
// X tools xwininfo, xdotool and ImageMagick's import, each bounded by a
// timeout so that no call can hang a test. There is no window manager, so
// every top-level window is a child of the root and placed where its program
// asked. Times are milliseconds. Not thread-safe.
#pragma once

#include "tests/e2e/screenshot.h"

#include <string>
#include <vector>

namespace glintE2e {

struct TopWindow {
    unsigned long id = 0;
    std::string title;
};

class DesktopDriver {
  public:
    // `display` is ":N"; screenshots are written into `scratchDir`.
    DesktopDriver(const std::string& display, const std::string& scratchDir);

    // The top-level windows, mapped or not.
    std::vector<TopWindow> windows() const;
    // The window with exactly this title, or 0.
    unsigned long findWindow(const std::string& title) const;
    bool isViewable(unsigned long id) const;
    // Polls until a window of this title is mapped; 0 after the deadline.
    unsigned long waitForViewable(const std::string& title, int timeoutMs) const;
    // Polls until the window is unmapped or destroyed; false after the deadline.
    bool waitUntilNotViewable(unsigned long id, int timeoutMs) const;

    // Focuses the window, then presses and releases the key (an X keysym
    // name such as "Return" or "Escape").
    bool pressKey(unsigned long window, const std::string& keysym) const;
    bool movePointer(int x, int y) const;
    bool click(int x, int y) const;

    bool screenshot(Screenshot* out) const;

    // The environment the X tools and the program under test run with.
    std::vector<std::string> environment() const;

  private:
    bool xdotool(const std::vector<std::string>& args) const;

    std::string display;
    std::string scratch;
};

} // namespace glintE2e
