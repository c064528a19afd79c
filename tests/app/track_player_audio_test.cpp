// The track player on the real audio library (SDL's dummy device) with a
// short "glint.mp3" made for the test in a folder of its own.
#include "app/track_player.h"
#include "tests/support/audio/mp3_fixture.h"
#include "tests/support/audio/wait_for.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <unistd.h>

using namespace glintTest;

namespace {

class TrackPlayerAudio : public ::testing::Test {
  protected:
    // Each test runs in a folder of its own: the player opens its music
    // from the working directory.
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_TRUE(folder.valid());
        ASSERT_NE(getcwd(home, sizeof home), nullptr);
        ASSERT_EQ(chdir(folder.path().c_str()), 0);
        ASSERT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 1);
    }
    void TearDown() override {
        player.close();
        BASS_Free();
        EXPECT_EQ(chdir(home), 0);
    }
    // Opens a player on a 3 s stereo tone named glint.mp3.
    void openMusic() {
        Mp3Fixture tone;
        tone.toneLeft = 440.0f;
        tone.toneRight = 550.0f;
        ASSERT_TRUE(tone.write("glint.mp3"));
        ASSERT_TRUE(player.open());
    }
    // The elapsed time once it stops moving (after a pause's short fade).
    float settledElapsed() {
        float last = player.elapsedSeconds();
        for (int i = 0; i < 50; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            float now = player.elapsedSeconds();
            if (now == last) {
                break;
            }
            last = now;
        }
        return last;
    }

    TempFolder folder;
    char home[4096] = ".";
    TrackPlayer player;
};

} // namespace

TEST_F(TrackPlayerAudio, WithoutTheFileThereIsNoStreamAndTimeIsNegative) {
    EXPECT_FALSE(player.open());
    EXPECT_EQ(player.stream(), 0u);
    EXPECT_LT(player.elapsedSeconds(), 0.0f);
    player.play();
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(TrackPlayerAudio, OpensStoppedAtZeroWithFloatSamples) {
    openMusic();
    BASS_CHANNELINFO info{};
    ASSERT_EQ(BASS_ChannelGetInfo(player.stream(), &info), 1);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.flags, DWORD{BASS_SAMPLE_FLOAT});
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.elapsedSeconds(), 0.0f);
}

TEST_F(TrackPlayerAudio, PauseResumeStopAndResumeFromTheStart) {
    openMusic();
    player.play();
    ASSERT_TRUE(waitFor([&] { return player.elapsedSeconds() > 0.2f; }));
    player.pause();
    EXPECT_FALSE(player.isPlaying());
    float paused = settledElapsed();
    EXPECT_GT(paused, 0.2f);

    player.resume();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(player.elapsedSeconds(), paused) << "continues exactly where it stopped";
    ASSERT_TRUE(waitFor([&] { return player.elapsedSeconds() > paused + 0.05f; }));

    player.stop();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.elapsedSeconds(), 0.0f);
    EXPECT_EQ(settledElapsed(), 0.0f);
    player.resume();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_LT(player.elapsedSeconds(), 0.1f);
}

TEST_F(TrackPlayerAudio, ResumeAfterTheNaturalEndPlaysFromTheStart) {
    openMusic();
    HSTREAM stream = player.stream();
    BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 2.9f));
    player.play();
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }));
    EXPECT_FLOAT_EQ(player.elapsedSeconds(), 3.0f);
    player.resume();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_LT(player.elapsedSeconds(), 0.1f);
}

TEST_F(TrackPlayerAudio, StepsThroughTracksOfAShortFileWithoutHarm) {
    // Every track but the first starts beyond a 3 s file: the seek fails in
    // the library, the index still moves, the position stays.
    openMusic();
    player.play();
    EXPECT_EQ(player.nextTrack(), 1);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_LT(player.elapsedSeconds(), 3.0f);
    EXPECT_EQ(player.previousTrack(), 0);
    EXPECT_LT(player.elapsedSeconds(), 0.5f);
}
