// The track player on the real audio library (SDL's dummy device) with
// music as long as the whole recording: it seeks to every track start and
// plays each for a while, watching the heard position against the seeks and
// the time that passed, plays through the end of the music, and opens,
// seeks and closes over and over with the process's memory watched.
//
// The music is made here: a few seconds of tone encoded once, its frames
// repeated until they last past the last track (an MP3 stream without a
// header frame joins like that). GLINT_SOAK_MUSIC may name another
// "glint.mp3" instead, such as the generated content's.
#include "app/track_player.h"
#include "audio/audio_output.h"
#include "tests/support/audio/mp3_fixture.h"

#include <gtest/gtest.h>

#include <lame/lame.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using glintTest::fixtureDir;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int MusicRate = 16000;
constexpr double MusicSeconds = 5925.0;
// One device period: how far the heard position may be from a reckoning
// made with the time that passed (the position moves in hand-overs).
constexpr double PeriodSeconds = double(keltraWorks::AudioOutput::PeriodFrames) / 44100.0;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Writes `path`: a mono tone at MusicRate as CBR frames without a tag frame,
// repeated until the stream lasts MusicSeconds. Through a temporary name, so
// parallel test processes never read half a file.
bool writeLongMusic(const std::string& path) {
    lame_t lame = lame_init();
    if (lame == nullptr) {
        return false;
    }
    lame_set_in_samplerate(lame, MusicRate);
    lame_set_out_samplerate(lame, MusicRate);
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_brate(lame, 16);
    lame_set_VBR(lame, vbr_off);
    lame_set_bWriteVbrTag(lame, 0);
    lame_set_quality(lame, 7);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return false;
    }
    const int frames = 8 * MusicRate;
    std::vector<float> tone(frames);
    for (int i = 0; i < frames; ++i) {
        tone[i] = 0.25f * float(std::sin(2.0 * Pi * 440.0 * i / MusicRate));
    }
    std::vector<unsigned char> block(frames * 5 / 4 + 7200);
    int bytes = lame_encode_buffer_ieee_float(lame, tone.data(), tone.data(), frames, block.data(),
                                              int(block.size()));
    int tail =
        bytes >= 0 ? lame_encode_flush(lame, block.data() + bytes, int(block.size()) - bytes) : -1;
    const double blockSeconds =
        double(lame_get_frameNum(lame)) * lame_get_framesize(lame) / MusicRate;
    lame_close(lame);
    if (tail < 0 || blockSeconds <= 0) {
        return false;
    }
    block.resize(size_t(bytes + tail));

    const std::string temp = path + ".tmp" + std::to_string(getpid());
    std::ofstream out(temp, std::ios::binary);
    for (double done = 0; done < MusicSeconds; done += blockSeconds) {
        out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
    }
    out.close();
    if (!out || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

// The folder the player opens "glint.mp3" in.
std::string musicFolder() {
    const std::string folder = fixtureDir() + "/soak_music";
    mkdir(folder.c_str(), 0755);
    const std::string file = folder + "/" + TrackPlayer::MusicFile;
    if (const char* given = std::getenv("GLINT_SOAK_MUSIC")) {
        const std::string temp = file + ".link" + std::to_string(getpid());
        std::remove(temp.c_str());
        const bool linked =
            symlink(given, temp.c_str()) == 0 && std::rename(temp.c_str(), file.c_str()) == 0;
        return linked ? folder : std::string();
    }
    return writeLongMusic(file) ? folder : std::string();
}

// Resident memory of this process in KiB, from /proc/self/status.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

class AudioSoak : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        char buffer[4096];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        home = buffer;
        const std::string folder = musicFolder();
        ASSERT_FALSE(folder.empty()) << "cannot make the music";
        ASSERT_EQ(chdir(folder.c_str()), 0);
        ASSERT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 1);
        ASSERT_TRUE(player.open());
    }
    void TearDown() override {
        player.close();
        BASS_Free();
        EXPECT_EQ(chdir(home.c_str()), 0);
    }

    // Plays on for `seconds` of wall time from `from` (the position just
    // read, at `since`), reading the position every few milliseconds. It
    // must never go back, never run ahead of the time that passed by more
    // than a period, and keep up with at least half of it (the dummy device
    // runs on a loaded machine's timers). Returns the last reading.
    float playWatched(float from, Clock::time_point since, double seconds) {
        float last = from;
        while (secondsSince(since) < seconds) {
            sleepSeconds(0.02);
            const float now = player.elapsedSeconds();
            const double passed = secondsSince(since);
            EXPECT_GE(now, last) << "went back after " << passed << " s";
            EXPECT_LE(now - from, passed + PeriodSeconds) << "ran ahead at " << from << " s";
            last = now;
        }
        EXPECT_GE(last - from, 0.5 * seconds) << "fell behind from " << from << " s";
        return last;
    }

    TrackPlayer player;
    std::string home;
};

} // namespace

TEST_F(AudioSoak, SeeksToEveryTrackAndPlaysOnFromItsStart) {
    player.play();
    // Every track by "next", then the wrap back to the first and "previous"
    // from there to the last: each seek reads exactly the track's start at
    // once, whatever was playing before, and plays on from there.
    std::vector<int> order;
    for (int i = 1; i <= TrackPlayer::TrackCount; ++i) {
        order.push_back(i % TrackPlayer::TrackCount);
    }
    order.push_back(TrackPlayer::TrackCount - 1);
    for (size_t k = 0; k < order.size(); ++k) {
        const int want = order[k];
        const int got = k + 1 < order.size() ? player.nextTrack() : player.previousTrack();
        ASSERT_EQ(got, want);
        const auto since = Clock::now();
        const float start = player.elapsedSeconds();
        EXPECT_FLOAT_EQ(start, TrackPlayer::TrackTable[want]) << "track " << want;
        EXPECT_TRUE(player.isPlaying());
        const float end = playWatched(start, since, 0.8);
        // The time display would show this track's time and stay in it.
        EXPECT_FALSE(player.advanceIfDue(end)) << "track " << want;
    }
}

TEST_F(AudioSoak, PauseHoldsThePositionAndResumeGoesOnFromIt) {
    player.play();
    player.nextTrack();
    player.nextTrack();
    playWatched(player.elapsedSeconds(), Clock::now(), 0.4);
    player.pause();
    // The pause fades out over a few milliseconds, then the position stands.
    sleepSeconds(0.1);
    const float held = player.elapsedSeconds();
    sleepSeconds(0.3);
    EXPECT_EQ(player.elapsedSeconds(), held);
    EXPECT_GE(held, TrackPlayer::TrackTable[2]);
    player.resume();
    const auto since = Clock::now();
    playWatched(held, since, 0.5);
}

TEST_F(AudioSoak, PlayingPastTheEndOfTheMusicStopsAndRewinds) {
    // Just before the end, as the time display does once a second: at
    // 98:32 it stops the music, which then reads 0 s and stays there.
    const float nearEnd = TrackPlayer::EndOfMusicSeconds - 0.6f;
    ASSERT_EQ(BASS_ChannelSetPosition(player.stream(),
                                      BASS_ChannelSeconds2Bytes(player.stream(), nearEnd)),
              1);
    player.play();
    const auto since = Clock::now();
    bool ended = false;
    while (!ended && secondsSince(since) < 5.0) {
        sleepSeconds(0.01);
        if (player.elapsedSeconds() >= TrackPlayer::EndOfMusicSeconds) {
            player.stop();
            ended = true;
        }
    }
    ASSERT_TRUE(ended) << "stuck at " << player.lastElapsed() << " s";
    EXPECT_GE(secondsSince(since), 0.5 * 0.6);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.elapsedSeconds(), 0.0f);
    sleepSeconds(0.2);
    EXPECT_EQ(player.elapsedSeconds(), 0.0f);
    EXPECT_EQ(player.currentTrack(), 0);
}

TEST_F(AudioSoak, MemoryStaysFlatOverManyOpensAndSeeks) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer holds freed memory in quarantine, so the resident
    // size grows with every round; in that build LeakSanitizer checks for
    // lost buffers instead.
    GTEST_SKIP() << "resident size is not meaningful under AddressSanitizer";
#endif
    // One round: open afresh, play a moment at every track start, close.
    auto round = [this]() {
        player.close();
        ASSERT_TRUE(player.open());
        player.play();
        for (int i = 0; i < TrackPlayer::TrackCount; ++i) {
            player.nextTrack();
            sleepSeconds(0.01);
            ASSERT_GE(player.elapsedSeconds(), player.trackStart(player.currentTrack()));
        }
    };
    for (int i = 0; i < 3; ++i) {
        round(); // the allocator's pools and the file cache settle
    }
    const long before = residentKiB();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 40; ++i) {
        round();
    }
    const long after = residentKiB();
    // A stream's buffers are far larger than this; losing one per round
    // would show many times over.
    EXPECT_LT(after - before, 2048) << before << " KiB before, " << after << " KiB after";
}
