// Where the setup dialog learns which display modes exist and how it switches
// to one. The real source reads the X server's primary output (x11_display_modes.h); tests
// script their own. Sizes are pixels, rates Hz (0 = the display does not say),
// bitsPerPixel is the storage size of one pixel (bytes per pixel times 8), so
// an X server's depth-24 modes stored in 4 bytes count as 32.
// Single-threaded: used only during start-up.
#pragma once

namespace keltraWorks {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int refreshRate = 0;
};

class DisplayModeSource {
  public:
    virtual ~DisplayModeSource() = default;

    // The mode with this number, counting from 0 in the platform's order;
    // false once the number is past the last mode (out is then untouched).
    virtual bool mode(int number, DisplayMode& out) = 0;
    // True when the display could be switched to exactly this mode.
    virtual bool testMode(const DisplayMode& mode) = 0;
    // The mode the display is in now; false when it cannot be read.
    virtual bool desktopMode(DisplayMode& out) const = 0;
    // Switches to the mode for full-screen use; false when it cannot.
    virtual bool setMode(const DisplayMode& mode) = 0;
    // Waits while the display settles after a switch.
    virtual void pause(int milliseconds) = 0;
};

} // namespace keltraWorks
