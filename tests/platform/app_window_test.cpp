// The message loop run from a script: a scripted desktop hands out events at
// fake-clock times, a recording renderer stands in for GL and a probe root
// records what reaches the widget tree.
#include "engine/platform/app_window.h"

#include "engine/gui/event_flags.h"
#include "engine/gui/object.h"
#include "engine/platform/quit_request.h"
#include "engine/platform/window_system.h"
#include "tests/support/fake_clock.h"
#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

using glintTest::FakeClock;
using keltraWorks::AppWindow;
using keltraWorks::Object;
using keltraWorks::RecordingRenderer;
using keltraWorks::Renderer;
using keltraWorks::WindowEvent;
using keltraWorks::WindowKey;
using keltraWorks::WindowSystem;
using Kind = keltraWorks::WindowEvent::Kind;

namespace {

// Events become visible to poll() once the fake clock reaches their time;
// wait() moves the clock forward as a blocking wait would.
class ScriptedDesktop : public WindowSystem {
  public:
    explicit ScriptedDesktop(FakeClock& clock) : clock(clock) {}

    void at(uint32_t ms, WindowEvent event) { script.push_back({ms, event}); }
    void now(WindowEvent event) { at(clock.now(), event); }

    bool poll(WindowEvent& out) override {
        if (script.empty() || static_cast<int32_t>(script.front().ms - clock.now()) > 0) {
            return false;
        }
        out = script.front().event;
        script.pop_front();
        return true;
    }
    bool wait(WindowEvent& out, uint32_t milliseconds) override {
        ++waits;
        const uint32_t deadline = clock.now() + milliseconds;
        if (!script.empty() && static_cast<int32_t>(script.front().ms - deadline) <= 0) {
            if (static_cast<int32_t>(script.front().ms - clock.now()) > 0) {
                clock.set(script.front().ms);
            }
            return poll(out);
        }
        clock.set(deadline);
        return false;
    }
    void captureMouse(bool captured) override { captures.push_back(captured); }
    void swapBuffers(SDL_Window*) override { ++swaps; }

    size_t pending() const { return script.size(); }

    struct Timed {
        uint32_t ms;
        WindowEvent event;
    };
    FakeClock& clock;
    std::deque<Timed> script;
    std::vector<bool> captures;
    int swaps = 0;
    int waits = 0;
};

struct Press {
    vector2 point;
    int button;
};

// A root covering the 16 x 12 scene that records what reaches it and takes
// every press and release it gets, as a widget below it would.
class ProbeRoot : public Object {
  public:
    ProbeRoot() : Object(nullptr, "root") {
        setPosition(vector2(0, 0));
        setSize(vector2(16, 12));
    }
    void draw(Renderer* renderer) override {
        ++draws;
        if (clock && frameCost) {
            clock->advance(frameCost);
        }
        Object::draw(renderer);
    }
    void onMouseMove(vector2 point) override { moves.push_back(point); }
    void onMouseDown(vector2 point, int button) override {
        downs.push_back({point, button});
        keltraWorks::pressTaken = true;
    }
    void onMouseUp(vector2 point, int button) override {
        ups.push_back({point, button});
        keltraWorks::releaseTaken = true;
    }

    FakeClock* clock = nullptr;
    uint32_t frameCost = 0;
    int draws = 0;
    std::vector<vector2> moves;
    std::vector<Press> downs;
    std::vector<Press> ups;
};

WindowEvent key(bool escape) {
    WindowEvent e;
    e.kind = Kind::Key;
    e.key = escape ? WindowKey::Escape : WindowKey::Other;
    return e;
}
WindowEvent mouse(Kind kind, int x, int y, int button = 0) {
    WindowEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.button = button;
    return e;
}
WindowEvent closeBox() {
    WindowEvent e;
    e.kind = Kind::Close;
    return e;
}

class AppWindowLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        keltraWorks::takeQuitMessage(nullptr);
        keltraWorks::pressTaken = false;
        keltraWorks::releaseTaken = false;
        root.clock = &clock;
    }
    void TearDown() override { keltraWorks::takeQuitMessage(nullptr); }

    // One turn of the loop as run() takes it.
    bool turn() {
        if (!window.pumpMessage()) {
            return false;
        }
        window.renderFrame();
        return true;
    }
    void attach() {
        ASSERT_TRUE(window.setRenderer(&renderer));
        window.setRoot(&root);
    }

    FakeClock clock{1000};
    ScriptedDesktop desktop{clock};
    RecordingRenderer renderer;
    ProbeRoot root;
    AppWindow window{desktop};
};

} // namespace

TEST_F(AppWindowLoop, EveryEventGivesExactlyOneFrameInOrder) {
    attach();
    desktop.now(key(false));
    desktop.now(mouse(Kind::MouseDown, 64, 64));
    desktop.now(mouse(Kind::MouseUp, 128, 64));
    WindowEvent other;
    desktop.now(other);
    for (int i = 1; i <= 4; ++i) {
        ASSERT_TRUE(turn());
        EXPECT_EQ(root.draws, i);
        EXPECT_EQ(desktop.swaps, i);
        EXPECT_EQ(renderer.count("loadIdentity"), static_cast<size_t>(i));
    }
    // Queued events never waited on the clock.
    EXPECT_EQ(clock.now(), 1000u);
    EXPECT_EQ(desktop.waits, 0);
    // The frame is the loop's fixed sequence around the root's draw.
    const std::vector<std::string> ops = renderer.opNames();
    const std::vector<std::string> frame = {"loadIdentity", "pushState", "popState"};
    std::vector<std::string> lastFrame;
    for (const std::string& op : ops) {
        if (op == "loadIdentity") {
            lastFrame.clear();
        }
        if (op == "loadIdentity" || op == "pushState" || op == "popState") {
            lastFrame.push_back(op);
        }
    }
    EXPECT_EQ(lastFrame, frame);
}

TEST_F(AppWindowLoop, TicksComeEveryTenMillisecondsOnlyWhenNothingIsQueued) {
    attach();
    ASSERT_TRUE(turn());
    EXPECT_EQ(clock.now(), 1010u);
    ASSERT_TRUE(turn());
    EXPECT_EQ(clock.now(), 1020u);
    // A burst of events queued before the tick is due is handled first,
    // with no tick in between.
    for (int i = 0; i < 5; ++i) {
        desktop.at(1025, mouse(Kind::MouseDown, 10 + i, 10, 1));
    }
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(turn());
        EXPECT_EQ(root.downs.size(), static_cast<size_t>(i + 1));
        EXPECT_EQ(clock.now(), 1025u);
    }
    ASSERT_TRUE(turn());
    EXPECT_EQ(clock.now(), 1030u);
    EXPECT_EQ(root.draws, 8);
}

TEST_F(AppWindowLoop, SlowFramesLeaveNoTickBacklog) {
    attach();
    root.frameCost = 250;
    ASSERT_TRUE(turn()); // tick due at 1010, frame ends at 1260
    EXPECT_EQ(clock.now(), 1260u);
    root.frameCost = 0;
    // The 25 periods that passed are owed as one tick, made at once...
    ASSERT_TRUE(turn());
    EXPECT_EQ(clock.now(), 1260u);
    // ...and the next one waits a whole period again.
    ASSERT_TRUE(turn());
    EXPECT_EQ(clock.now(), 1270u);
    ASSERT_TRUE(turn());
    EXPECT_EQ(clock.now(), 1280u);
    EXPECT_EQ(root.draws, 4);
}

TEST_F(AppWindowLoop, QueuedMovesCollapseIntoTheLatest) {
    attach();
    desktop.now(mouse(Kind::MouseMove, 64, 64));
    desktop.now(mouse(Kind::MouseMove, 128, 128));
    desktop.now(mouse(Kind::MouseMove, 192, 320));
    desktop.now(mouse(Kind::MouseDown, 192, 320));
    desktop.now(mouse(Kind::MouseMove, 256, 320));
    ASSERT_TRUE(turn());
    ASSERT_EQ(root.moves.size(), 1u);
    EXPECT_FLOAT_EQ(root.moves[0].x, 3.0f);
    EXPECT_FLOAT_EQ(root.moves[0].y, 5.0f);
    EXPECT_TRUE(root.downs.empty());
    // The press read past the moves is not lost, and keeps its place.
    ASSERT_TRUE(turn());
    EXPECT_EQ(root.downs.size(), 1u);
    EXPECT_EQ(root.moves.size(), 1u);
    ASSERT_TRUE(turn());
    EXPECT_EQ(root.moves.size(), 2u);
    EXPECT_EQ(root.draws, 3);
}

TEST_F(AppWindowLoop, FirstQuitStartsTheClosingSequenceAndTheSecondEndsTheLoop) {
    attach();
    int closings = 0;
    window.setFirstQuitHandler([&closings] { ++closings; });
    desktop.now(key(true));
    // A request already queued behind the Escape is part of the same quit.
    desktop.now(key(true));
    desktop.now(closeBox());
    desktop.now(key(false));
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(turn());
        EXPECT_EQ(closings, 0) << "the quit must wait for the queued events";
    }
    ASSERT_TRUE(turn());
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(root.draws, 5); // the first quit gives a frame too
    // Nothing pending now: the loop goes on with ticks.
    ASSERT_TRUE(turn());
    ASSERT_TRUE(turn());
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(clock.now(), 1020u);

    keltraWorks::postQuitMessage(0);
    EXPECT_FALSE(window.pumpMessage());
    EXPECT_EQ(window.exitCode, 0);
    EXPECT_EQ(closings, 1);
}

TEST_F(AppWindowLoop, RunReturnsTheCodeOfTheFinalQuit) {
    attach();
    window.setFirstQuitHandler([] { keltraWorks::postQuitMessage(7); });
    desktop.at(1500, closeBox());
    EXPECT_EQ(window.run(), 7);
    EXPECT_EQ(window.exitCode, 7);
    // Ticks at 1010 to 1490, then two frames: the close (which arrives
    // as the 1500 tick falls due, and wins) and the first quit.
    EXPECT_EQ(root.draws, 49 + 2);
}

TEST_F(AppWindowLoop, OtherKeysGiveAFrameButNoQuit) {
    attach();
    desktop.now(key(false));
    ASSERT_TRUE(turn());
    EXPECT_FALSE(keltraWorks::quitMessagePending());
    EXPECT_EQ(root.draws, 1);
}

TEST_F(AppWindowLoop, PressAndReleaseFlagsAreClearedAfterEveryDispatch) {
    attach();
    desktop.now(mouse(Kind::MouseDown, 320, 192, 1));
    desktop.now(mouse(Kind::MouseUp, 320, 192, 1));
    ASSERT_TRUE(turn());
    ASSERT_EQ(root.downs.size(), 1u);
    EXPECT_EQ(root.downs[0].button, 1);
    EXPECT_FLOAT_EQ(root.downs[0].point.x, 5.0f);
    EXPECT_FLOAT_EQ(root.downs[0].point.y, 3.0f);
    EXPECT_FALSE(keltraWorks::pressTaken);
    ASSERT_TRUE(turn());
    ASSERT_EQ(root.ups.size(), 1u);
    EXPECT_FALSE(keltraWorks::releaseTaken);
    EXPECT_EQ(desktop.captures, (std::vector<bool>{true, false}));

    // A press outside the root reaches nothing but still clears the flags.
    keltraWorks::pressTaken = true;
    keltraWorks::releaseTaken = true;
    window.handleMouseDown(1100, 10, 0);
    window.handleMouseUp(10, 800, 0);
    EXPECT_EQ(root.downs.size(), 1u);
    EXPECT_EQ(root.ups.size(), 1u);
    EXPECT_FALSE(keltraWorks::pressTaken);
    EXPECT_FALSE(keltraWorks::releaseTaken);
}

TEST_F(AppWindowLoop, ThePointerLeavingTheWindowEndsTheHover) {
    attach();
    Object* hovered = new Object(&root, "hovered");
    hovered->hovered = true;
    WindowEvent leave;
    leave.kind = Kind::MouseLeave;
    desktop.now(leave);
    ASSERT_TRUE(turn());
    EXPECT_FALSE(hovered->hovered);
    EXPECT_EQ(root.draws, 1) << "a frame follows, as after every event";
}

TEST_F(AppWindowLoop, PositionsLeftOfOrAboveTheWindowReadAsLargeUnsignedNumbers) {
    attach();
    desktop.now(mouse(Kind::MouseUp, -1, -30));
    ASSERT_TRUE(turn());
    const keltraWorks::RecordedCall* call = renderer.last("unproject");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->arg(0), 65535.0f);
    EXPECT_EQ(call->arg(1), 65506.0f);
    EXPECT_TRUE(root.ups.empty());
    // The capture is still released.
    EXPECT_EQ(desktop.captures, (std::vector<bool>{false}));
}

// A new drawable size reaches the renderer, which fits the scene into a 4:3
// box: a press maps through the box, and a release on a bar beside it
// reaches no widget. F11 is the window's own key, never the application's.
TEST_F(AppWindowLoop, AResizeFitsTheSceneAndPressesMapThroughItsBox) {
    attach();
    int keys = 0;
    window.setKeyHandler([&keys](WindowKey, bool) { ++keys; });
    WindowEvent resize;
    resize.kind = Kind::Resize;
    resize.width = 1920;
    resize.height = 1080;
    desktop.now(resize);
    desktop.now(mouse(Kind::MouseDown, 960, 540)); // the centre of the 1440 x 1080 box
    desktop.now(mouse(Kind::MouseUp, 100, 540));   // on the left bar
    WindowEvent fullScreen = key(false);
    fullScreen.key = WindowKey::FullScreen;
    desktop.now(fullScreen);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(turn());
    }
    EXPECT_EQ(renderer.pictureBox().x0, 240);
    EXPECT_EQ(renderer.pictureBox().x1, 1680);
    ASSERT_EQ(root.downs.size(), 1u);
    EXPECT_NEAR(root.downs[0].point.x, 8.0f, 1e-4);
    EXPECT_NEAR(root.downs[0].point.y, 6.0f, 1e-4);
    EXPECT_TRUE(root.ups.empty()) << "a release on a bar reaches no widget";
    EXPECT_EQ(keys, 0);
}

TEST_F(AppWindowLoop, TheFiftiethIdenticalButtonMessageInARowIsDropped) {
    attach();
    for (int i = 0; i < 51; ++i) {
        desktop.now(mouse(Kind::MouseDown, 100 + i, 100));
    }
    for (int i = 0; i < 51; ++i) {
        ASSERT_TRUE(turn());
    }
    // Every message still gives its frame; only the 50th is not dispatched.
    EXPECT_EQ(root.draws, 51);
    ASSERT_EQ(root.downs.size(), 50u);
    EXPECT_FLOAT_EQ(root.downs[48].point.x, (100 + 48) / 64.0f);
    EXPECT_FLOAT_EQ(root.downs[49].point.x, (100 + 50) / 64.0f);
    EXPECT_EQ(desktop.captures.size(), 50u);
}

TEST_F(AppWindowLoop, AMoveOrTheOtherButtonRestartsTheRun) {
    attach();
    for (int i = 0; i < 49; ++i) {
        desktop.now(mouse(Kind::MouseUp, 100, 100));
    }
    desktop.now(mouse(Kind::MouseMove, 100, 100));
    desktop.now(mouse(Kind::MouseUp, 100, 100));
    for (int i = 0; i < 48; ++i) {
        desktop.now(mouse(Kind::MouseUp, 100, 100, 1));
    }
    desktop.now(mouse(Kind::MouseUp, 100, 100));
    while (desktop.pending() > 0) {
        ASSERT_TRUE(turn());
    }
    EXPECT_EQ(root.ups.size(), 49u + 1u + 48u + 1u);
    EXPECT_EQ(root.moves.size(), 1u);
}

TEST_F(AppWindowLoop, NoRootMeansNoFrameAndNoSwap) {
    ASSERT_TRUE(window.setRenderer(&renderer));
    desktop.now(mouse(Kind::MouseDown, 100, 100));
    keltraWorks::pressTaken = true;
    ASSERT_TRUE(turn());
    ASSERT_TRUE(turn());
    EXPECT_EQ(desktop.swaps, 0);
    EXPECT_EQ(renderer.count("pushState"), 0u);
    EXPECT_EQ(renderer.count("unproject"), 0u);
    // Mouse dispatch did not run at all, so the flag is left alone.
    EXPECT_TRUE(keltraWorks::pressTaken);
}

TEST_F(AppWindowLoop, NoRendererMeansNothingIsCalledThroughIt) {
    window.setRoot(&root);
    desktop.now(mouse(Kind::MouseDown, 100, 100));
    desktop.now(mouse(Kind::MouseMove, 100, 100));
    ASSERT_TRUE(turn());
    ASSERT_TRUE(turn());
    ASSERT_TRUE(turn());
    EXPECT_EQ(root.draws, 0);
    EXPECT_EQ(desktop.swaps, 0);
    EXPECT_TRUE(root.downs.empty());
    EXPECT_TRUE(root.moves.empty());
}

TEST_F(AppWindowLoop, SetRendererKeepsOnlyAUsableRendererAndGivesItTheWindowFont) {
    RecordingRenderer unavailable;
    unavailable.setAvailable(false);
    RecordingRenderer noContext;
    noContext.setStatus(keltraWorks::StatusNoContext);
    EXPECT_FALSE(window.setRenderer(nullptr));
    EXPECT_FALSE(window.setRenderer(&unavailable));
    EXPECT_FALSE(window.setRenderer(&noContext));
    EXPECT_EQ(window.getRenderer(), nullptr);
    EXPECT_EQ(unavailable.fontCount(), 0);
    EXPECT_EQ(noContext.fontCount(), 0);

    ASSERT_TRUE(window.setRenderer(&renderer));
    EXPECT_EQ(window.getRenderer(), &renderer);
    EXPECT_EQ(window.font, 0);
    ASSERT_EQ(renderer.count("createFont"), 1u);
    const keltraWorks::RecordedCall* font = renderer.last("createFont");
    EXPECT_EQ(font->text, "Courier New");
    EXPECT_EQ(font->args, (std::vector<float>{14, 1, 0, 0}));
}

TEST_F(AppWindowLoop, OnlyOneWindowAtATime) {
    ScriptedDesktop other(clock);
    other.now(key(true));
    AppWindow second(other);
    // The second window is inert: its loop ends at once and reads nothing.
    EXPECT_FALSE(second.pumpMessage());
    EXPECT_EQ(other.pending(), 1u);
    EXPECT_FALSE(keltraWorks::quitMessagePending());

    window.destroy();
    AppWindow third(other);
    EXPECT_TRUE(third.pumpMessage());
    EXPECT_TRUE(keltraWorks::quitMessagePending());
}
