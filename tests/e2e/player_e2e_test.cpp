// The real player from outside: the setup dialog, the opening sequence, the
// main screen and its "next" button, the closing sequence and the exit
// values, on a private Xvfb with the generated test content. Every look is
// checked on a screenshot, and every look check is also shown to fail on a
// screenshot of another phase, so a blank or frozen screen cannot pass.
#include "tests/e2e/player_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace glintE2e {
namespace {

// The program ends at once on a second close request. A sanitizer build
// scans the whole heap for leaks after main returns, which takes 0.3 to 1 s
// on a busy 2-core machine, so its process is given longer to end; the
// window must be gone within a second in every build.
#ifdef GLINT_SANITIZED
constexpr int ExitMilliseconds = 5000;
#else
constexpr int ExitMilliseconds = 1000;
#endif

const Rgb White{255, 255, 255};
const Rect Whole{0, 0, 1024, 768};
const Rect TopBand{0, 0, 1024, 200};
const Rect BottomBand{0, 600, 1024, 768};
const Rect LogoArea{330, 240, 700, 480};
const Rect CloseButton{938, 74, 982, 118};
const Rect TransportButtons{97, 583, 310, 633};
// The end title's own wordmark, where the main screen shows its dark panel.
const Rect EndWordmark{200, 240, 230, 330};
// The track label and the track name picture.
const Rect TrackName{26, 528, 320, 575};
// The "next" button, tinted red while the pointer is over it.
const Rect NextButton{253, 576, 317, 640};
const Rgb HoverRed{242, 0, 0};
constexpr int LetteringLevel = 150;

double shareLight(const Screenshot& shot, Rect region) {
    return 1.0 - shot.shareDarkerThan(region, LetteringLevel);
}

// 0 to 1 s: the logo fades in on the white root; the title is still clear
// (it starts to fade in at 1 s: the tolerance admits its first faint steps).
::testing::AssertionResult logoOnWhite(const Screenshot& shot) {
    const double top = shot.shareNear(TopBand, White, 20);
    const double bottom = shot.shareNear(BottomBand, White, 20);
    const double ink = shot.shareDarkerThan(LogoArea, 200);
    if (top > 0.98 && bottom > 0.98 && ink > 0.03) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "white top " << top << ", white bottom " << bottom << ", logo ink " << ink;
}

// 1 to 10 s: the title picture (a warm sun low over light water) under the
// logo, which is multiplied onto it and stays dark.
::testing::AssertionResult titleUnderLogo(const Screenshot& shot) {
    const double whiteBottom = shot.shareNear(BottomBand, White, 6);
    const Rgb sun = shot.pixel(512, 520);
    const double ink = shot.shareDarkerThan(LogoArea, 120);
    if (whiteBottom < 0.2 && sun.r > 230 && sun.b < 215 && ink > 0.02) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "white bottom " << whiteBottom << ", sun " << describe(sun) << ", logo ink " << ink;
}

// After 15 s: the dark main screen with the close and transport buttons.
::testing::AssertionResult mainScreenWithControls(const Screenshot& shot) {
    const double dark = shot.shareDarkerThan(Whole, 80);
    const double close = shareLight(shot, CloseButton);
    const double buttons = shareLight(shot, TransportButtons);
    if (dark > 0.5 && dark < 0.98 && close > 0.03 && buttons > 0.05) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "dark " << dark << ", close button " << close << ", transport buttons " << buttons;
}

// More than 3 s into the closing sequence: the end title over everything,
// the main screen and its controls gone.
::testing::AssertionResult endTitle(const Screenshot& shot) {
    const double dark = shot.shareDarkerThan(Whole, 80);
    const double close = shareLight(shot, CloseButton);
    const double wordmark = shareLight(shot, EndWordmark);
    if (dark > 0.5 && close < 0.01 && wordmark > 0.2) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "dark " << dark << ", close button " << close << ", end wordmark " << wordmark;
}

::testing::AssertionResult nextButtonRed(const Screenshot& shot) {
    const double red = shot.shareNear(NextButton, HoverRed, 40);
    if (red > 0.03) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "red " << red << " of the next button";
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

int countGlintLines(const std::vector<std::string>& lines) {
    int n = 0;
    for (const std::string& line : lines) {
        n += line.rfind("glint:", 0) == 0 ? 1 : 0;
    }
    return n;
}

class PlayerEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(run.ready()) << run.failure();
        ASSERT_TRUE(run.copyAllContent());
    }

    Screenshot shot() {
        Screenshot s;
        EXPECT_TRUE(run.screenshot(&s));
        return s;
    }

    // Screenshots from `from` seconds after the player window appeared until
    // one passes `check` or `until` has passed; the last one taken. Frames
    // and screenshots both lag on a busy machine, so looks are polled for
    // within the phase they belong to rather than caught at one instant.
    template <class Check> Screenshot shotDuring(Check check, double from, double until) {
        run.waitUntilShown(from);
        Screenshot s = shot();
        while (!check(s) && run.secondsShown() < until) {
            s = shot();
        }
        return s;
    }

    PlayerRun run;
};

// One run through the whole timeline, so its real seconds are paid once.
TEST_F(PlayerEndToEnd, OpeningMainScreenNextTrackAndClosing) {
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(run.answerDialog("Return"));
    ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();
    // The pointer rests away from every control until the click.
    run.movePointer(600, 700);

    const Screenshot early = shotDuring(logoOnWhite, 0.4, 1.5);
    const Screenshot title = shotDuring(titleUnderLogo, 4.0, 7.5);
    const Screenshot mainScreen = shotDuring(mainScreenWithControls, 15.5, 20.0);

    EXPECT_TRUE(logoOnWhite(early));
    EXPECT_TRUE(titleUnderLogo(title));
    EXPECT_TRUE(mainScreenWithControls(mainScreen));
    // Each look belongs to its own phase only.
    EXPECT_FALSE(logoOnWhite(title));
    EXPECT_FALSE(titleUnderLogo(early));
    EXPECT_FALSE(titleUnderLogo(mainScreen));
    EXPECT_FALSE(mainScreenWithControls(early));
    EXPECT_FALSE(mainScreenWithControls(title));

    // Left alone, the track name stays as it is (the waveform above it and
    // the running time beside it do not count) ...
    const Screenshot again = shot();
    EXPECT_LT(again.shareLightChanged(mainScreen, TrackName, LetteringLevel), 0.002);
    // ... and a click on "next" shows the next track's name.
    ASSERT_TRUE(run.click(playerWindows::Control::Next));
    const double clickedAt = run.secondsShown();
    // The button under the pointer is drawn red, until the pointer leaves
    // it, its row and its panel in one move.
    const Screenshot hovered = shotDuring(nextButtonRed, clickedAt, clickedAt + 2.0);
    run.movePointer(600, 700);
    const double leftAt = run.secondsShown();
    const Screenshot left =
        shotDuring([](const Screenshot& s) { return !nextButtonRed(s); }, leftAt, leftAt + 2.0);
    EXPECT_TRUE(nextButtonRed(hovered));
    EXPECT_FALSE(nextButtonRed(left)) << "the button stayed red after the pointer left it";
    double changed = 0;
    while (changed < 0.02 && run.secondsShown() < clickedAt + 4.0) {
        changed = shot().shareLightChanged(mainScreen, TrackName, LetteringLevel);
    }
    EXPECT_GT(changed, 0.02) << "the track name did not change after a click on next";

    ASSERT_TRUE(run.pressEscape());
    const double closingStart = run.secondsShown();
    const Screenshot closing = shotDuring(endTitle, closingStart + 4.0, closingStart + 9.0);
    EXPECT_TRUE(endTitle(closing));
    EXPECT_FALSE(endTitle(mainScreen));
    EXPECT_FALSE(mainScreenWithControls(closing));
    if (!run.running()) {
        int early = 0;
        run.waitExit(0, &early);
        ADD_FAILURE() << "the first Escape must not end the program; it ended: "
                      << describeStatus(early) << "\n"
                      << run.stderrText();
    }

    ASSERT_TRUE(run.pressEscape());
    EXPECT_TRUE(run.waitPlayerGone(1000)) << "the window stayed 1 s after the second Escape";
    int status = 0;
    ASSERT_TRUE(run.waitExit(ExitMilliseconds, &status))
        << "still running " << ExitMilliseconds << " ms after the second Escape";
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
    EXPECT_EQ(countGlintLines(run.stderrLines()), 0) << run.stderrText();
    EXPECT_EQ(run.stdoutText(), "");
}

TEST_F(PlayerEndToEnd, EscapeOnTheSetupDialogEndsWithZeroAndNoPlayerWindow) {
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(run.answerDialog("Escape"));
    int status = -1;
    bool ended = false;
    bool playerSeen = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        playerSeen = playerSeen || run.desktop().findWindow(PlayerTitle) != 0;
        ended = run.waitExit(50, &status);
    }
    ASSERT_TRUE(ended) << "still running 5 s after Escape on the dialog";
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
    EXPECT_FALSE(playerSeen);
    EXPECT_EQ(countGlintLines(run.stderrLines()), 0) << run.stderrText();
}

TEST_F(PlayerEndToEnd, UnopenableAudioDeviceShowsTheMessageBoxAndEndsWith255) {
    ASSERT_TRUE(run.start({"SDL_AUDIODRIVER=nosuchdriver"}));
    ASSERT_TRUE(run.answerDialog("Return"));
    const unsigned long box = run.desktop().waitForViewable(ErrorTitle, 15000);
    ASSERT_NE(box, 0u) << "no message box; stderr: " << run.stderrText();
    // The window was made but is never shown.
    const unsigned long player = run.desktop().findWindow(PlayerTitle);
    EXPECT_TRUE(player == 0 || !run.desktop().isViewable(player));
    EXPECT_TRUE(run.running()) << "the message box must wait for the user";

    ASSERT_TRUE(run.desktop().pressKey(box, "Return"));
    int status = 0;
    ASSERT_TRUE(run.waitExit(5000, &status)) << "still running after the message box closed";
    EXPECT_TRUE(exitedWith(status, 255)) << describeStatus(status);
    EXPECT_NE(run.stderrText().find("glint: Cannot initialize sound system!\n"), std::string::npos)
        << run.stderrText();
}

// A display whose one mode is its own size (a virtual one, a laptop panel
// under XWayland), with a window manager as on a desktop: the dialog offers
// that mode, and OK opens the player full screen at its size.
TEST(PlayerOnAnotherDisplay, OkOnTheDesktopsOwnModeCoversTheWholeScreen) {
    PlayerRun run({1920, 1080, true});
    ASSERT_TRUE(run.ready()) << run.failure();
    ASSERT_TRUE(run.copyAllContent());
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(run.answerDialog("Return"));
    ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();
    const Rect window = run.playerGeometry();
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right, 1920);
    EXPECT_EQ(window.bottom, 1080);
    ASSERT_TRUE(run.pressEscapeTwice());
    int status = 0;
    ASSERT_TRUE(run.waitExit(ExitMilliseconds, &status));
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
    EXPECT_EQ(countGlintLines(run.stderrLines()), 0) << run.stderrText();
}

TEST_F(PlayerEndToEnd, WritesNothingIntoItsWorkingFolder) {
    const auto before = run.work().listing();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(run.answerDialog("Return"));
    ASSERT_TRUE(run.waitForPlayer());
    run.waitUntilShown(2.0);
    ASSERT_TRUE(run.pressEscapeTwice());
    int status = 0;
    ASSERT_TRUE(run.waitExit(5000, &status));
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
    EXPECT_EQ(run.work().listing(), before);
}

} // namespace
} // namespace glintE2e
