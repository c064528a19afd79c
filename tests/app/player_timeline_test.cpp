// The player screen's whole timeline on a fake clock: what the build leaves,
// the opening fades, the closing sequence and its final quit.
#include "tests/app/player_fixture.h"

#include "app/build_player_screen.h"
#include "app/closing_sequence.h"
#include "app/stream_sample_source.h"
#include "engine/gui/analyzer.h"
#include "engine/gui/button.h"
#include "engine/gui/static.h"
#include "engine/platform/quit_request.h"

using glintTest::PlayerFixture;
using keltraWorks::Button;
using keltraWorks::Object;
using keltraWorks::Static;

namespace {

float alphaOf(Object* widget) {
    if (auto* s = dynamic_cast<Static*>(widget)) {
        return s->color.w;
    }
    if (auto* b = dynamic_cast<Button*>(widget)) {
        return b->color.w;
    }
    return -1.0f;
}

bool quitPending() {
    return keltraWorks::quitMessagePending();
}

} // namespace

class PlayerTimeline : public PlayerFixture {
  protected:
    void SetUp() override { build(); }
    Object* mainChild(size_t i) { return playerScreen.main->child(i); }
    Button* closeButton() { return dynamic_cast<Button*>(mainChild(0)); }
    Button* transport(size_t i) { return dynamic_cast<Button*>(mainChild(5)->child(i)); }
};

TEST_F(PlayerTimeline, BuildLeavesOnlyTheRootVisibleAndTheMusicPlaying) {
    EXPECT_EQ(window.getRoot(), playerScreen.root);
    for (Object* w :
         {static_cast<Object*>(playerScreen.title), static_cast<Object*>(playerScreen.logo),
          static_cast<Object*>(playerScreen.main), static_cast<Object*>(playerScreen.endTitle)}) {
        EXPECT_EQ(w->getPosition().x, 0.0f);
        EXPECT_EQ(w->getPosition().y, 0.0f);
    }
    EXPECT_TRUE(playerScreen.main->hidden);
    EXPECT_TRUE(playerScreen.endTitle->hidden);
    EXPECT_TRUE(playerScreen.credits->hidden);
    EXPECT_FALSE(playerScreen.title->hidden);
    EXPECT_EQ(alphaOf(playerScreen.root), 1.0f);
    EXPECT_EQ(alphaOf(playerScreen.title), 0.0f);
    EXPECT_EQ(alphaOf(playerScreen.logo), 0.0f);
    EXPECT_EQ(playerScreen.credits->getPosition().x, 8.2f);
    EXPECT_EQ(playerScreen.credits->getPosition().y, 12.0f);
    for (Static* digit : playerScreen.timeDigits) {
        EXPECT_EQ(digit->texture, playerScreen.digitImages[0]);
    }
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[0]);
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.pauseNormalImage);
    auto* scope = dynamic_cast<keltraWorks::Analyzer*>(mainChild(6));
    ASSERT_NE(scope, nullptr);
    auto* samples = dynamic_cast<StreamSampleSource*>(scope->getSource());
    ASSERT_NE(samples, nullptr);
    EXPECT_EQ(samples->stream(), stream());
    EXPECT_FLOAT_EQ(scope->getSize().x, 3.08f);
    EXPECT_FLOAT_EQ(scope->getSize().y, 2.5f);
    EXPECT_EQ(audio.callTexts().back(), "BASS_ChannelPlay(" + std::to_string(stream()) + ",0)");
    EXPECT_TRUE(playerScreen.introClock.running);
}

TEST_F(PlayerTimeline, ControlsSitInRowsThatOverlapByTheirSpacing) {
    // 64 px buttons are one unit wide; each next starts 0.15 before the
    // previous right edge.
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(transport(i)->getPosition().x, 1.4f + 0.85f * float(i), 1e-5f) << i;
        EXPECT_FLOAT_EQ(transport(i)->getPosition().y, 9.0f);
    }
    // Digits of 40 px (0.625 units) and a 26 px colon, overlapping by 0.2.
    EXPECT_FLOAT_EQ(playerScreen.timeDigits[0]->getPosition().x, 7.5f);
    EXPECT_FLOAT_EQ(playerScreen.timeDigits[1]->getPosition().x, 7.5f + 0.425f);
    EXPECT_FLOAT_EQ(playerScreen.timeDigits[2]->getPosition().x,
                    7.5f + 0.425f * 2 + 26.0f / 64.0f - 0.2f);
    EXPECT_FLOAT_EQ(closeButton()->getPosition().x, 14.5f);
}

TEST_F(PlayerTimeline, TitleFadesInThenOut) {
    frameAt(0.5);
    EXPECT_EQ(alphaOf(playerScreen.title), 0.0f);
    frameAt(3.0);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.title), 0.5f);
    frameAt(8.0);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.title), 1.0f);
    frameAt(9.0);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.title), 0.5f);
}

TEST_F(PlayerTimeline, LogoFadesInThenMultipliesOntoTheTitle) {
    frameAt(0.5);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.logo), 0.5f);
    EXPECT_EQ(playerScreen.logo->blendSource, keltraWorks::BlendSrcAlpha);
    frameAt(0.9);
    const float before = alphaOf(playerScreen.logo);
    frameAt(1.0);
    EXPECT_EQ(playerScreen.logo->blendSource, keltraWorks::BlendDstColor);
    EXPECT_EQ(playerScreen.logo->blendDestination, keltraWorks::BlendOneMinusSrcAlpha);
    EXPECT_EQ(alphaOf(playerScreen.logo), before); // the alpha stays as last set
    frameAt(9.9);
    EXPECT_EQ(alphaOf(playerScreen.logo), before);
    EXPECT_TRUE(playerScreen.main->hidden);
}

TEST_F(PlayerTimeline, MainScreenTakesOverAfterTenSeconds) {
    frameAt(10.0);
    EXPECT_TRUE(playerScreen.main->hidden);
    frameAt(10.01);
    EXPECT_FALSE(playerScreen.main->hidden);
    frameAt(10.5);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.logo), 0.5f);
    EXPECT_EQ(playerScreen.logo->blendSource, keltraWorks::BlendSrcAlpha);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.main), 0.5f / 3.0f);
    EXPECT_FALSE(playerScreen.title->hidden);
    frameAt(11.5);
    EXPECT_TRUE(playerScreen.title->hidden);
    EXPECT_TRUE(playerScreen.logo->hidden);
    frameAt(13.5);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.main), 1.0f);
}

TEST_F(PlayerTimeline, ControlsFadeInOneAfterAnother) {
    frameAt(10.5);
    frameAt(12.0);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.trackName), 0.5f);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.timeDigits[3]), 0.5f);
    EXPECT_FLOAT_EQ(alphaOf(mainChild(6)), 0.5f);
    frameAt(13.0);
    EXPECT_FLOAT_EQ(closeButton()->color.w, 0.5f);
    EXPECT_FLOAT_EQ(closeButton()->pressedColor.w, 0.5f);
    EXPECT_FLOAT_EQ(closeButton()->hoverColor.w, 0.5f);
    EXPECT_FLOAT_EQ(transport(0)->color.w, 0.5f);
    EXPECT_FLOAT_EQ(transport(1)->color.w, 0.0f);
    frameAt(14.5);
    EXPECT_FLOAT_EQ(transport(1)->color.w, 1.0f);
    EXPECT_FLOAT_EQ(transport(2)->color.w, 1.0f);
    EXPECT_FLOAT_EQ(transport(3)->color.w, 0.5f);
    frameAt(16.0);
    EXPECT_FLOAT_EQ(transport(3)->color.w, 1.0f);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.trackName), 1.0f);
}

TEST_F(PlayerTimeline, ClosingSequenceFadesScrollsAndQuits) {
    frameAt(20.0);
    closingAt = clock.now();
    keltraWorks::postQuitMessage(0);
    int code = -1;
    ASSERT_TRUE(keltraWorks::takeQuitMessage(&code));
    beginClosingSequence();
    EXPECT_FALSE(playerScreen.endTitle->hidden);
    EXPECT_FALSE(playerScreen.credits->hidden);

    frameAtEnd(1.5);
    EXPECT_FLOAT_EQ(alphaOf(playerScreen.endTitle), 0.5f);
    EXPECT_FALSE(playerScreen.main->hidden);
    frameAtEnd(3.2);
    EXPECT_TRUE(playerScreen.main->hidden);
    frameAtEnd(15.0);
    EXPECT_FLOAT_EQ(playerScreen.credits->getPosition().y, -2.0f);
    EXPECT_FLOAT_EQ(playerScreen.credits->getPosition().x, 8.2f);
    frameAtEnd(30.5);
    EXPECT_FLOAT_EQ(playerScreen.credits->getPosition().y, -16.0f);
    EXPECT_FALSE(quitPending());
    frameAtEnd(31.0);
    EXPECT_FALSE(quitPending());
    frameAtEnd(31.02);
    EXPECT_TRUE(quitPending());
    ASSERT_TRUE(keltraWorks::takeQuitMessage(&code));
    EXPECT_EQ(code, 0);
    frameAtEnd(31.04);
    EXPECT_TRUE(quitPending()); // posted again on every frame until the loop ends
}

TEST_F(PlayerTimeline, MusicKeepsPlayingThroughTheClosingSequence) {
    frameAt(20.0);
    closingAt = clock.now();
    beginClosingSequence();
    audio.clearCalls();
    frameAtEnd(5.0);
    EXPECT_EQ(audio.count("BASS_ChannelStop"), 0);
    EXPECT_EQ(audio.count("BASS_ChannelPause"), 0);
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_PLAYING));
}

// The names decoded ahead during start-up are exactly the pictures the build
// loads, in its order; the five full-screen pictures are filtered linearly
// and every control, digit and name picture pixel-exact.
TEST_F(PlayerTimeline, TheBuildLoadsThePicturesNamedForDecodingAhead) {
    const std::vector<std::string> names = playerScreenPictures();
    const auto loads = renderer.callsNamed("loadTexture");
    ASSERT_EQ(names.size(), 39u);
    ASSERT_EQ(loads.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(loads[i].text, names[i]) << i;
        ASSERT_EQ(loads[i].args.size(), 2u);
        EXPECT_EQ(loads[i].args[0], i < 5 ? 1.0f : 0.0f) << names[i];
        EXPECT_EQ(loads[i].args[1], 0.0f) << names[i];
    }
    EXPECT_EQ(names.front(), "data/background_title.png");
    EXPECT_EQ(names[18], "data/font/0.png");
    EXPECT_EQ(names[28], "data/font/dots.png");
    EXPECT_EQ(names.back(), "data/gui/track10.png");
}
