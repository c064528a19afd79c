// The track player's calls into the audio library, in order, and its
// track index rules, against the recording stand-in.
#include "app/track_player.h"
#include "tests/support/audio/audio_recorder.h"

#include <gtest/gtest.h>

using glintTest::AudioRecorder;
using Calls = std::vector<std::string>;

namespace {

class TrackPlayerTest : public ::testing::Test {
  protected:
    // An open player whose log is cleared, on the recorder's first handle.
    HSTREAM openPlayer() {
        EXPECT_TRUE(player.open());
        rec.clearCalls();
        return player.stream();
    }
    std::string h() const { return std::to_string(player.stream()); }

    AudioRecorder rec;
    TrackPlayer player;
};

} // namespace

TEST_F(TrackPlayerTest, OpenMakesAFloatStreamAtFullVolumeAndFillsTheTable) {
    EXPECT_EQ(player.trackStart(9), 0.0f) << "empty before open";
    ASSERT_TRUE(player.open());
    EXPECT_NE(player.stream(), 0u);
    EXPECT_EQ(rec.callTexts(), (Calls{"BASS_StreamCreateFile(0,\"glint.mp3\",0,0,256)",
                                      "BASS_ChannelSetAttributes(" + h() + ",-1,100,-1)"}));
    const float table[] = {0, 1234, 1611, 2390, 2996, 3609, 4092, 4694, 5360, 5653};
    for (int i = 0; i < TrackPlayer::TrackCount; ++i) {
        EXPECT_EQ(player.trackStart(i), table[i]) << i;
    }
    EXPECT_EQ(player.trackStart(-1), 0.0f);
    EXPECT_EQ(player.trackStart(10), 0.0f);
    EXPECT_EQ(player.lastElapsed(), 0.0f);
    EXPECT_EQ(player.currentTrack(), 0);
    EXPECT_EQ(rec.stream(player.stream()).state, DWORD{BASS_ACTIVE_STOPPED});
}

// Preparing asks the library for exactly the stream open() asks for first.
TEST_F(TrackPlayerTest, PrepareAsksForTheFirstStreamOpenWillCreate) {
    TrackPlayer::prepare();
    ASSERT_TRUE(player.open());
    const Calls calls = rec.callTexts();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "BASS_StreamPrepareFile(\"glint.mp3\",256)");
    EXPECT_EQ(calls[1], "BASS_StreamCreateFile(0,\"glint.mp3\",0,0,256)");
}

TEST_F(TrackPlayerTest, OpenFallsBackToSixteenBitSamples) {
    rec.failCreateFlags = {BASS_SAMPLE_FLOAT};
    ASSERT_TRUE(player.open());
    EXPECT_EQ(rec.callTexts(), (Calls{"BASS_StreamCreateFile(0,\"glint.mp3\",0,0,256)",
                                      "BASS_StreamCreateFile(0,\"glint.mp3\",0,0,0)",
                                      "BASS_ChannelSetAttributes(" + h() + ",-1,100,-1)"}));
    EXPECT_EQ(rec.stream(player.stream()).bytesPerSample, 2u);
}

TEST_F(TrackPlayerTest, WithoutMusicEverythingPassesHandleZero) {
    rec.failAllCreates = true;
    EXPECT_FALSE(player.open());
    EXPECT_EQ(player.stream(), 0u);
    EXPECT_EQ(rec.count("BASS_StreamCreateFile"), 2);
    EXPECT_EQ(rec.count("BASS_ChannelSetAttributes"), 0);
    EXPECT_EQ(player.trackStart(9), 0.0f) << "the table stays empty";
    rec.clearCalls();

    player.play();
    player.pause();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_LT(player.elapsedSeconds(), 0.0f);
    EXPECT_LT(player.lastElapsed(), 0.0f);
    EXPECT_EQ(player.nextTrack(), 1);
    EXPECT_FALSE(player.advanceIfDue(player.elapsedSeconds()));
    for (const auto& call : rec.calls()) {
        EXPECT_NE(call.text.find("(0"), std::string::npos) << call.text;
    }
}

TEST_F(TrackPlayerTest, CloseStopsThenFrees) {
    HSTREAM stream = openPlayer();
    player.close();
    EXPECT_EQ(rec.callTexts(), (Calls{"BASS_ChannelStop(" + std::to_string(stream) + ")",
                                      "BASS_StreamFree(" + std::to_string(stream) + ")"}));
    EXPECT_FALSE(rec.isValid(stream));
    EXPECT_EQ(player.stream(), 0u);
}

TEST_F(TrackPlayerTest, OpeningAgainClosesTheOldStreamFirst) {
    HSTREAM first = openPlayer();
    ASSERT_TRUE(player.open());
    EXPECT_FALSE(rec.isValid(first));
    EXPECT_NE(player.stream(), first);
    EXPECT_EQ(rec.callNames()[0], "BASS_ChannelStop");
    EXPECT_EQ(rec.callNames()[1], "BASS_StreamFree");
}

TEST_F(TrackPlayerTest, PlayPauseAndIsPlaying) {
    openPlayer();
    player.play();
    EXPECT_TRUE(player.isPlaying());
    player.pause();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(rec.callTexts(),
              (Calls{"BASS_ChannelPlay(" + h() + ",0)", "BASS_ChannelIsActive(" + h() + ")",
                     "BASS_ChannelPause(" + h() + ")", "BASS_ChannelIsActive(" + h() + ")"}));
    // Only "playing" counts: stalled is not.
    rec.stream(player.stream()).state = BASS_ACTIVE_STALLED;
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(TrackPlayerTest, ResumeContinuesAPausedStreamWhereItWas) {
    openPlayer();
    for (DWORD state : {BASS_ACTIVE_PAUSED, BASS_ACTIVE_STALLED}) {
        rec.stream(player.stream()).state = state;
        rec.clearCalls();
        player.resume();
        EXPECT_EQ(rec.callTexts(),
                  (Calls{"BASS_ChannelIsActive(" + h() + ")", "BASS_ChannelPlay(" + h() + ",0)"}))
            << "state " << state;
    }
}

TEST_F(TrackPlayerTest, StopRewindsQuietlyAndGoesBackToTheFirstTrack) {
    openPlayer();
    player.nextTrack();
    player.nextTrack();
    rec.clearCalls();
    player.stop();
    EXPECT_EQ(rec.callTexts(),
              (Calls{"BASS_ChannelLock(" + h() + ",1)", "BASS_ChannelStop(" + h() + ")",
                     "BASS_ChannelPlay(" + h() + ",1)", "BASS_ChannelStop(" + h() + ")",
                     "BASS_ChannelLock(" + h() + ",0)"}));
    EXPECT_EQ(player.currentTrack(), 0);
    EXPECT_EQ(rec.stream(player.stream()).state, DWORD{BASS_ACTIVE_STOPPED});
    EXPECT_EQ(rec.stream(player.stream()).positionBytes, 0u);
}

TEST_F(TrackPlayerTest, PreviousAndNextWrapAndSeekToTheTrackStart) {
    openPlayer();
    EXPECT_EQ(player.previousTrack(), 9);
    EXPECT_EQ(rec.callTexts(), (Calls{"BASS_ChannelSeconds2Bytes(" + h() + ",5653)",
                                      "BASS_ChannelSetPosition(" + h() + "," +
                                          std::to_string(5653ull * 44100 * 8) + ")"}));
    EXPECT_DOUBLE_EQ(rec.positionSeconds(player.stream()), 5653.0);
    rec.clearCalls();
    EXPECT_EQ(player.nextTrack(), 0);
    EXPECT_EQ(rec.callTexts(), (Calls{"BASS_ChannelSeconds2Bytes(" + h() + ",0)",
                                      "BASS_ChannelSetPosition(" + h() + ",0)"}));
    EXPECT_EQ(player.nextTrack(), 1);
    EXPECT_DOUBLE_EQ(rec.positionSeconds(player.stream()), 1234.0);
    EXPECT_EQ(player.previousTrack(), 0);
    // Seeking never touches the play state.
    EXPECT_EQ(rec.count("BASS_ChannelPlay") + rec.count("BASS_ChannelPause") +
                  rec.count("BASS_ChannelStop"),
              0);
}

TEST_F(TrackPlayerTest, ElapsedSecondsReadsThePositionAndKeepsIt) {
    openPlayer();
    rec.setPositionSeconds(player.stream(), 3725.5);
    EXPECT_FLOAT_EQ(player.elapsedSeconds(), 3725.5f);
    EXPECT_FLOAT_EQ(player.lastElapsed(), 3725.5f);
    EXPECT_EQ(rec.callTexts(),
              (Calls{"BASS_ChannelGetPosition(" + h() + ")",
                     "BASS_ChannelBytes2Seconds(" + h() + "," +
                         std::to_string(static_cast<QWORD>(3725.5 * 44100) * 8) + ")"}));
}

TEST_F(TrackPlayerTest, AdvanceIfDueStepsOneTrackPastEachStart) {
    openPlayer();
    EXPECT_FALSE(player.advanceIfDue(1234.0f)) << "exactly at the start is not past it";
    EXPECT_EQ(player.currentTrack(), 0);
    EXPECT_TRUE(player.advanceIfDue(1234.01f));
    EXPECT_EQ(player.currentTrack(), 1);
    // A jump far ahead is caught up one track per call.
    for (int expected = 2; expected <= 9; ++expected) {
        EXPECT_TRUE(player.advanceIfDue(5900.0f));
        EXPECT_EQ(player.currentTrack(), expected);
    }
    EXPECT_FALSE(player.advanceIfDue(99999.0f)) << "nothing after the last track";
    EXPECT_EQ(player.currentTrack(), 9);
    // It never moves back.
    EXPECT_FALSE(player.advanceIfDue(0.0f));
    EXPECT_EQ(player.currentTrack(), 9);
    EXPECT_EQ(rec.calls().size(), 0u) << "no library calls";
}

// Positions within the track leave the time display's last reading alone.
TEST_F(TrackPlayerTest, PositionsWithinTheTrackHeldToItsLength) {
    openPlayer();
    EXPECT_EQ(player.trackLength(9), TrackPlayer::EndOfMusicSeconds - 5653.0f);
    player.nextTrack();
    player.elapsedSeconds();
    rec.setPositionSeconds(player.stream(), 1234.0 + 61.5);
    EXPECT_FLOAT_EQ(player.secondsIntoTrack(), 61.5f);
    EXPECT_FLOAT_EQ(player.lastElapsed(), 1234.0f);
    player.seekWithinTrack(500.0f); // past the track's 377 s
    EXPECT_DOUBLE_EQ(rec.positionSeconds(player.stream()), 1611.0);
    player.seekWithinTrack(-3.0f);
    EXPECT_DOUBLE_EQ(rec.positionSeconds(player.stream()), 1234.0);
}
