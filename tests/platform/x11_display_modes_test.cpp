// The X server's modes as the dialog reads them, checked on the test display
// (Xvfb under the test runner) against the window library's own list.
#include "engine/platform/x11_display_modes.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>

using keltraWorks::DisplayMode;
using keltraWorks::X11DisplayModes;

namespace {

class X11Modes : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || std::strlen(display) == 0) {
            GTEST_SKIP() << "needs a display";
        }
        X11DisplayModes::clearAppliedMode();
    }
    void TearDown() override { X11DisplayModes::clearAppliedMode(); }
};

bool sigintIsDefault() {
    struct sigaction current;
    sigaction(SIGINT, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

} // namespace

TEST_F(X11Modes, ListAndDesktopModeAreTheWindowLibrarysOwn) {
    X11DisplayModes modes;
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    const int count = SDL_GetNumDisplayModes(0);
    ASSERT_GT(count, 0) << SDL_GetError();
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode theirs;
        ASSERT_EQ(SDL_GetDisplayMode(0, i, &theirs), 0) << SDL_GetError();
        DisplayMode ours;
        ASSERT_TRUE(modes.mode(i, ours)) << "mode " << i;
        EXPECT_EQ(ours.width, theirs.w) << "mode " << i;
        EXPECT_EQ(ours.height, theirs.h) << "mode " << i;
        EXPECT_EQ(ours.bitsPerPixel, 8 * static_cast<int>(SDL_BYTESPERPIXEL(theirs.format)));
        EXPECT_EQ(ours.refreshRate, theirs.refresh_rate) << "mode " << i;
    }
    DisplayMode extra;
    EXPECT_FALSE(modes.mode(count, extra));
    EXPECT_FALSE(modes.mode(-1, extra));

    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();
    DisplayMode current;
    ASSERT_TRUE(modes.desktopMode(current));
    EXPECT_EQ(current.width, desktop.w);
    EXPECT_EQ(current.height, desktop.h);
    EXPECT_EQ(current.refreshRate, desktop.refresh_rate);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(X11Modes, ReadingLeavesTheWindowLibraryAndCtrlCAlone) {
    ASSERT_TRUE(sigintIsDefault());
    const Uint32 videoBefore = SDL_WasInit(SDL_INIT_VIDEO);
    {
        X11DisplayModes modes;
        DisplayMode first;
        ASSERT_TRUE(modes.mode(0, first));
        EXPECT_EQ(first.bitsPerPixel, 32) << "depth-24 X modes are stored in 4 bytes";
        EXPECT_TRUE(modes.testMode(first));
        DisplayMode odd = first;
        odd.width += 3;
        EXPECT_FALSE(modes.testMode(odd));
        odd = first;
        odd.refreshRate += 1;
        EXPECT_FALSE(modes.testMode(odd));
        EXPECT_FALSE(modes.setMode(odd)) << "a mode the output lacks is not recorded";
        DisplayMode recorded;
        EXPECT_FALSE(X11DisplayModes::appliedMode(recorded));
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), videoBefore);
        EXPECT_TRUE(sigintIsDefault());
    }
    EXPECT_TRUE(sigintIsDefault());
}

TEST_F(X11Modes, ChoosingTheDesktopsOwnModeLeavesNothingToSettle) {
    X11DisplayModes modes;
    DisplayMode current;
    ASSERT_TRUE(modes.desktopMode(current));
    ASSERT_TRUE(modes.setMode(current));
    DisplayMode recorded;
    ASSERT_TRUE(X11DisplayModes::appliedMode(recorded));
    EXPECT_EQ(recorded.width, current.width);
    EXPECT_EQ(recorded.refreshRate, current.refreshRate);
    // Nothing switches, so the half-second settle wait must not happen; a
    // wait that did happen would take the whole 500 ms.
    const auto before = std::chrono::steady_clock::now();
    modes.pause(500);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(250));
}
