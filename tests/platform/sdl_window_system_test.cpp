// The SDL side of the platform layer: event translation and the real main
// window on the test display (Xvfb under the test runner).
#include "engine/platform/app_window.h"
#include "engine/platform/gl_context.h"
#include "engine/platform/quit_request.h"
#include "engine/platform/sdl_window_system.h"
#include "engine/platform/x11_display_modes.h"
#include "engine/render/render_gl.h"

#include "tests/platform/shown_pixel.h"
#include "tests/platform/window_state.h"

#include <GL/gl.h>
#include <SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>

using keltraWorks::AppWindow;
using keltraWorks::DisplayMode;
using keltraWorks::SdlWindowSystem;
using keltraWorks::WindowEvent;
using keltraWorks::WindowKey;
using keltraWorks::WindowStyle;
using keltraWorks::X11DisplayModes;
using keltraWorksTest::asksForFullScreenState;
using Kind = keltraWorks::WindowEvent::Kind;

namespace {

bool haveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && std::strlen(display) > 0;
}

void push(const SDL_Event& event) {
    SDL_Event copy = event;
    ASSERT_EQ(SDL_PushEvent(&copy), 1) << SDL_GetError();
}

SDL_Event keyDown(SDL_Keycode sym, Uint8 repeat) {
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    e.key.repeat = repeat;
    return e;
}

SDL_Event button(Uint32 type, Uint8 which, Sint32 x, Sint32 y) {
    SDL_Event e = {};
    e.type = type;
    e.button.button = which;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event windowEvent(Uint8 which) {
    SDL_Event e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.event = which;
    return e;
}

} // namespace

TEST(SdlWindowSystem, TranslatesTheEventsTheLoopActsOn) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    push(keyDown(SDLK_ESCAPE, 1));
    push(keyDown(SDLK_a, 0));
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, -5, 7));
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 30, 40));
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1));
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_X1, 1, 1));
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 12;
    motion.motion.y = -3;
    push(motion);
    push(windowEvent(SDL_WINDOWEVENT_CLOSE));
    push(windowEvent(SDL_WINDOWEVENT_EXPOSED));
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    push(quit);
    push(windowEvent(SDL_WINDOWEVENT_LEAVE));

    // Without an X11 video driver the media keys go by SDL's codes.
    const SDL_Keycode codes[] = {SDLK_SPACE,     SDLK_LEFT,      SDLK_RIGHT,    SDLK_AUDIOPLAY,
                                 SDLK_AUDIOSTOP, SDLK_AUDIONEXT, SDLK_AUDIOPREV};
    using K = WindowKey;
    const K keys[] = {K::Space,     K::Left,      K::Right,        K::MediaPlay,
                      K::MediaStop, K::MediaNext, K::MediaPrevious};
    for (SDL_Keycode code : codes) {
        push(keyDown(code, 0));
    }

    SdlWindowSystem system;
    std::vector<WindowEvent> got;
    WindowEvent event;
    while (system.poll(event)) {
        got.push_back(event);
    }
    ASSERT_EQ(got.size(), 11u + std::size(keys));
    EXPECT_EQ(got[0].kind, Kind::Key);
    EXPECT_EQ(got[0].key, WindowKey::Escape);
    EXPECT_TRUE(got[0].repeat) << "key repeats of Escape count too";
    EXPECT_EQ(got[1].kind, Kind::Key);
    EXPECT_EQ(got[1].key, WindowKey::Other);
    EXPECT_EQ(got[2].kind, Kind::MouseDown);
    EXPECT_EQ(got[2].button, 0);
    EXPECT_EQ(got[2].x, -5);
    EXPECT_EQ(got[2].y, 7);
    EXPECT_EQ(got[3].kind, Kind::MouseUp);
    EXPECT_EQ(got[3].button, 1);
    EXPECT_EQ(got[4].kind, Kind::Other) << "middle button";
    EXPECT_EQ(got[5].kind, Kind::Other) << "extra button";
    EXPECT_EQ(got[6].kind, Kind::MouseMove);
    EXPECT_EQ(got[6].x, 12);
    EXPECT_EQ(got[6].y, -3);
    EXPECT_EQ(got[7].kind, Kind::Close);
    EXPECT_EQ(got[8].kind, Kind::Other);
    EXPECT_EQ(got[9].kind, Kind::Close);
    EXPECT_EQ(got[10].kind, Kind::MouseLeave);
    for (size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_EQ(got[11 + i].key, keys[i]) << SDL_GetKeyName(codes[i]);
    }
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

class SdlAppWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveDisplay()) {
            GTEST_SKIP() << "needs a display";
        }
        keltraWorks::takeQuitMessage(nullptr);
        X11DisplayModes::clearAppliedMode();
    }
    void TearDown() override {
        keltraWorks::takeQuitMessage(nullptr);
        X11DisplayModes::clearAppliedMode();
    }
};

TEST_F(SdlAppWindow, WindowedIsAHiddenResizableDecoratedGlWindow) {
    AppWindow window(WindowStyle::Windowed, 1024, 768, 0, 0);
    ASSERT_NE(window.handle(), nullptr);
    const Uint32 flags = SDL_GetWindowFlags(window.handle());
    EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
    EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN);
    EXPECT_TRUE(flags & SDL_WINDOW_RESIZABLE);
    EXPECT_FALSE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_FALSE(flags & SDL_WINDOW_FULLSCREEN);
    int w = 0, h = 0;
    SDL_GetWindowSize(window.handle(), &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(window.width, 1024);
    EXPECT_EQ(window.height, 768);

    window.setTitle("a title");
    EXPECT_STREQ(SDL_GetWindowTitle(window.handle()), "a title");
    window.show();
    EXPECT_TRUE(window.shown);
    EXPECT_TRUE(SDL_GetWindowFlags(window.handle()) & SDL_WINDOW_SHOWN);
    window.destroy();
    EXPECT_EQ(window.handle(), nullptr);
}

TEST_F(SdlAppWindow, FullScreenIsBorderlessUnlessAModeWasApplied) {
    AppWindow window(WindowStyle::FullScreen, 1024, 768, 0, 0);
    ASSERT_NE(window.handle(), nullptr);
    const Uint32 flags = SDL_GetWindowFlags(window.handle());
    EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_FALSE(flags & SDL_WINDOW_FULLSCREEN);
    EXPECT_FALSE(asksForFullScreenState(window.handle()));
}

TEST_F(SdlAppWindow, TheDesktopsOwnModeIsAskedForWithoutASwitch) {
    DisplayMode mode;
    {
        X11DisplayModes modes;
        ASSERT_TRUE(modes.desktopMode(mode));
        ASSERT_TRUE(modes.setMode(mode));
    }
    ASSERT_FALSE(X11DisplayModes::appliedModeSwitches());
    // Given another place and size, the window still covers the display.
    AppWindow window(WindowStyle::FullScreen, 640, 480, 37, 21);
    ASSERT_NE(window.handle(), nullptr);
    const Uint32 flags = SDL_GetWindowFlags(window.handle());
    EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_FALSE(flags & SDL_WINDOW_FULLSCREEN) << "nothing to switch, so no switching path";
    SDL_Rect bounds;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &bounds), 0) << SDL_GetError();
    int wx = -1, wy = -1;
    SDL_GetWindowPosition(window.handle(), &wx, &wy);
    EXPECT_EQ(wx, bounds.x);
    EXPECT_EQ(wy, bounds.y);
    EXPECT_TRUE(asksForFullScreenState(window.handle()));
    window.show();
    EXPECT_TRUE(SDL_GetWindowFlags(window.handle()) & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(asksForFullScreenState(window.handle())) << "showing keeps the request";
    int w = 0, h = 0;
    SDL_GetWindowSize(window.handle(), &w, &h);
    EXPECT_EQ(w, mode.width);
    EXPECT_EQ(h, mode.height);
    EXPECT_EQ(window.width, mode.width);
    EXPECT_EQ(window.height, mode.height);
}

TEST_F(SdlAppWindow, AGlContextIsCurrentUntilItIsDestroyed) {
    AppWindow window(WindowStyle::Windowed, 1024, 768, 0, 0);
    ASSERT_NE(window.handle(), nullptr);
    {
        keltraWorks::GlContext context(window.handle());
        ASSERT_TRUE(context.isCurrent());
        EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
        int32_t w = 0, h = 0;
        context.drawableSize(&w, &h);
        EXPECT_EQ(w, 1024);
        EXPECT_EQ(h, 768);
    }
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_FALSE(keltraWorks::GlContext(nullptr).isCurrent());
}

TEST_F(SdlAppWindow, ARendererCanDrawFramesIntoTheWindow) {
    AppWindow window(WindowStyle::Windowed, 1024, 768, 0, 0);
    ASSERT_NE(window.handle(), nullptr);
    keltraWorks::GlContext context(window.handle());
    keltraWorks::RenderGL renderer(1024, 768, 16, 12);
    ASSERT_EQ(renderer.getStatus(), keltraWorks::StatusReady);
    ASSERT_TRUE(window.setRenderer(&renderer));
    EXPECT_EQ(window.font, 0);
    window.renderFrame();
    renderer.destroyContext();
}

// (The program catches the end signals itself: no SDL quit comes from them.)
TEST_F(SdlAppWindow, SdlQuitAndTheCloseBoxAreEachOneQuitRequest) {
    AppWindow window(WindowStyle::Windowed, 1024, 768, 0, 0);
    ASSERT_NE(window.handle(), nullptr);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    push(quit);
    ASSERT_TRUE(window.pumpMessage());
    EXPECT_TRUE(keltraWorks::quitMessagePending());
    int closings = 0;
    window.setFirstQuitHandler([&closings] { ++closings; });
    // Whatever else the desktop still had queued is handled first.
    for (int i = 0; i < 100 && closings == 0; ++i) {
        ASSERT_TRUE(window.pumpMessage());
    }
    EXPECT_EQ(closings, 1);

    SDL_Event close = windowEvent(SDL_WINDOWEVENT_CLOSE);
    close.window.windowID = SDL_GetWindowID(window.handle());
    push(close);
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        ended = !window.pumpMessage();
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(window.exitCode, 0);
}

namespace {

void fillBack(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
}

} // namespace

// Showing part of the back buffer shows that part only; after an expose the
// whole back buffer is shown, changed or not, since the desktop lost it.
TEST_F(SdlAppWindow, RegionsShowOnlyTheirPartUntilAnExposeShowsAll) {
    AppWindow window(WindowStyle::Windowed, 1024, 768, 0, 0);
    ASSERT_NE(window.handle(), nullptr);
    keltraWorks::GlContext context(window.handle());
    keltraWorks::RenderGL renderer(1024, 768, 16, 12);
    ASSERT_EQ(renderer.getStatus(), keltraWorks::StatusReady);
    window.show();
    SdlWindowSystem system;
    if (!system.showsRegions(window.handle())) {
        GTEST_SKIP() << "the GL cannot show part of the back buffer here";
    }
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

    fillBack(1, 0, 0);
    system.showRegion(window.handle(), 0, 0, 0, 0); // nothing shown yet: all of it
    EXPECT_EQ(keltraWorksTest::shownPixel(window.handle(), 512, 384), 0xff0000u);

    fillBack(0, 1, 0);
    system.showRegion(window.handle(), 0, 0, 10, 10);
    EXPECT_EQ(keltraWorksTest::shownPixel(window.handle(), 512, 384), 0xff0000u)
        << "only the corner was shown";
    system.showRegion(window.handle(), 500, 380, 30, 10);
    EXPECT_EQ(keltraWorksTest::shownPixel(window.handle(), 512, 384), 0x00ff00u)
        << "the box around the centre was shown";

    fillBack(0, 0, 1);
    push(windowEvent(SDL_WINDOWEVENT_EXPOSED));
    WindowEvent event;
    while (system.poll(event)) {
    }
    system.showRegion(window.handle(), 0, 0, 0, 0);
    EXPECT_EQ(keltraWorksTest::shownPixel(window.handle(), 512, 384), 0x0000ffu)
        << "an expose shows the whole back buffer";
    renderer.destroyContext();
}
