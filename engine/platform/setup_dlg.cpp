#include "engine/platform/setup_dlg.h"

#include "engine/platform/fltk_setup_view.h"
#include "engine/platform/setup_view.h"
#include "engine/platform/x11_display_modes.h"

#include <cstdio>

namespace keltraWorks {

namespace {

constexpr int FullScreenBits = 32;
constexpr int LineSize = 256;

} // namespace

SetupDlg::SetupDlg(int wantedWidth, int wantedHeight, const char* caption)
    : width(wantedWidth), height(wantedHeight), ownedModes(new X11DisplayModes),
      ownedView(new FltkSetupView(caption)), modes(*ownedModes), view(*ownedView) {
    enumModes();
}

SetupDlg::SetupDlg(int wantedWidth, int wantedHeight, DisplayModeSource& modeSource,
                   SetupView& dialogView)
    : width(wantedWidth), height(wantedHeight), modes(modeSource), view(dialogView) {
    enumModes();
}

SetupDlg::~SetupDlg() = default;

bool SetupDlg::enumModes() {
    bool haveLast = false;
    int lastRate = 0;
    DisplayMode mode;
    for (int number = 0; modes.mode(number, mode); ++number) {
        if (mode.width != width || mode.height != height || mode.bitsPerPixel != FullScreenBits) {
            continue;
        }
        if (!modes.testMode(mode)) {
            continue;
        }
        // Only a repeat of the rate just taken is skipped: a rate that comes
        // back after a different one is offered again, in the display's order.
        if (haveLast && mode.refreshRate == lastRate) {
            continue;
        }
        frequencies.push_back(mode.refreshRate);
        lastRate = mode.refreshRate;
        haveLast = true;
    }
    // The desktop's own mode is worth a line of its own unless the fixed
    // mode's line already stands for it.
    offersDesktop = modes.desktopMode(desktop) &&
                    (frequencies.empty() || desktop.width != width || desktop.height != height);
    return !frequencies.empty();
}

bool SetupDlg::run() {
    endCode = view.run(*this);
    return endCode == EndOk;
}

bool SetupDlg::applyMode() {
    if (!fullscreen) {
        return false;
    }
    DisplayMode mode = desktop;
    if (!desktopChosen) {
        mode.width = width;
        mode.height = height;
        mode.bitsPerPixel = FullScreenBits;
        mode.refreshRate = frequency;
    }
    if (!modes.testMode(mode)) {
        return false;
    }
    // The switch's own result is not looked at: the test above already said
    // the mode is there, and start-up goes full screen either way.
    modes.setMode(mode);
    modeApplied = true;
    return true;
}

void SetupDlg::settleMode() {
    if (modeApplied) {
        modes.pause(SettleMilliseconds);
    }
}

bool SetupDlg::isDesktopLine(int index) const {
    // The desktop's line follows the fixed mode's, or stands alone.
    return offersDesktop && index == (frequencies.empty() ? 0 : 1);
}

void SetupDlg::fillRates(SetupView& dialogView, int resolutionLine) {
    char line[LineSize];
    dialogView.clearRateLines();
    if (isDesktopLine(resolutionLine)) {
        // A display that does not say its rate gets an empty box, not "0 Hz".
        if (desktop.refreshRate > 0) {
            std::snprintf(line, sizeof line, "%i Hz", desktop.refreshRate);
            dialogView.addRateLine(line);
            dialogView.selectRate(0);
        }
        return;
    }
    for (int rate : frequencies) {
        std::snprintf(line, sizeof line, "%i Hz", rate);
        dialogView.addRateLine(line);
    }
    dialogView.selectRate(0);
}

void SetupDlg::initDialog(SetupView& dialogView) {
    char line[LineSize];
    if (frequencies.empty() && !offersDesktop) {
        dialogView.addResolutionLine("Not supported by hardware!");
        dialogView.selectResolution(0);
        dialogView.setChoicesEnabled(false);
        dialogView.setWindowed(true);
        return;
    }
    if (!frequencies.empty()) {
        std::snprintf(line, sizeof line, "%i x %i", width, height);
        dialogView.addResolutionLine(line);
    }
    if (offersDesktop) {
        std::snprintf(line, sizeof line, "%i x %i (desktop)", desktop.width, desktop.height);
        dialogView.addResolutionLine(line);
    }
    dialogView.selectResolution(0);
    fillRates(dialogView, 0);
}

void SetupDlg::resolutionChanged(SetupView& dialogView) {
    fillRates(dialogView, dialogView.selectedResolution());
}

int SetupDlg::commandOk(SetupView& dialogView) {
    desktopChosen = isDesktopLine(dialogView.selectedResolution());
    if (desktopChosen) {
        frequency = desktop.refreshRate;
    } else if (frequencies.empty()) {
        frequency = 0;
    } else {
        // A drop-down list always has a selection once filled; should a view
        // still report none, the first rate stands rather than reading past
        // the list.
        int index = dialogView.selectedRate();
        if (index < 0 || index >= static_cast<int>(frequencies.size())) {
            index = 0;
        }
        frequency = frequencies[static_cast<size_t>(index)];
    }
    fullscreen = !dialogView.windowed();
    return EndOk;
}

void SetupDlg::dialogShown() {
    if (onShown) {
        onShown();
    }
}

int SetupDlg::commandCancel() {
    return EndCancel;
}

} // namespace keltraWorks
