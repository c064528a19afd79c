// The setup dialog as the user sees it, kept apart from its logic
// (setup_dlg.h) so the logic runs without a display. The FLTK view is
// fltk_setup_view.h; tests use a scripted one.
//
// run() shows the dialog modally and hands control to the SetupDlg's handlers:
// initDialog once before the dialog appears, dialogShown once it is on
// screen, resolutionChanged whenever the user picks another resolution line,
// then commandOk or commandCancel when the user ends it; run() returns the
// code that handler gave. The view does not own the SetupDlg. Single-threaded.
#pragma once

#include <string>

namespace keltraWorks {

class SetupDlg;

class SetupView {
  public:
    // Returned by run() when the dialog cannot be shown at all (no display).
    static constexpr int CannotShow = -1;

    virtual ~SetupView() = default;

    // Shows the dialog until the user ends it; returns the ending handler's
    // code (1 OK, 2 cancel) or CannotShow.
    virtual int run(SetupDlg& dialog) = 0;

    // Appends a line to the resolution box.
    virtual void addResolutionLine(const std::string& text) = 0;
    virtual void selectResolution(int index) = 0;
    // Index of the selected resolution line; -1 when none.
    virtual int selectedResolution() const = 0;
    // Appends a line to the refresh-rate box, or empties the box.
    virtual void addRateLine(const std::string& text) = 0;
    virtual void clearRateLines() = 0;
    virtual void selectRate(int index) = 0;
    // Index of the selected refresh-rate line; -1 when none.
    virtual int selectedRate() const = 0;
    virtual void setWindowed(bool ticked) = 0;
    virtual bool windowed() const = 0;
    // Greys out (or enables) both boxes and the "Run windowed" check box.
    virtual void setChoicesEnabled(bool enabled) = 0;
};

} // namespace keltraWorks
