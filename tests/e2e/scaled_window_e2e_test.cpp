// The real player on a 1920 x 1080 display: F11 to full screen at the
// desktop's size and back, then under a window manager a dragged window,
// each checked on screenshots taken during the opening's light pictures
// (until about 10 s): the 4:3 picture fills the largest centred box, the
// bars beside it are black.
#include "tests/e2e/player_run.h"

#include <gtest/gtest.h>

namespace glintE2e {
namespace {

// Every pixel of `window` left and right of the picture's columns (relative
// to the window) is black; the picture's top-left and bottom-right are lit.
::testing::AssertionResult pictureBetweenBars(const Screenshot& shot, Rect w, int left, int right) {
    const Rect bars[] = {{w.left, w.top, w.left + left, w.bottom},
                         {w.left + right, w.top, w.right, w.bottom}};
    const Rect corners[] = {{w.left + left, w.top, w.left + left + 6, w.top + 6},
                            {w.left + right - 6, w.bottom - 6, w.left + right, w.bottom}};
    for (int i = 0; i < 2; ++i) {
        if (bars[i].right > bars[i].left && shot.shareNear(bars[i], Rgb{0, 0, 0}, 0) < 1.0) {
            return ::testing::AssertionFailure() << "a bar is not black at x " << bars[i].left;
        }
        if (shot.shareDarkerThan(corners[i], 100) > 0) {
            return ::testing::AssertionFailure() << "a corner is dark at x " << corners[i].left;
        }
    }
    return ::testing::AssertionSuccess();
}

// Polls until the player window has the size and shows its picture between
// `left` and `right`; the last screenshot taken.
Screenshot lookFor(PlayerRun& run, int width, int height, int left, int right) {
    Screenshot shot;
    for (;;) {
        const Rect window = run.playerGeometry();
        const bool sized =
            window.right - window.left == width && window.bottom - window.top == height;
        EXPECT_TRUE(run.screenshot(&shot));
        if ((sized && pictureBetweenBars(shot, window, left, right)) || run.secondsShown() > 9.5) {
            EXPECT_TRUE(sized) << "the window is not " << width << " x " << height << " but "
                               << window.right - window.left << " x " << window.bottom - window.top;
            EXPECT_TRUE(pictureBetweenBars(shot, window, left, right));
            return shot;
        }
    }
}

TEST(ScaledPlayer, F11AndResizesKeepThePictureFourByThreeBetweenBlackBars) {
    PlayerRun run({1920, 1080, false});
    ASSERT_TRUE(run.ready()) << run.failure();
    ASSERT_TRUE(run.copyAllContent());
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(run.answerDialog("Return"));
    ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();
    // The dialog may choose full screen on a display without 1024 x 768.
    if (run.playerGeometry().right == 1920) {
        ASSERT_TRUE(run.pressKey("F11"));
    }
    const Screenshot windowed = lookFor(run, 1024, 768, 0, 1024);
    EXPECT_FALSE(pictureBetweenBars(windowed, Rect{0, 0, 1920, 1080}, 240, 1680));
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(run, 1920, 1080, 240, 1680);
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(run, 1024, 768, 0, 1024);

    // A drag of the frame in quick steps while frames are drawn, full
    // screen, and back to the dragged size.
    ASSERT_TRUE(run.startWindowManager());
    for (int step = 40; step >= 0; --step) {
        ASSERT_TRUE(run.desktop().resize(run.playerWindow(), 1280 + 8 * step, 600 + 12 * step));
    }
    lookFor(run, 1280, 600, 240, 1040);
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(run, 1920, 1080, 240, 1680);
    ASSERT_TRUE(run.pressKey("F11"));
    lookFor(run, 1280, 600, 240, 1040);
}

} // namespace
} // namespace glintE2e
