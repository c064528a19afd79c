#include "engine/platform/setup_dlg.h"

#include "engine/platform/setup_view.h"
#include "tests/platform/scripted_modes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glintTest::mode;
using glintTest::ScriptedModes;
using keltraWorks::DisplayMode;
using keltraWorks::SetupDlg;
using keltraWorks::SetupView;

namespace {

// A dialog the test "clicks": run() initialises like the real view, then
// applies the scripted user actions and ends with OK or Cancel.
class ScriptedView : public SetupView {
  public:
    enum class Ending { Ok, Cancel, CannotShow };

    int run(SetupDlg& dialog) override {
        dialog.initDialog(*this);
        if (pickResolution >= 0) {
            resolutionSelection = pickResolution;
            dialog.resolutionChanged(*this);
        }
        if (pickRate >= 0) {
            rateSelection = pickRate;
        }
        if (tickWindowed && enabled) {
            windowedTicked = true;
        }
        switch (ending) {
        case Ending::Ok:
            return dialog.commandOk(*this);
        case Ending::Cancel:
            return dialog.commandCancel();
        case Ending::CannotShow:
            break;
        }
        return CannotShow;
    }
    void addResolutionLine(const std::string& text) override { resolutions.push_back(text); }
    void selectResolution(int index) override { resolutionSelection = index; }
    int selectedResolution() const override { return resolutionSelection; }
    void addRateLine(const std::string& text) override { rates.push_back(text); }
    void clearRateLines() override {
        rates.clear();
        rateSelection = -1;
    }
    void selectRate(int index) override { rateSelection = index; }
    int selectedRate() const override { return rateSelection; }
    void setWindowed(bool ticked) override { windowedTicked = ticked; }
    bool windowed() const override { return windowedTicked; }
    void setChoicesEnabled(bool on) override { enabled = on; }

    // Script.
    Ending ending = Ending::Ok;
    int pickResolution = -1;
    int pickRate = -1;
    bool tickWindowed = false;

    // What the dialog put on screen.
    std::vector<std::string> resolutions;
    int resolutionSelection = -1;
    std::vector<std::string> rates;
    int rateSelection = -1;
    bool windowedTicked = false;
    bool enabled = true;
};

std::vector<int> ratesOf(const std::vector<DisplayMode>& list) {
    ScriptedModes modes(list);
    ScriptedView view;
    SetupDlg dialog(1024, 768, modes, view);
    return dialog.frequencies;
}

} // namespace

TEST(SetupDlgModes, OnlyARepeatOfThePreviousRateIsSkipped) {
    EXPECT_EQ(ratesOf({mode(1024, 768, 32, 60), mode(1024, 768, 32, 60), mode(1024, 768, 32, 75),
                       mode(1024, 768, 32, 60)}),
              (std::vector<int>{60, 75, 60}));
}

TEST(SetupDlgModes, OtherSizesAndDepthsAreNeverListed) {
    EXPECT_EQ(ratesOf({mode(1024, 768, 16, 85), mode(800, 600, 32, 60), mode(1024, 600, 32, 70),
                       mode(1280, 768, 32, 72), mode(1024, 768, 24, 100), mode(1024, 768, 32, 75),
                       mode(1024, 768, 16, 60)}),
              (std::vector<int>{75}));
}

TEST(SetupDlgModes, ModesTheDisplayRefusesAreSkippedAndDoNotBreakARun) {
    ScriptedModes modes({mode(1024, 768, 32, 60), mode(1024, 768, 32, 75), mode(1024, 768, 32, 75),
                         mode(1024, 768, 32, 85)});
    // Only the first 75 Hz entry is refused: the second is then new again.
    modes.refused = {mode(1024, 768, 32, 75)};
    ScriptedView view;
    SetupDlg dialog(1024, 768, modes, view);
    EXPECT_EQ(dialog.frequencies, (std::vector<int>{60, 85}));
    // Only modes of the wanted shape reach the display's test.
    for (const DisplayMode& m : modes.tested) {
        EXPECT_EQ(m.width, 1024);
        EXPECT_EQ(m.height, 768);
        EXPECT_EQ(m.bitsPerPixel, 32);
    }
}

TEST(SetupDlgModes, EnumModesReportsWhetherAnyRateWasFound) {
    ScriptedModes none({mode(640, 480, 32, 60)});
    ScriptedModes some({mode(1024, 768, 32, 60)});
    ScriptedView view;
    SetupDlg withNone(1024, 768, none, view);
    SetupDlg withSome(1024, 768, some, view);
    EXPECT_FALSE(withNone.enumModes());
    EXPECT_TRUE(withSome.enumModes());
}

TEST(SetupDlgChoice, OkUntouchedChoosesFullScreenAtTheFirstRate) {
    ScriptedModes modes({mode(1024, 768, 32, 75), mode(1024, 768, 32, 60)});
    ScriptedView view;
    SetupDlg dialog(1024, 768, modes, view);
    EXPECT_FALSE(dialog.fullscreen);
    EXPECT_EQ(dialog.frequency, 60);
    ASSERT_TRUE(dialog.run());
    EXPECT_EQ(dialog.endCode, SetupDlg::EndOk);
    EXPECT_EQ(view.resolutions, std::vector<std::string>{"1024 x 768"});
    EXPECT_EQ(view.resolutionSelection, 0);
    EXPECT_EQ(view.rates, (std::vector<std::string>{"75 Hz", "60 Hz"}));
    EXPECT_FALSE(view.windowedTicked);
    EXPECT_TRUE(view.enabled);
    EXPECT_TRUE(dialog.fullscreen);
    EXPECT_EQ(dialog.frequency, 75);
}

TEST(SetupDlgChoice, OkTakesTheSelectedRateAndTheWindowedTick) {
    ScriptedModes modes(
        {mode(1024, 768, 32, 60), mode(1024, 768, 32, 75), mode(1024, 768, 32, 60)});
    ScriptedView view;
    view.pickRate = 2;
    view.tickWindowed = true;
    SetupDlg dialog(1024, 768, modes, view);
    ASSERT_TRUE(dialog.run());
    EXPECT_FALSE(dialog.fullscreen);
    // The rate is stored even though windowed mode will not use it.
    EXPECT_EQ(dialog.frequency, 60);

    ScriptedView second;
    second.pickRate = 1;
    SetupDlg other(1024, 768, modes, second);
    ASSERT_TRUE(other.run());
    EXPECT_TRUE(other.fullscreen);
    EXPECT_EQ(other.frequency, 75);
}

TEST(SetupDlgChoice, NoModeGreysOutTheChoicesAndForcesWindowedAtRateZero) {
    ScriptedModes modes({mode(1024, 768, 16, 60)});
    ScriptedView view;
    SetupDlg dialog(1024, 768, modes, view);
    ASSERT_TRUE(dialog.run());
    EXPECT_EQ(view.resolutions, std::vector<std::string>{"Not supported by hardware!"});
    EXPECT_TRUE(view.rates.empty());
    EXPECT_FALSE(view.enabled);
    EXPECT_TRUE(view.windowedTicked);
    EXPECT_FALSE(dialog.fullscreen);
    EXPECT_EQ(dialog.frequency, 0);
    EXPECT_FALSE(dialog.applyMode());
    EXPECT_TRUE(modes.set.empty());
}

TEST(SetupDlgChoice, AViewWithoutASelectionFallsBackToTheFirstRate) {
    ScriptedModes modes({mode(1024, 768, 32, 85), mode(1024, 768, 32, 60)});
    ScriptedView view;
    view.pickRate = 7;
    SetupDlg dialog(1024, 768, modes, view);
    ASSERT_TRUE(dialog.run());
    EXPECT_EQ(dialog.frequency, 85);
}

TEST(SetupDlgChoice, CancelAndAMissingDisplayLeaveTheChoiceUntouched) {
    ScriptedModes modes({mode(1024, 768, 32, 75)});
    ScriptedView cancel;
    cancel.ending = ScriptedView::Ending::Cancel;
    SetupDlg cancelled(1024, 768, modes, cancel);
    EXPECT_FALSE(cancelled.run());
    EXPECT_EQ(cancelled.endCode, SetupDlg::EndCancel);
    EXPECT_FALSE(cancelled.fullscreen);
    EXPECT_EQ(cancelled.frequency, 60);

    ScriptedView headless;
    headless.ending = ScriptedView::Ending::CannotShow;
    SetupDlg unshown(1024, 768, modes, headless);
    EXPECT_FALSE(unshown.run());
    EXPECT_EQ(unshown.endCode, SetupView::CannotShow);
    EXPECT_FALSE(unshown.fullscreen);
}

TEST(SetupDlgChoice, TheDesktopsOwnModeFollowsTheFixedOneWhichStaysTheDefault) {
    ScriptedModes modes({mode(1920, 1080, 32, 60), mode(1024, 768, 32, 75)});
    modes.haveDesktop = true;
    modes.desktop = mode(1920, 1080, 32, 60);
    ScriptedView untouched;
    SetupDlg fixed(1024, 768, modes, untouched);
    ASSERT_TRUE(fixed.run());
    EXPECT_EQ(untouched.resolutions,
              (std::vector<std::string>{"1024 x 768", "1920 x 1080 (desktop)"}));
    EXPECT_EQ(untouched.resolutionSelection, 0);
    EXPECT_EQ(untouched.rates, std::vector<std::string>{"75 Hz"});
    EXPECT_FALSE(fixed.desktopChosen);
    EXPECT_EQ(fixed.frequency, 75);

    // Picking the desktop's line shows its own rate and chooses it.
    ScriptedView picked;
    picked.pickResolution = 1;
    SetupDlg desktop(1024, 768, modes, picked);
    ASSERT_TRUE(desktop.run());
    EXPECT_EQ(picked.rates, std::vector<std::string>{"60 Hz"});
    EXPECT_TRUE(desktop.desktopChosen);
    EXPECT_TRUE(desktop.fullscreen);
    EXPECT_EQ(desktop.frequency, 60);
    ASSERT_TRUE(desktop.applyMode());
    ASSERT_EQ(modes.set.size(), 1u);
    EXPECT_TRUE(ScriptedModes::same(modes.set[0], mode(1920, 1080, 32, 60)));

    // A desktop of the fixed size gets no second line.
    modes.desktop = mode(1024, 768, 32, 75);
    ScriptedView same;
    SetupDlg sameSize(1024, 768, modes, same);
    ASSERT_TRUE(sameSize.run());
    EXPECT_EQ(same.resolutions, std::vector<std::string>{"1024 x 768"});
}

TEST(SetupDlgChoice, WithoutTheFixedModeTheDesktopsOwnIsOfferedAndChosen) {
    // A virtual display: its one mode, of no known rate.
    ScriptedModes modes({mode(1920, 1080, 32, 0)});
    modes.haveDesktop = true;
    modes.desktop = mode(1920, 1080, 32, 0);
    ScriptedView view;
    SetupDlg dialog(1024, 768, modes, view);
    ASSERT_TRUE(dialog.run());
    EXPECT_EQ(view.resolutions, std::vector<std::string>{"1920 x 1080 (desktop)"});
    EXPECT_EQ(view.resolutionSelection, 0);
    EXPECT_TRUE(view.rates.empty()) << "an unknown rate shows nothing, never 0 Hz";
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(view.windowedTicked);
    EXPECT_TRUE(dialog.fullscreen);
    EXPECT_TRUE(dialog.desktopChosen);
    EXPECT_EQ(dialog.frequency, 0);
}

TEST(SetupDlgApply, SetsTheChosenModeAndWaitsHalfASecondOnlyWhenSettling) {
    ScriptedModes modes({mode(1024, 768, 32, 60), mode(1024, 768, 32, 75)});
    ScriptedView view;
    view.pickRate = 1;
    SetupDlg dialog(1024, 768, modes, view);
    ASSERT_TRUE(dialog.run());
    modes.tested.clear();
    EXPECT_TRUE(dialog.applyMode());
    ASSERT_EQ(modes.tested.size(), 1u);
    EXPECT_TRUE(ScriptedModes::same(modes.tested[0], mode(1024, 768, 32, 75)));
    ASSERT_EQ(modes.set.size(), 1u);
    EXPECT_TRUE(ScriptedModes::same(modes.set[0], mode(1024, 768, 32, 75)));
    // The display switches when the window shows, after this: no wait yet.
    EXPECT_TRUE(modes.pauses.empty());
    dialog.settleMode();
    EXPECT_EQ(modes.pauses, (std::vector<int>{500}));
}

TEST(SetupDlgApply, RefusesWindowedModeAndAModeThatFailsTheTest) {
    ScriptedModes modes({mode(1024, 768, 32, 60)});
    ScriptedView windowed;
    windowed.tickWindowed = true;
    SetupDlg dialog(1024, 768, modes, windowed);
    ASSERT_TRUE(dialog.run());
    modes.tested.clear();
    EXPECT_FALSE(dialog.applyMode());
    EXPECT_TRUE(modes.tested.empty());
    dialog.settleMode();

    // Full screen chosen, but the display no longer takes the mode.
    ScriptedView full;
    SetupDlg fullDialog(1024, 768, modes, full);
    ASSERT_TRUE(fullDialog.run());
    modes.refused = {mode(1024, 768, 32, 60)};
    EXPECT_FALSE(fullDialog.applyMode());
    fullDialog.settleMode();
    EXPECT_TRUE(modes.set.empty());
    EXPECT_TRUE(modes.pauses.empty()) << "nothing set, nothing to settle";
}
