// The time display: minutes and seconds of the heard position, track
// following and the end of the music, against the recording audio library.
#include "tests/app/player_fixture.h"

#include "app/time_display.h"
#include "engine/gui/button.h"
#include "engine/gui/static.h"

#include <array>

using glintTest::PlayerFixture;

class TimeDisplay : public PlayerFixture {
  protected:
    void SetUp() override {
        build();
        frameAt(10.5); // main screen shown: the time display runs from now on
    }
    // Sets the heard position and draws one frame.
    void hear(double seconds) {
        audio.setPositionSeconds(stream(), seconds);
        clock.advance(10);
        window.renderFrame();
    }
    std::array<int, 4> digits() const {
        std::array<int, 4> shown{};
        for (int i = 0; i < 4; ++i) {
            shown[i] = -1;
            for (int d = 0; d < 10; ++d) {
                if (playerScreen.timeDigits[i]->texture == playerScreen.digitImages[d]) {
                    shown[i] = d;
                }
            }
        }
        return shown;
    }
};

TEST_F(TimeDisplay, ShowsMinutesAndSecondsOfTheHeardPosition) {
    hear(3725.4);
    EXPECT_EQ(digits(), (std::array<int, 4>{6, 2, 0, 5}));
    hear(59.99);
    EXPECT_EQ(digits(), (std::array<int, 4>{0, 0, 5, 9}));
}

TEST_F(TimeDisplay, ChangesOnlyWhenTheWholeSecondChanges) {
    hear(42.1);
    EXPECT_EQ(digits(), (std::array<int, 4>{0, 0, 4, 2}));
    playerScreen.timeDigits[3]->texture = 0; // would be restored by any update
    hear(42.9);
    EXPECT_EQ(playerScreen.timeDigits[3]->texture, 0);
    hear(43.0);
    EXPECT_EQ(digits(), (std::array<int, 4>{0, 0, 4, 3}));
}

TEST_F(TimeDisplay, FollowsTheMusicOneTrackPerChange) {
    hear(1234.0); // exactly at track 2's start: not past it yet
    EXPECT_EQ(trackPlayer.currentTrack(), 0);
    hear(1235.0);
    EXPECT_EQ(trackPlayer.currentTrack(), 1);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[1]);
    // A jump far ahead is caught up one track per displayed second.
    hear(3000.0);
    EXPECT_EQ(trackPlayer.currentTrack(), 2);
    hear(3000.5); // same second: nothing happens
    EXPECT_EQ(trackPlayer.currentTrack(), 2);
    hear(3001.0);
    EXPECT_EQ(trackPlayer.currentTrack(), 3);
    hear(3002.0);
    EXPECT_EQ(trackPlayer.currentTrack(), 4);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[4]);
    hear(3003.0);
    EXPECT_EQ(trackPlayer.currentTrack(), 4);
}

TEST_F(TimeDisplay, EndOfMusicStopsRewindsAndShowsTheFirstTrack) {
    hear(5700.0);
    while (trackPlayer.currentTrack() < 9) {
        hear(5700.0 + trackPlayer.currentTrack() + 1);
    }
    hear(5911.0);
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_PLAYING));
    audio.clearCalls();
    hear(5912.0);
    // The time display's calls come first in the frame; the oscilloscope's
    // reads follow.
    EXPECT_EQ(audio.callNames(),
              (std::vector<std::string>{"BASS_ChannelGetPosition", "BASS_ChannelBytes2Seconds",
                                        "BASS_ChannelLock", "BASS_ChannelStop", "BASS_ChannelPlay",
                                        "BASS_ChannelStop", "BASS_ChannelLock",
                                        "BASS_ChannelGetInfo", "BASS_ChannelGetData"}));
    // 1024 float frames of the two channels.
    EXPECT_EQ(audio.callTexts().back(),
              "BASS_ChannelGetData(" + std::to_string(stream()) + ",buf,0x40002000)");
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(audio.stream(stream()).positionBytes, 0u);
    EXPECT_EQ(trackPlayer.currentTrack(), 0);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[0]);
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.playNormalImage);
    EXPECT_EQ(playerScreen.playButton->pressedImage, playerScreen.playPressedImage);
    EXPECT_EQ(digits(), (std::array<int, 4>{9, 8, 3, 2}));
    clock.advance(10);
    window.renderFrame(); // the rewound music reads 0 s
    EXPECT_EQ(digits(), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST_F(TimeDisplay, MinutesWrapAtOneHundred) {
    hear(100 * 60 + 7);
    EXPECT_EQ(digits(), (std::array<int, 4>{0, 0, 0, 7}));
}

class SilentPlayer : public PlayerFixture {
  protected:
    void SetUp() override { build(false); }
};

TEST_F(SilentPlayer, WithoutMusicTheDisplayStaysAtZeroAndNothingBreaks) {
    EXPECT_EQ(trackPlayer.stream(), 0u);
    for (double t : {10.5, 11.0, 12.0, 20.0}) {
        frameAt(t);
    }
    for (keltraWorks::Static* digit : playerScreen.timeDigits) {
        EXPECT_EQ(digit->texture, playerScreen.digitImages[0]);
    }
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[0]);
    EXPECT_FALSE(playerScreen.main->hidden);
    EXPECT_EQ(audio.count("BASS_ChannelGetData"), 0); // the oscilloscope has nothing to read
}
