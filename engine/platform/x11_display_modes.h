// The display modes of the X server's primary output (the first connected one
// when none is marked primary), read with RandR over a connection of its own
// and listed in the window library's order (xrandr_mode_list.h). Reading them
// takes a few milliseconds, where starting the window library's video would
// take tens, and it keeps that library untouched until the main window opens
// (which is when it installs its Ctrl+C handling). The connection stays open
// while the object lives, so the X server keeps a client through the dialog.
// Without RandR the one mode is the screen's size at an unknown rate (0).
//
// Nothing here switches the desktop: setMode records the mode process-wide
// and the main window (app_window.h) opens full screen in it, switching the
// display when it is first shown, so that is when the settle pause belongs;
// the window library puts the user's mode back when that window goes or the
// program ends. Single-threaded.
#pragma once

#include "engine/platform/display_mode_source.h"

#include <vector>

struct _XDisplay; // Xlib's Display

namespace keltraWorks {

class X11DisplayModes : public DisplayModeSource {
  public:
    X11DisplayModes();
    ~X11DisplayModes() override;
    X11DisplayModes(const X11DisplayModes&) = delete;
    X11DisplayModes& operator=(const X11DisplayModes&) = delete;

    bool mode(int number, DisplayMode& out) override;
    // Accepts a mode when the list has one of its width, height and rate.
    bool testMode(const DisplayMode& mode) override;
    bool setMode(const DisplayMode& mode) override;
    // Waits only when the recorded mode differs from the one the output is
    // in: choosing the mode the display is already in switches nothing.
    void pause(int milliseconds) override;

    // The output's current mode; false when the display could not be read.
    bool desktopMode(DisplayMode& out) const override;

    // The mode the last successful setMode recorded; false when none was.
    static bool appliedMode(DisplayMode& out);
    // True when that mode differs from the one the output was in, so opening
    // the window in it really switches the display.
    static bool appliedModeSwitches();
    // Forgets the recorded mode.
    static void clearAppliedMode();

  private:
    void readModes();

    ::_XDisplay* display = nullptr;
    std::vector<DisplayMode> modes;
    DisplayMode desktop;
    bool haveDesktop = false;
};

} // namespace keltraWorks
