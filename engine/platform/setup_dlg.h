// The setup dialog shown before anything else: it offers the refresh rates of
// the fixed full-screen mode (width x height at 32 bits per pixel), the
// desktop's own mode, and "Run windowed", reads the choice back, and for full
// screen sets the display mode the main window is made in.
//
// The desktop's own mode comes after the fixed one in the resolution box,
// unless it is that size and the fixed mode has rates; without rates for the
// fixed mode it is the one entry, selected. Only where neither exists does
// the dialog grey everything out and force windowed mode. Full screen in the
// desktop's own mode switches nothing: the window simply covers the display.
//
// The logic lives here; the view (setup_view.h) and the display-mode source
// (display_mode_source.h) are interfaces. The two-argument constructor uses
// the real ones (FLTK view, the X server's primary output) and owns them; the four-argument
// one borrows the caller's, which must outlive the dialog. The caption is the
// title of the FLTK view's window.
// Sizes are pixels, rates Hz. Single-threaded: start-up only.
#pragma once

#include "engine/platform/display_mode_source.h"

#include <functional>
#include <memory>
#include <vector>

namespace keltraWorks {

class SetupView;

class SetupDlg {
  public:
    // The end codes of the dialog.
    static constexpr int EndOk = 1;
    static constexpr int EndCancel = 2;
    // How long the display gets to settle after a switch.
    static constexpr int SettleMilliseconds = 500;

    SetupDlg(int wantedWidth, int wantedHeight, const char* caption);
    SetupDlg(int wantedWidth, int wantedHeight, DisplayModeSource& modes, SetupView& view);
    virtual ~SetupDlg();
    SetupDlg(const SetupDlg&) = delete;
    SetupDlg& operator=(const SetupDlg&) = delete;

    // Collects the refresh rates offered for width x height at 32 bits per
    // pixel, in the platform's order, skipping a rate equal to the one taken
    // just before it, and notes the desktop's own mode. True when at least
    // one rate was found.
    bool enumModes();
    // Shows the dialog; true exactly when it ended with OK. endCode tells
    // a cancel (EndCancel) from a dialog that could not be shown at all
    // (SetupView::CannotShow, already reported on stderr).
    bool run();
    // For full screen only: tests the chosen mode and sets it. False when
    // windowed was chosen or the test fails. The display may switch only
    // once the full-screen window is shown (X11DisplayModes), so the settle
    // wait is settleMode's, to be called after that.
    bool applyMode();
    // After applyMode succeeded: waits SettleMilliseconds for the display
    // (the source skips the wait when nothing switched). Otherwise nothing.
    void settleMode();

    // Handlers called by the view. dialogShown comes once, when the dialog
    // is on screen and drawn.
    void initDialog(SetupView& view);
    void dialogShown();
    void resolutionChanged(SetupView& view);
    int commandOk(SetupView& view);
    int commandCancel();

    int width;
    int height;
    int frequency = 60;
    bool fullscreen = false;
    std::vector<int> frequencies;
    // The display's current mode and whether the resolution box offers it.
    DisplayMode desktop;
    bool offersDesktop = false;
    // After OK: the desktop's own mode was chosen (frequency is then its rate).
    bool desktopChosen = false;
    // How the last run() ended: EndOk, EndCancel or SetupView::CannotShow;
    // 0 before run().
    int endCode = 0;
    // Called once the dialog is on screen, for work that can go on while the
    // user chooses (it must not touch the dialog).
    std::function<void()> onShown;

  private:
    // True when the resolution line at `index` is the desktop's own mode.
    bool isDesktopLine(int index) const;
    void fillRates(SetupView& view, int resolutionLine);

    std::unique_ptr<DisplayModeSource> ownedModes;
    std::unique_ptr<SetupView> ownedView;
    DisplayModeSource& modes;
    SetupView& view;
    bool modeApplied = false;
};

} // namespace keltraWorks
