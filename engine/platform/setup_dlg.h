// The setup dialog shown before anything else: it offers the refresh rates of
// the fixed full-screen mode (width x height at 32 bits per pixel) and
// "Run windowed", reads the choice back, and for full screen switches the
// display before the main window is made.
//
// The logic lives here; the view (setup_view.h) and the display-mode source
// (display_mode_source.h) are interfaces. The two-argument constructor uses
// the real ones (FLTK view, the X server's primary output) and owns them; the four-argument
// one borrows the caller's, which must outlive the dialog. The caption is the
// title of the FLTK view's window.
// Sizes are pixels, rates Hz. Single-threaded: start-up only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace keltraWorks {

class DisplayModeSource;
class SetupView;

class SetupDlg {
  public:
    // The end codes of the dialog.
    static constexpr int EndOk = 1;
    static constexpr int EndCancel = 2;

    SetupDlg(int wantedWidth, int wantedHeight, const char* caption);
    SetupDlg(int wantedWidth, int wantedHeight, DisplayModeSource& modes, SetupView& view);
    virtual ~SetupDlg();
    SetupDlg(const SetupDlg&) = delete;
    SetupDlg& operator=(const SetupDlg&) = delete;

    // Collects the refresh rates offered for width x height at 32 bits per
    // pixel, in the platform's order, skipping a rate equal to the one taken
    // just before it. True when at least one was found.
    bool enumModes();
    // Shows the dialog; true exactly when it ended with OK. endCode tells
    // a cancel (EndCancel) from a dialog that could not be shown at all
    // (SetupView::CannotShow, already reported on stderr).
    bool run();
    // For full screen only: tests the chosen mode, switches to it and waits
    // 500 ms for the display. False when windowed was chosen or the test fails.
    bool applyMode();

    // Handlers called by the view. dialogShown comes once, when the dialog
    // is on screen and drawn.
    void initDialog(SetupView& view);
    void dialogShown();
    int commandOk(SetupView& view);
    int commandCancel();

    int width;
    int height;
    int frequency = 60;
    bool fullscreen = false;
    std::vector<int> frequencies;
    // How the last run() ended: EndOk, EndCancel or SetupView::CannotShow;
    // 0 before run().
    int endCode = 0;
    // Called once the dialog is on screen, for work that can go on while the
    // user chooses (it must not touch the dialog).
    std::function<void()> onShown;

  private:
    std::unique_ptr<DisplayModeSource> ownedModes;
    std::unique_ptr<SetupView> ownedView;
    DisplayModeSource& modes;
    SetupView& view;
};

} // namespace keltraWorks
