// The display modes of SDL's display 0, in SDL's order. Construction starts
// SDL's video subsystem (without SDL's signal handlers, so Ctrl+C still ends
// the program while the setup dialog is up) and destruction stops it again.
//
// SDL cannot switch the desktop on its own: a mode takes effect only for a
// full-screen window. So setMode records the mode process-wide and the main
// window (app_window.h) opens full screen in it; SDL puts the user's mode back
// when that window goes or the program ends. Single-threaded.
#pragma once

#include "engine/platform/display_mode_source.h"

namespace keltraWorks {

class SdlDisplayModes : public DisplayModeSource {
  public:
    SdlDisplayModes();
    ~SdlDisplayModes() override;
    SdlDisplayModes(const SdlDisplayModes&) = delete;
    SdlDisplayModes& operator=(const SdlDisplayModes&) = delete;

    bool mode(int number, DisplayMode& out) override;
    // Accepts a mode when SDL's closest display mode is exactly its width,
    // height and rate.
    bool testMode(const DisplayMode& mode) override;
    bool setMode(const DisplayMode& mode) override;
    // Waits only when the recorded mode differs from the desktop's current
    // one: choosing the mode the display is already in switches nothing.
    void pause(int milliseconds) override;

    // The mode the last successful setMode recorded; false when none was.
    static bool appliedMode(DisplayMode& out);
    // Forgets the recorded mode.
    static void clearAppliedMode();

  private:
    bool videoStarted = false;
};

} // namespace keltraWorks
