#include "tests/app/player_fixture.h"

#include "app/build_player_screen.h"
#include "app/closing_sequence.h"
#include "engine/gui/static.h"
#include "engine/platform/quit_request.h"

#include <cmath>
#include <string>

namespace glintTest {

void PlayerFixture::givePictureSizes() {
    for (const char* big : {"data/background_title.png", "data/logo.png",
                            "data/background_main.png", "data/background_endtitle.png"}) {
        renderer.setPictureSize(big, 1024, 768);
    }
    renderer.setPictureSize("data/credits.png", 448, 1024);
    renderer.setPictureSize("data/gui/close.png", 64, 64);
    renderer.setPictureSize("data/gui/track_name.png", 88, 40);
    renderer.setPictureSize("data/gui/time.png", 64, 40);
    for (const char* name : {"play", "pause", "stop", "prev", "next"}) {
        for (const char* look : {"off", "on"}) {
            renderer.setPictureSize(std::string("data/gui/") + name + "_" + look + ".png", 64, 64);
        }
    }
    for (int i = 0; i < 10; ++i) {
        renderer.setPictureSize("data/font/" + std::to_string(i) + ".png", 40, 44);
        renderer.setPictureSize("data/gui/track" + std::to_string(i + 1) + ".png", 280, 40);
    }
    renderer.setPictureSize("data/font/dots.png", 26, 44);
}

void PlayerFixture::build(bool withMusic) {
    playerScreen = PlayerScreen{};
    trackPlayer = TrackPlayer{};
    int code = 0;
    keltraWorks::takeQuitMessage(&code);
    givePictureSizes();
    ASSERT_TRUE(window.setRenderer(&renderer));
    window.setFirstQuitHandler(beginClosingSequence);
    if (withMusic) {
        ASSERT_TRUE(trackPlayer.open());
    } else {
        audio.failAllCreates = true;
        ASSERT_FALSE(trackPlayer.open());
    }
    builtAt = clock.now();
    ASSERT_TRUE(buildPlayerScreen(window));
    startOpening();
}

void PlayerFixture::TearDown() {
    delete playerScreen.root;
    playerScreen = PlayerScreen{};
    trackPlayer = TrackPlayer{};
    int code = 0;
    keltraWorks::takeQuitMessage(&code);
}

void PlayerFixture::frameAt(double seconds) {
    clock.set(builtAt + uint32_t(std::lround(seconds * 1000.0)));
    window.renderFrame();
}

void PlayerFixture::frameAtEnd(double seconds) {
    clock.set(closingAt + uint32_t(std::lround(seconds * 1000.0)));
    window.renderFrame();
}

int PlayerFixture::imageOf(const keltraWorks::Object* widget) {
    const auto* s = dynamic_cast<const keltraWorks::Static*>(widget);
    return s ? s->texture : -1;
}

} // namespace glintTest
