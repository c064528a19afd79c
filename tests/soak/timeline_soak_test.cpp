// The whole recording played through on a fake clock against the recording
// audio library. The clock and the heard position move together; after
// every frame the time display must read the heard second exactly, and the
// track name must be that of the track the music is in. Then the end of the
// music, and pausing, stopping and playing again afterwards. Each run starts
// the tick counter at a different point: one of them wraps the 32-bit
// millisecond count in the middle of the music.
#include "tests/app/player_fixture.h"

#include "app/track_player.h"
#include "engine/gui/button.h"
#include "engine/gui/static.h"

#include <sstream>
#include <string>
#include <utility>
#include <vector>

using glintTest::PlayerFixture;
using glintTest::RecordedStream;
using keltraWorks::Object;

namespace {

constexpr uint32_t TransportPlay = 0;
constexpr uint32_t TransportStop = 1;
// How long the clock runs in the long pass: past the end of the music and
// on to the end of the recording.
constexpr uint32_t RecordingMs = 5920 * 1000;

// The track the music is in when `second` is shown: the display follows
// into a track on the first second shown after its start.
int trackOfSecond(int64_t second) {
    int track = 0;
    for (int i = 1; i < TrackPlayer::TrackCount; ++i) {
        if (second > int64_t(TrackPlayer::TrackTable[i])) {
            track = i;
        }
    }
    return track;
}

} // namespace

class TimelineSoak : public PlayerFixture, public ::testing::WithParamInterface<uint32_t> {
  protected:
    void SetUp() override {
        clock.set(GetParam());
        build();
        // The main screen shows itself after 10 s, with every control. The
        // oscilloscope is then hidden again: its thousands of recorded lines
        // a frame would make these hours of frames slow, and it is not what
        // is watched here.
        frameAt(10.5);
        ASSERT_FALSE(playerScreen.main->hidden);
        playerScreen.main->child(6)->hide();
        music().positionBytes = uint64_t(10.5 * music().rate) * frameBytes();
    }

    RecordedStream& music() { return audio.stream(stream()); }
    uint64_t frameBytes() { return uint64_t(music().chans) * music().bytesPerSample; }
    int64_t heardFrames() { return int64_t(music().positionBytes / frameBytes()); }

    // Moves the clock on by `ms`; a playing stream moves on with it, as the
    // real library's heard position does. Then draws one frame. Returns the
    // heard position the frame was drawn at, in frames.
    int64_t step(uint32_t ms) {
        if (music().state == BASS_ACTIVE_PLAYING) {
            music().positionBytes += uint64_t(ms) * music().rate / 1000 * frameBytes();
        }
        const int64_t fed = heardFrames();
        clock.advance(ms);
        window.renderFrame();
        // Nobody reads the logs here; keep them from growing for hours.
        renderer.clearCalls();
        audio.clearCalls();
        return fed;
    }

    // What the four digits show as a number of seconds; -1 for a digit that
    // is not a digit picture.
    int shownSeconds() const {
        int value[4];
        for (int i = 0; i < 4; ++i) {
            value[i] = -1;
            for (int d = 0; d < 10; ++d) {
                if (imageOf(playerScreen.timeDigits[i]) == playerScreen.digitImages[d]) {
                    value[i] = d;
                }
            }
            if (value[i] < 0) {
                return -1;
            }
        }
        return (value[0] * 10 + value[1]) * 60 + value[2] * 10 + value[3];
    }

    int shownTrack() const {
        for (int i = 0; i < TrackPlayer::TrackCount; ++i) {
            if (imageOf(playerScreen.trackName) == playerScreen.trackImages[i]) {
                return i;
            }
        }
        return -1;
    }

    // The frame agrees with the heard position it was drawn at: the digits
    // show its whole second and the track is the one that second lies in.
    // Empty when it does, else what is wrong.
    std::string disagreement(int64_t fedFrames) {
        const int64_t second = fedFrames / music().rate;
        std::ostringstream out;
        if (shownSeconds() != int(second % 6000)) {
            out << "shows " << shownSeconds() << " s at " << second << " s heard";
        } else if (shownTrack() != trackOfSecond(second) ||
                   trackPlayer.currentTrack() != shownTrack()) {
            out << "shows track " << shownTrack() << " (player " << trackPlayer.currentTrack()
                << ") at " << second << " s heard";
        }
        return out.str();
    }

    // Runs the clock for `ms` in steps, checking every frame drawn while the
    // display runs. Track-name changes are collected as (heard second, new
    // track). False at the first frame that disagrees.
    bool playChecked(uint32_t ms, uint32_t stepMs) {
        for (uint32_t done = 0; done < ms; done += stepMs) {
            const int before = shownTrack();
            const int64_t fed = step(stepMs);
            if (shownTrack() != before) {
                trackChanges.emplace_back(int(fed / music().rate), shownTrack());
            }
            if (music().state == BASS_ACTIVE_STOPPED && fed != 0) {
                // The end of the music: this frame still showed the second
                // it was drawn at; the next one reads the rewound stream.
                ++ends;
                EXPECT_EQ(shownSeconds(), int(fed / music().rate));
                continue;
            }
            const std::string wrong = disagreement(fed);
            if (!wrong.empty()) {
                ADD_FAILURE() << wrong << " (intro clock " << playerScreen.introClock.elapsed()
                              << " s)";
                return false;
            }
        }
        return true;
    }

    // A click in the middle of a transport button, through the window.
    void click(uint32_t transportIndex) {
        Object* button = playerScreen.main->child(5)->child(transportIndex);
        const vector2 at = button->getPosition();
        const vector2 size = button->getSize();
        const int x = int((at.x + size.x / 2) * 64);
        const int y = int((at.y + size.y / 2) * 64);
        window.handleMouseDown(x, y, 0);
        window.handleMouseUp(x, y, 0);
    }

    bool showsPlaySymbol() const {
        return playerScreen.playButton->image == playerScreen.playNormalImage &&
               playerScreen.playButton->pressedImage == playerScreen.playPressedImage;
    }
    bool showsPauseSymbol() const {
        return playerScreen.playButton->image == playerScreen.pauseNormalImage &&
               playerScreen.playButton->pressedImage == playerScreen.pausePressedImage;
    }

    std::vector<std::pair<int, int>> trackChanges;
    int ends = 0;
};

TEST_P(TimelineSoak, WholeRecordingShowsEverySecondFollowsEveryTrackAndStopsAtTheEnd) {
    // Quarter-second steps: four frames per displayed second, so a second
    // that is shown late or skipped is caught.
    ASSERT_TRUE(playChecked(RecordingMs - 10500, 250));

    // Each track was entered on the first second shown after its start, and
    // the end of the music went back to the first track.
    std::vector<std::pair<int, int>> expected;
    for (int i = 1; i < TrackPlayer::TrackCount; ++i) {
        expected.emplace_back(int(TrackPlayer::TrackTable[i]) + 1, i);
    }
    expected.emplace_back(5912, 0);
    EXPECT_EQ(trackChanges, expected);

    // The end came once, at 98:32; the eight seconds after it the stream
    // stayed stopped at the beginning with the play symbol showing.
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(music().state, DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(music().positionBytes, 0u);
    EXPECT_EQ(shownSeconds(), 0);
    EXPECT_EQ(shownTrack(), 0);
    EXPECT_TRUE(showsPlaySymbol());
    EXPECT_FALSE(playerScreen.main->hidden);
}

TEST_P(TimelineSoak, AfterTheEndPlayPauseAndStopBehaveAsBefore) {
    ASSERT_TRUE(playChecked(RecordingMs - 10500, 500));
    ASSERT_EQ(ends, 1);
    trackChanges.clear();

    // Play starts the music again from the beginning.
    click(TransportPlay);
    EXPECT_EQ(music().state, DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_TRUE(showsPauseSymbol());
    ASSERT_TRUE(playChecked(1300 * 1000, 500));
    EXPECT_EQ(trackChanges, (std::vector<std::pair<int, int>>{{1235, 1}}));
    ASSERT_EQ(shownSeconds(), 1300);

    // Paused for two minutes of clock: nothing moves.
    click(TransportPlay);
    EXPECT_TRUE(showsPlaySymbol());
    ASSERT_TRUE(playChecked(120 * 1000, 1000));
    EXPECT_EQ(shownSeconds(), 1300);
    EXPECT_EQ(heardFrames(), int64_t(1300) * music().rate);

    // Resumed: it goes on from where it was, not from the start.
    click(TransportPlay);
    EXPECT_TRUE(showsPauseSymbol());
    ASSERT_TRUE(playChecked(5 * 1000, 250));
    EXPECT_EQ(shownSeconds(), 1305);
    EXPECT_EQ(shownTrack(), 1);

    // Stop: back to 00:00 and the first track, and it stays there.
    click(TransportStop);
    EXPECT_EQ(music().state, DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_TRUE(showsPlaySymbol());
    EXPECT_EQ(shownTrack(), 0);
    ASSERT_TRUE(playChecked(60 * 1000, 1000));
    EXPECT_EQ(shownSeconds(), 0);
    EXPECT_EQ(heardFrames(), 0);

    // And play once more from the beginning.
    click(TransportPlay);
    ASSERT_TRUE(playChecked(10 * 1000, 250));
    EXPECT_EQ(shownSeconds(), 10);
    EXPECT_EQ(music().state, DWORD(BASS_ACTIVE_PLAYING));
}

// From an early tick count, and from one that wraps 3000 s into the music.
INSTANTIATE_TEST_SUITE_P(TickCounts, TimelineSoak, ::testing::Values(100000u, 4291967296u),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                             return info.param == 100000u ? std::string("EarlyTicks")
                                                          : std::string("TicksWrapMidway");
                         });
