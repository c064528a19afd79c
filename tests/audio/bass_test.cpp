// The library's calls on a running device (SDL's dummy driver, which plays
// in real time but silently). Waits are short polls with a deadline.
#include "audio/bass.h"
#include "tests/audio/audio_fixtures.h"
#include "tests/support/audio/wait_for.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

using namespace glintTest;
using Clock = std::chrono::steady_clock;

namespace {

constexpr QWORD BadPosition = ~QWORD{0};
constexpr DWORD BadCount = ~DWORD{0};

void pauseFor(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class Bass : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 1);
    }
    void TearDown() override { BASS_Free(); }

    HSTREAM open(const std::string& path, DWORD flags = BASS_SAMPLE_FLOAT) {
        return BASS_StreamCreateFile(0, path.c_str(), 0, 0, flags);
    }
    static double seconds(HSTREAM h) {
        return BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
    }
    // The position once it has stopped moving (a fade may still be heard).
    static QWORD settledPosition(HSTREAM h) {
        QWORD last = BASS_ChannelGetPosition(h);
        for (int i = 0; i < 50; ++i) {
            pauseFor(30);
            QWORD now = BASS_ChannelGetPosition(h);
            if (now == last) {
                return now;
            }
            last = now;
        }
        return last;
    }
};

} // namespace

TEST(BassStartUp, InitOnceFreeOnceAndNoSilentFallback) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    EXPECT_EQ(BASS_Free(), 0);
    EXPECT_EQ(BASS_StreamCreateFile(0, clickFile().c_str(), 0, 0, 0), 0u) << "not started";
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 1);
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0) << "already started";
    HSTREAM h = BASS_StreamCreateFile(0, clickFile().c_str(), 0, 0, 0);
    EXPECT_NE(h, 0u);
    BASS_ChannelPlay(h, 0);
    EXPECT_EQ(BASS_Free(), 1) << "frees the open stream too";
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    EXPECT_EQ(BASS_Free(), 0);
    EXPECT_EQ(BASS_Init(0, 44100, 0, nullptr, nullptr), 0) << "no 'no sound' device";
    EXPECT_EQ(BASS_Init(-1, 0, 0, nullptr, nullptr), 0);

    // A driver that cannot be had fails start-up instead of going quiet.
    std::string driver = std::getenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    EXPECT_EQ(BASS_Init(1, 44100, 0, nullptr, nullptr), 1);
    EXPECT_EQ(BASS_Free(), 1);
}

TEST_F(Bass, BadHandlesFailHarmlessly) {
    HSTREAM freed = open(clickFile());
    ASSERT_NE(freed, 0u);
    EXPECT_EQ(BASS_StreamFree(freed), 1);
    BASS_CHANNELINFO info{};
    float data[2048];
    for (DWORD h : {DWORD{0}, freed, freed + 1000}) {
        EXPECT_EQ(BASS_StreamFree(h), 0);
        EXPECT_EQ(BASS_ChannelSetAttributes(h, -1, 100, -1), 0);
        EXPECT_EQ(BASS_ChannelPlay(h, 1), 0);
        EXPECT_EQ(BASS_ChannelPause(h), 0);
        EXPECT_EQ(BASS_ChannelStop(h), 0);
        EXPECT_EQ(BASS_ChannelLock(h, 1), 0);
        EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
        EXPECT_EQ(BASS_ChannelGetPosition(h), BadPosition);
        EXPECT_EQ(BASS_ChannelSetPosition(h, 0), 0);
        EXPECT_LT(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)), 0.0f);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(h, 1.0f), BadPosition);
        EXPECT_EQ(BASS_ChannelGetInfo(h, &info), 0);
        EXPECT_EQ(BASS_ChannelGetData(h, data, 8192 | BASS_DATA_FLOAT), BadCount);
    }
    // A new stream never gets an old handle back.
    HSTREAM again = open(clickFile());
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, freed);
}

TEST_F(Bass, OpensMp3sAndRefusesTheRest) {
    EXPECT_EQ(open("no-such-file.mp3"), 0u);
    EXPECT_EQ(open(notMp3File()), 0u);
    EXPECT_EQ(open(fixtureDir()), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
    EXPECT_NE(open(truncatedFile()), 0u);

    std::vector<uint8_t> bytes = readBytes(monoFile());
    HSTREAM fromMemory =
        BASS_StreamCreateFile(1, bytes.data(), 0, static_cast<DWORD>(bytes.size()), 0);
    ASSERT_NE(fromMemory, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_EQ(BASS_ChannelGetInfo(fromMemory, &info), 1);
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.flags, 0u);
    EXPECT_EQ(BASS_ChannelGetInfo(fromMemory, nullptr), 0);
    BASS_StreamFree(fromMemory);
}

TEST_F(Bass, BytePositionsCountTheStreamsOwnFrames) {
    HSTREAM floats = open(clickFile());
    HSTREAM shorts = open(monoFile(), 0);
    ASSERT_NE(floats, 0u);
    ASSERT_NE(shorts, 0u);
    EXPECT_NE(floats, shorts);
    EXPECT_EQ(BASS_ChannelIsActive(floats), DWORD{BASS_ACTIVE_STOPPED});
    EXPECT_EQ(BASS_ChannelGetPosition(floats), 0u);

    // Stereo floats: 8 bytes a frame; mono 16-bit at 22.05 kHz: 2 bytes.
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(floats, 1.0f), 44100u * 8);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(shorts, 1.0f), 22050u * 2);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(floats, 44100u * 8), 1.0f);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(shorts, 11025u * 2), 0.5f);
    // Rounded down to whole frames both ways.
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(floats, 1.5f / 44100), 8u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(floats, 44100u * 8 + 7), 1.0f);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(floats, -1.0f), BadPosition);

    ASSERT_EQ(BASS_ChannelSetPosition(floats, 1000 * 8 + 5), 1);
    EXPECT_EQ(BASS_ChannelGetPosition(floats), 1000u * 8);
    EXPECT_EQ(BASS_ChannelIsActive(floats), DWORD{BASS_ACTIVE_STOPPED});
    QWORD end = BASS_ChannelSeconds2Bytes(floats, 3.0f);
    EXPECT_EQ(BASS_ChannelSetPosition(floats, end), 1);
    EXPECT_EQ(BASS_ChannelSetPosition(floats, end + 8), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(floats), end);
}

TEST_F(Bass, HeardPositionAdvancesInRealTime) {
    HSTREAM h = open(toneFile());
    ASSERT_EQ(BASS_ChannelPlay(h, 0), 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(h) > 0; }));
    double startPos = seconds(h);
    auto startTime = Clock::now();
    pauseFor(400);
    double moved = seconds(h) - startPos;
    double took = std::chrono::duration<double>(Clock::now() - startTime).count();
    // The dummy driver runs a few percent fast; a period (23 ms) of slack.
    EXPECT_GT(moved, took * 0.85 - 0.05);
    EXPECT_LT(moved, took * 1.10 + 0.03);
    // Never backwards between readings.
    QWORD last = BASS_ChannelGetPosition(h);
    for (int i = 0; i < 200; ++i) {
        QWORD now = BASS_ChannelGetPosition(h);
        ASSERT_GE(now, last);
        last = now;
    }
}

TEST_F(Bass, PauseKeepsThePositionAndPlayContinuesThere) {
    HSTREAM h = open(toneFile());
    BASS_ChannelPlay(h, 0);
    pauseFor(150);
    EXPECT_EQ(BASS_ChannelPause(h), 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PAUSED});
    EXPECT_EQ(BASS_ChannelPause(h), 0) << "already paused";
    QWORD paused = settledPosition(h);
    EXPECT_GT(paused, 0u);
    pauseFor(60);
    EXPECT_EQ(BASS_ChannelGetPosition(h), paused);

    EXPECT_EQ(BASS_ChannelPlay(h, 0), 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});
    EXPECT_EQ(BASS_ChannelGetPosition(h), paused);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(h) > paused; }));
    EXPECT_LT(BASS_ChannelGetPosition(h), paused + BASS_ChannelSeconds2Bytes(h, 0.2f));
}

TEST_F(Bass, StopKeepsThePositionAndRestartRewinds) {
    HSTREAM h = open(toneFile());
    BASS_ChannelPlay(h, 0);
    pauseFor(150);
    EXPECT_EQ(BASS_ChannelStop(h), 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
    QWORD stopped = settledPosition(h);
    EXPECT_GT(stopped, 0u);

    EXPECT_EQ(BASS_ChannelPlay(h, 1), 1);
    EXPECT_LT(BASS_ChannelGetPosition(h), stopped);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});
    // Stop, restart, stop as one step: stopped at the beginning.
    EXPECT_EQ(BASS_ChannelLock(h, 1), 1);
    BASS_ChannelStop(h);
    BASS_ChannelPlay(h, 1);
    BASS_ChannelStop(h);
    EXPECT_EQ(BASS_ChannelLock(h, 0), 1);
    EXPECT_EQ(BASS_ChannelLock(h, 0), 0) << "no lock left to let go";
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    pauseFor(60);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_STOPPED});
}

TEST_F(Bass, SeekWhilePausedStaysPausedAtTheNewPlace) {
    HSTREAM h = open(clickFile());
    BASS_ChannelPlay(h, 0);
    pauseFor(50);
    BASS_ChannelPause(h);
    QWORD target = BASS_ChannelSeconds2Bytes(h, 2.0f);
    ASSERT_EQ(BASS_ChannelSetPosition(h, target), 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PAUSED});
    pauseFor(60);
    EXPECT_EQ(BASS_ChannelGetPosition(h), target);
    BASS_ChannelPlay(h, 0);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(h) > target; }));
}

TEST_F(Bass, GetDataHandsOutTheSamplesBeingHeard) {
    int rate = 0;
    int channels = 0;
    std::vector<float> decoded = decodeMp3(toneFile(), &rate, &channels);
    HSTREAM h = open(toneFile());
    std::vector<float> data(2048, 1.0f);
    EXPECT_EQ(BASS_ChannelGetData(h, data.data(), 8192 | BASS_DATA_FLOAT), 8192u);
    EXPECT_EQ(data, std::vector<float>(2048, 0.0f)) << "stopped: zeros";

    BASS_ChannelPlay(h, 0);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(h) > 8 * 4096; }));
    for (int attempt = 0; attempt < 5; ++attempt) {
        QWORD before = BASS_ChannelGetPosition(h) / 8;
        ASSERT_EQ(BASS_ChannelGetData(h, data.data(), 8192 | BASS_DATA_FLOAT), 8192u);
        QWORD after = BASS_ChannelGetPosition(h) / 8;
        // The window starts at a frame heard between the two readings.
        bool found = false;
        for (QWORD start = before; start <= after && !found; ++start) {
            found = std::equal(data.begin(), data.end(), decoded.begin() + 2 * start);
        }
        EXPECT_TRUE(found) << "no window between frames " << before << " and " << after;
        pauseFor(37);
    }
    std::vector<float> again(2048);
    BASS_ChannelPause(h);
    settledPosition(h);
    BASS_ChannelGetData(h, again.data(), 8192 | BASS_DATA_FLOAT);
    EXPECT_EQ(again, std::vector<float>(2048, 0.0f)) << "paused: zeros";
    EXPECT_EQ(BASS_ChannelGetData(h, data.data(), 8192 | 0x80000000), BadCount);
    EXPECT_EQ(BASS_ChannelGetData(h, nullptr, 8192 | BASS_DATA_FLOAT), BadCount);
}

TEST_F(Bass, GetDataDoesNotConsumeAndSpeaksBothSampleFormats) {
    int rate = 0;
    int channels = 0;
    std::vector<float> decoded = decodeMp3(monoFile(), &rate, &channels);
    HSTREAM h = open(monoFile(), 0);
    BASS_ChannelPlay(h, 0);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(h) > 2 * 2048; }));
    std::vector<float> first(1024);
    std::vector<float> second(1024);
    std::vector<int16_t> shorts(1024);
    QWORD before = BASS_ChannelGetPosition(h) / 2;
    BASS_ChannelGetData(h, first.data(), 4096 | BASS_DATA_FLOAT);
    BASS_ChannelGetData(h, second.data(), 4096 | BASS_DATA_FLOAT);
    EXPECT_EQ(BASS_ChannelGetData(h, shorts.data(), 2048), 2048u);
    QWORD after = BASS_ChannelGetPosition(h) / 2;
    ASSERT_LT(after - before, 512u) << "too slow to tell reading from consuming";

    // Each read starts at a frame heard meanwhile: the second read does not
    // continue 1024 frames after the first, as consuming reads would.
    auto startOf = [&](const auto& data, float scale, float tolerance) {
        for (QWORD start = before; start <= after; ++start) {
            bool same = true;
            for (size_t i = 0; i < data.size() && same; ++i) {
                same = std::fabs(data[i] * scale - decoded[start + i]) <= tolerance;
            }
            if (same) {
                return static_cast<int64_t>(start);
            }
        }
        return int64_t{-1};
    };
    // A 16-bit stream: its floats are the 16-bit samples scaled.
    int64_t firstStart = startOf(first, 1.0f, 1.5f / 32768);
    int64_t secondStart = startOf(second, 1.0f, 1.5f / 32768);
    int64_t shortStart = startOf(shorts, 1.0f / 32768, 1.5f / 32768);
    EXPECT_GE(firstStart, 0);
    EXPECT_GE(secondStart, firstStart);
    EXPECT_GE(shortStart, secondStart);
}

TEST_F(Bass, ClickIsHeardWhereTheSeekPutIt) {
    HSTREAM h = open(clickFile());
    BASS_ChannelPlay(h, 0);
    pauseFor(30);
    int64_t click = ClickFrames[3];
    ASSERT_EQ(BASS_ChannelSetPosition(h, static_cast<QWORD>(click - 1500) * 8), 1);
    ASSERT_TRUE(waitFor(
        [&] { return static_cast<int64_t>(BASS_ChannelGetPosition(h) / 8) > click - 1500; }));
    std::vector<float> data(4096);
    // The data is what is heard at the moment it is taken, somewhere between
    // the positions read just before and just after: the click must sit
    // exactly that far into it. Once the position has passed the click, it
    // is no longer ahead.
    ASSERT_TRUE(waitFor([&] {
        const auto before = static_cast<int64_t>(BASS_ChannelGetPosition(h) / 8);
        BASS_ChannelGetData(h, data.data(), 16384 | BASS_DATA_FLOAT);
        const auto after = static_cast<int64_t>(BASS_ChannelGetPosition(h) / 8);
        const int64_t peak = peakFrame(data.data(), 2, 0, 2048);
        return std::fabs(data[2 * peak]) > 0.3f && click - peak >= before && click - peak <= after;
    }));
}

TEST_F(Bass, NaturalEndStopsAtTheLastFrame) {
    HSTREAM h = open(clickFile(), 0);
    QWORD end = BASS_ChannelSeconds2Bytes(h, 3.0f);
    BASS_ChannelSetPosition(h, end - BASS_ChannelSeconds2Bytes(h, 0.1f));
    BASS_ChannelPlay(h, 0);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STOPPED; }));
    EXPECT_EQ(BASS_ChannelGetPosition(h), end);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)), 3.0f);
    // Restart plays from the beginning again.
    BASS_ChannelPlay(h, 1);
    EXPECT_EQ(BASS_ChannelIsActive(h), DWORD{BASS_ACTIVE_PLAYING});
    EXPECT_LT(BASS_ChannelGetPosition(h), BASS_ChannelSeconds2Bytes(h, 0.1f));
}

TEST_F(Bass, AttributesTakeVolumeAndPanAndRefuseRateChanges) {
    HSTREAM h = open(toneFile());
    EXPECT_EQ(BASS_ChannelSetAttributes(h, -1, 100, -1), 1);
    EXPECT_EQ(BASS_ChannelSetAttributes(h, -1, -1, -101), 1);
    EXPECT_EQ(BASS_ChannelSetAttributes(h, 48000, 50, 0), 0);
    EXPECT_EQ(BASS_ChannelSetAttributes(h, 44100, 50, 0), 1);
}
