// A whole player screen built without a display: fake clock, recording
// renderer (pictures given sizes, no files), recording audio library and a
// window fed by a desktop that never has events. Frames are drawn on demand
// at chosen times of the intro clock.
#pragma once

#include "app/player_screen.h"
#include "app/track_player.h"
#include "engine/platform/app_window.h"
#include "engine/platform/window_system.h"
#include "tests/support/audio/audio_recorder.h"
#include "tests/support/fake_clock.h"
#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

namespace glintTest {

class SilentDesktop : public keltraWorks::WindowSystem {
  public:
    bool poll(keltraWorks::WindowEvent&) override { return false; }
    bool wait(keltraWorks::WindowEvent&, uint32_t) override { return false; }
    void captureMouse(bool) override {}
    void swapBuffers(SDL_Window*) override { ++swaps; }
    int swaps = 0;
};

class PlayerFixture : public ::testing::Test {
  protected:
    // The picture sizes of the default content, in pixels.
    void givePictureSizes();
    // Opens the music (unless told not to), builds the screen and starts
    // the opening at the current fake time.
    void build(bool withMusic = true);
    void TearDown() override;

    // Moves the fake clock to `seconds` after the build and draws a frame.
    void frameAt(double seconds);
    void frameAtEnd(double seconds); // seconds after the first quit request
    uint32_t buildMs() const { return builtAt; }
    HSTREAM stream() const { return trackPlayer.stream(); }
    // The texture a Static shows.
    static int imageOf(const keltraWorks::Object* widget);

    FakeClock clock{100000};
    AudioRecorder audio;
    keltraWorks::RecordingRenderer renderer;
    SilentDesktop desktop;
    keltraWorks::AppWindow window{desktop};
    uint32_t builtAt = 0;
    uint32_t closingAt = 0;
};

} // namespace glintTest
