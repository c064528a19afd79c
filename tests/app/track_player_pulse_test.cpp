// The track player on a real sound server: the private PulseAudio that
// scripts/pulse-server.sh starts for each of these tests, its null sink's
// monitor recorded as the listener. The library picks the server's output
// by itself (the launcher leaves SDL_AUDIODRIVER unset).
#include "app/track_player.h"
#include "tests/support/audio/mp3_fixture.h"
#include "tests/support/audio/sink_monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace glintTest;

namespace {

constexpr int Rate = SinkMonitor::Rate;
constexpr int Window = 2048; // frames matched against the music at once

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

class TrackPlayerPulse : public ::testing::Test {
  protected:
    // 8 s of noise over a tone (every window unlike any other), with loud
    // clicks in the first period only.
    static void makeMusic() {
        std::string folder = fixtureDir() + "/pulse_music";
        mkdir(folder.c_str(), 0755);
        ASSERT_EQ(chdir(folder.c_str()), 0);
        Mp3Fixture music;
        music.seconds = 8.0;
        music.toneLeft = 330.0f;
        music.toneRight = 440.0f;
        music.toneLevel = 0.05f;
        music.noiseLevel = 0.05f;
        music.clicks = {300, 700};
        ASSERT_TRUE(music.write(TrackPlayer::MusicFile));
        int rate = 0;
        int channels = 0;
        decoded() = decodeMp3(TrackPlayer::MusicFile, &rate, &channels);
        ASSERT_EQ(channels, 2);
    }
    static std::vector<float>& decoded() {
        static std::vector<float> music;
        return music;
    }

    void SetUp() override {
        ASSERT_NE(std::getenv("GLINT_PULSE_DIR"), nullptr) << "run through scripts/pulse-server.sh";
        if (decoded().empty()) {
            makeMusic();
        }
        ASSERT_FALSE(decoded().empty());
        unsetenv("SDL_AUDIODRIVER");
        ASSERT_EQ(BASS_Init(-1, Rate, 0, nullptr, nullptr), 1);
        ASSERT_TRUE(player.open());
        ASSERT_TRUE(monitor.start());
    }
    void TearDown() override {
        monitor.stop();
        player.close();
        BASS_Free();
    }

    void playFrom(float seconds) {
        BASS_ChannelSetPosition(player.stream(),
                                BASS_ChannelSeconds2Bytes(player.stream(), seconds));
        player.play();
    }
    // Reads the heard position every 2 ms for `seconds`.
    std::vector<HeardReading> follow(double seconds) {
        std::vector<HeardReading> readings;
        const uint64_t end = SinkMonitor::nowNs() + static_cast<uint64_t>(seconds * 1e9);
        while (SinkMonitor::nowNs() < end) {
            readings.push_back({SinkMonitor::nowNs(), player.elapsedSeconds()});
            sleepSeconds(0.002);
        }
        return readings;
    }
    // The music frame the recorded frame `at` holds, searched near `guess`
    // seconds; -1 when nothing there matches.
    int64_t musicFrameOf(const std::vector<float>& recorded, int64_t at, double guess,
                         double search) {
        if (2 * (at + Window) > static_cast<int64_t>(recorded.size())) {
            return -1;
        }
        const auto centre = static_cast<int64_t>(guess * Rate);
        const auto span = static_cast<int64_t>(search * Rate);
        return locateInMusic(decoded(), recorded.data() + 2 * at, Window, centre - span,
                             centre + span);
    }

    // The first of `frames` recorded frames from `at` on that differs from
    // the music from `frame` on, sample for sample (the right side has the
    // player's pan of one step left); -1 when none does.
    int64_t firstDifference(const std::vector<float>& recorded, int64_t at, int64_t frame,
                            int64_t frames) {
        for (int64_t i = 0; i < frames; ++i) {
            const auto r = static_cast<size_t>(2 * (at + i));
            const auto m = static_cast<size_t>(2 * (frame + i));
            if (std::fabs(recorded[r] - decoded()[m]) > 1e-5f ||
                std::fabs(recorded[r + 1] - 0.99f * decoded()[m + 1]) > 1e-5f) {
                return i;
            }
        }
        return -1;
    }

    TrackPlayer player;
    SinkMonitor monitor;
};

} // namespace

TEST_F(TrackPlayerPulse, TheSinkReceivesTheDecodedMusic) {
    playFrom(2.0f);
    sleepSeconds(1.5);
    monitor.stop();
    const std::vector<float> recorded = monitor.samples();
    const int64_t middle = static_cast<int64_t>(recorded.size() / 2) / 2;
    const int64_t frame = musicFrameOf(recorded, middle, 2.7, 0.8);
    ASSERT_GE(frame, 0) << "the music is not in the sink";
    // Sample for sample over half a second.
    EXPECT_EQ(firstDifference(recorded, middle - Rate / 4, frame - Rate / 4, Rate / 2), -1);
}

TEST_F(TrackPlayerPulse, HeardPositionAgreesWithTheMonitorWithin5ms) {
    playFrom(1.0f);
    const std::vector<HeardReading> readings = follow(2.0);
    monitor.stop();
    const std::vector<float> recorded = monitor.samples();
    // One match fixes every recorded frame's place in the music: the
    // recording runs on without a gap.
    const int64_t anchor = static_cast<int64_t>(recorded.size() / 2) - Rate / 2;
    const int64_t anchorMusic = musicFrameOf(recorded, anchor, 2.5, 0.8);
    ASSERT_GE(anchorMusic, 0);
    std::vector<double> offsetsMs =
        heardMinusMonitorMs(readings, monitor.arrivals(), anchor, anchorMusic, 1.3);
    ASSERT_GE(offsetsMs.size(), 100u);
    std::nth_element(offsetsMs.begin(), offsetsMs.begin() + offsetsMs.size() / 2, offsetsMs.end());
    EXPECT_LE(std::fabs(offsetsMs[offsetsMs.size() / 2]), 5.0);
}

TEST_F(TrackPlayerPulse, ServerRestartKeepsTheClockAndBringsTheSoundBack) {
    playFrom(0.5f);
    sleepSeconds(0.5);
    monitor.stop();
    const double before = player.elapsedSeconds();
    const uint64_t goneAt = SinkMonitor::nowNs();
    ASSERT_TRUE(SinkMonitor::server("stop"));
    sleepSeconds(1.5);
    const double gone = double(SinkMonitor::nowNs() - goneAt) * 1e-9;
    EXPECT_NEAR(player.elapsedSeconds() - before, gone, 0.1) << "the clock kept counting";
    EXPECT_TRUE(player.isPlaying());

    ASSERT_TRUE(SinkMonitor::server("start"));
    const uint64_t backAt = SinkMonitor::nowNs();
    ASSERT_TRUE(monitor.start());
    const std::vector<HeardReading> readings = follow(3.5);
    monitor.stop();
    const std::vector<float> recorded = monitor.samples();
    const std::vector<SinkMonitor::Arrival> arrivals = monitor.arrivals();
    // The first arrival with music in it: the sound is back within 2 s.
    // A moment later the music is where the position says: it went on
    // from the position heard when it came back.
    for (const SinkMonitor::Arrival& a : arrivals) {
        if (musicFrameOf(recorded, a.frame, heardAt(readings, a.ns), 0.2) >= 0) {
            EXPECT_LE(double(a.ns - backAt) * 1e-9, 2.0);
            auto later = std::find_if(arrivals.begin(), arrivals.end(),
                                      [&](auto& b) { return b.ns > a.ns + 300000000ull; });
            ASSERT_NE(later, arrivals.end());
            const double heard = heardAt(readings, later->ns);
            const int64_t frame = musicFrameOf(recorded, later->frame, heard, 0.2);
            ASSERT_GE(frame, 0) << "no music near the heard position " << heard;
            EXPECT_NEAR(double(frame) / Rate, heard, 0.005);
            // The same samples, not a copy interpolated between them.
            EXPECT_EQ(firstDifference(recorded, later->frame, frame, Window), -1);
            return;
        }
    }
    FAIL() << "no music reached the sink after the server came back";
}

TEST_F(TrackPlayerPulse, StopLetsNothingOfTheBeginningReachTheSink) {
    // Each stop rewinds to the clicks of the first period; none may sound.
    for (int i = 0; i < 8; ++i) {
        playFrom(3.0f);
        sleepSeconds(0.1 + 0.013 * i);
        player.stop();
        EXPECT_EQ(player.elapsedSeconds(), 0.0f);
        sleepSeconds(0.15);
    }
    EXPECT_FALSE(player.isPlaying());
    monitor.stop();
    const std::vector<float> recorded = monitor.samples();
    ASSERT_GT(recorded.size(), size_t{2 * Rate});
    float loudest = 0.0f;
    for (float v : recorded) {
        loudest = std::max(loudest, std::fabs(v));
    }
    EXPECT_GT(loudest, 0.02f) << "the music was heard";
    EXPECT_LT(loudest, 0.3f) << "a click of the beginning was heard";
}
