// The real player on a 1920 x 1080 display: F11 to full screen at the
// desktop's size and back, and a window resized by a window manager, each
// checked on screenshots taken during the opening's light pictures: the 4:3
// picture fills the largest centred box, the bars around it are black.
#include "tests/e2e/player_run.h"

#include <gtest/gtest.h>

namespace glintE2e {
namespace {

const Rect Desktop{0, 0, 1920, 1080};
// The picture's box in a full-screen window, relative to the window.
const Rect FullScreenBox{240, 0, 1680, 1080};
// The opening's pictures stay light until about 10 s.
constexpr double LightUntilSeconds = 9.5;

// Every pixel of `window` outside `box` (relative to the window) is black;
// the picture's corners just inside the box are lit.
::testing::AssertionResult pictureBetweenBars(const Screenshot& shot, Rect window, Rect box) {
    const int x = window.left, y = window.top;
    const Rect bars[] = {{x, y, x + box.left, window.bottom},
                         {x + box.right, y, window.right, window.bottom},
                         {x, y, window.right, y + box.top},
                         {x, y + box.bottom, window.right, window.bottom}};
    for (const Rect& bar : bars) {
        if (bar.right > bar.left && bar.bottom > bar.top &&
            shot.shareNear(bar, Rgb{0, 0, 0}, 0) < 1.0) {
            return ::testing::AssertionFailure()
                   << "the bar from " << bar.left << ", " << bar.top << " to " << bar.right << ", "
                   << bar.bottom << " is not black";
        }
    }
    const Rect corners[] = {{x + box.left, y + box.top, x + box.left + 6, y + box.top + 6},
                            {x + box.right - 6, y + box.bottom - 6, x + box.right, y + box.bottom}};
    for (const Rect& corner : corners) {
        if (shot.shareDarkerThan(corner, 100) > 0) {
            return ::testing::AssertionFailure()
                   << "the picture's corner at " << corner.left << ", " << corner.top << " is dark";
        }
    }
    return ::testing::AssertionSuccess();
}

class ScaledPlayer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(run.ready()) << run.failure();
        ASSERT_TRUE(run.copyAllContent());
    }
    // Starts the player and brings it to a window (the dialog may choose full
    // screen on a display without 1024 x 768).
    void startWindowed() {
        ASSERT_TRUE(run.start());
        ASSERT_TRUE(run.answerDialog("Return"));
        ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();
        if (run.playerGeometry().right == Desktop.right) {
            ASSERT_TRUE(run.pressKey("F11"));
        }
    }
    // Polls until the window has `size` and shows its picture in `box`; the
    // last screenshot taken.
    Screenshot lookFor(int width, int height, Rect box) {
        Screenshot shot;
        for (;;) {
            const Rect window = run.playerGeometry();
            const bool sized =
                window.right - window.left == width && window.bottom - window.top == height;
            EXPECT_TRUE(run.screenshot(&shot));
            if ((sized && pictureBetweenBars(shot, window, box)) ||
                run.secondsShown() > LightUntilSeconds) {
                EXPECT_TRUE(sized) << "the window is not " << width << " x " << height;
                EXPECT_TRUE(pictureBetweenBars(shot, window, box));
                return shot;
            }
        }
    }
    PlayerRun run{Desktop.right, Desktop.bottom};
};

TEST_F(ScaledPlayer, F11FillsTheDesktopWithThePictureBetweenBarsAndReturnsToTheWindow) {
    startWindowed();
    const Screenshot windowed = lookFor(1024, 768, Rect{0, 0, 1024, 768});
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(1920, 1080, FullScreenBox);
    EXPECT_FALSE(pictureBetweenBars(windowed, Desktop, FullScreenBox)) << "negative control";
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(1024, 768, Rect{0, 0, 1024, 768});
}

TEST_F(ScaledPlayer, AWindowResizedByTheWindowManagerKeepsThePictureFourByThree) {
    ASSERT_TRUE(run.startWindowManager());
    startWindowed();
    // A user's drag of the frame, in quick steps while frames are drawn.
    for (int step = 40; step >= 0; --step) {
        ASSERT_TRUE(run.desktop().resize(run.playerWindow(), 1280 + 8 * step, 600 + 12 * step));
    }
    lookFor(1280, 600, Rect{240, 0, 1040, 600});
    // Full screen under a window manager too, and back to the resized window.
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(1920, 1080, FullScreenBox);
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(1280, 600, Rect{240, 0, 1040, 600});
}

} // namespace
} // namespace glintE2e
