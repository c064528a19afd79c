// A stream driven by hand, buffer by buffer, on a made-up clock: what the
// device would be given, and where the listener is at any moment.
#include "audio/stream.h"
#include "tests/audio/audio_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using keltraWorks::ByteSource;
using keltraWorks::Mp3Decoder;
using keltraWorks::Stream;
using namespace glintTest;

namespace {

constexpr int DeviceRate = 44100;
constexpr int Period = 1024;

uint64_t nsOfFrames(int64_t frames) {
    return static_cast<uint64_t>(frames) * 1000000000ull / DeviceRate;
}

// Plays the role of the output device: hands out one period at a time.
struct FakeDevice {
    explicit FakeDevice(const std::string& path, bool floats = true) {
        std::string error;
        auto decoder =
            Mp3Decoder::open(ByteSource::openFile(path.c_str(), 0, 0, &error), floats, &error);
        EXPECT_TRUE(decoder) << error;
        stream = std::make_unique<Stream>(std::move(decoder), DeviceRate);
        int rate = 0;
        expected = decodeMp3(path, &rate, &channels);
    }

    // The next period as the device would receive it; its hand-over time.
    std::vector<float> period() {
        std::vector<float> out(2 * Period, 0.0f);
        handedAt = nsOfFrames(handed);
        stream->mixInto(out.data(), Period, handedAt);
        handed += Period;
        return out;
    }
    // A moment `frames` device frames into the last period handed over.
    uint64_t into(int frames) const { return handedAt + nsOfFrames(frames); }

    float decoded(int64_t frame, int channel) const {
        return expected[static_cast<size_t>(frame * channels + channel)];
    }

    std::unique_ptr<Stream> stream;
    std::vector<float> expected;
    int channels = 0;
    int64_t handed = 0;
    uint64_t handedAt = 0;
};

float peak(const std::vector<float>& out, int from, int to) {
    float best = 0.0f;
    for (int i = 2 * from; i < 2 * to; ++i) {
        best = std::max(best, std::fabs(out[static_cast<size_t>(i)]));
    }
    return best;
}

} // namespace

TEST(Stream, StartsStoppedAtZeroAndIsSilentUntilPlayed) {
    FakeDevice dev(toneFile());
    EXPECT_EQ(dev.stream->state(), Stream::State::Stopped);
    EXPECT_EQ(dev.stream->heardFrame(0), 0);
    EXPECT_EQ(peak(dev.period(), 0, Period), 0.0f);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(Period)), 0);
}

TEST(Stream, PlaysTheDecodedSamplesUnchangedAtTheDeviceRate) {
    FakeDevice dev(toneFile());
    dev.stream->play(false);
    for (int p = 0; p < 4; ++p) {
        std::vector<float> out = dev.period();
        // The first FadeFrames fade in from silence; the rest is exact.
        for (int j = p == 0 ? Stream::FadeFrames : 0; j < Period; ++j) {
            int64_t frame = p * Period + j;
            ASSERT_EQ(out[2 * j], dev.decoded(frame, 0)) << frame;
            ASSERT_EQ(out[2 * j + 1], dev.decoded(frame, 1)) << frame;
        }
    }
}

TEST(Stream, ResamplesAMonoFileToBothSides) {
    FakeDevice dev(monoFile());
    dev.stream->play(false);
    dev.period();
    std::vector<float> out = dev.period();
    // 22.05 kHz on a 44.1 kHz device: every other device frame is a file
    // frame, the ones between are halfway.
    for (int j = 0; j < Period; j += 2) {
        int64_t frame = (Period + j) / 2;
        EXPECT_NEAR(out[2 * j], dev.decoded(frame, 0), 1e-6);
        EXPECT_EQ(out[2 * j + 1], out[2 * j]);
        float between = 0.5f * (dev.decoded(frame, 0) + dev.decoded(frame + 1, 0));
        EXPECT_NEAR(out[2 * j + 2], between, 2e-6);
    }
}

TEST(Stream, HeardPositionFollowsEachPeriodFromItsHandOver) {
    FakeDevice dev(toneFile());
    dev.stream->play(false);
    dev.period();
    dev.period();
    EXPECT_EQ(dev.stream->heardFrame(dev.into(0)), Period);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(300)), Period + 300);
    // Never beyond the sound handed over, however late the next period is.
    EXPECT_EQ(dev.stream->heardFrame(dev.into(5000)), 2 * Period);

    FakeDevice half(monoFile());
    half.stream->play(false);
    half.period();
    EXPECT_EQ(half.stream->heardFrame(half.into(600)), 300);
}

TEST(Stream, SeekLandsTheClickOnTheExpectedFrame) {
    FakeDevice dev(clickFile());
    dev.stream->play(false);
    dev.period();
    int64_t click = ClickFrames[2];
    ASSERT_TRUE(dev.stream->setFrame(click - 300));
    // The position reads as the target at once, before any sound of it.
    EXPECT_EQ(dev.stream->heardFrame(dev.into(500)), click - 300);
    std::vector<float> out = dev.period();
    EXPECT_EQ(dev.stream->state(), Stream::State::Playing);
    int loudest = 0;
    for (int j = 0; j < Period; ++j) {
        if (std::fabs(out[2 * j]) > std::fabs(out[2 * loudest])) {
            loudest = j;
        }
    }
    EXPECT_EQ(loudest, 300);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(300)), click);
    EXPECT_FALSE(dev.stream->setFrame(dev.stream->lengthFrames() + 1));
    EXPECT_FALSE(dev.stream->setFrame(-1));
}

TEST(Stream, PauseFadesOutAndResumeContinuesWhereTheSoundStopped) {
    FakeDevice dev(toneFile());
    dev.stream->play(false);
    dev.period();
    dev.period();
    EXPECT_TRUE(dev.stream->pause());
    EXPECT_FALSE(dev.stream->pause());
    EXPECT_EQ(dev.stream->state(), Stream::State::Paused);

    // One short fade from where the sound was, then silence.
    std::vector<float> tail = dev.period();
    EXPECT_GT(peak(tail, 0, 16), 0.1f);
    EXPECT_LT(peak(tail, Stream::FadeFrames - 16, Stream::FadeFrames), 0.02f);
    EXPECT_EQ(peak(tail, Stream::FadeFrames, Period), 0.0f);
    int64_t stoppedAt = 2 * Period + Stream::FadeFrames;
    EXPECT_EQ(dev.stream->heardFrame(dev.into(Period)), stoppedAt);
    EXPECT_EQ(peak(dev.period(), 0, Period), 0.0f);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(Period)), stoppedAt);

    dev.stream->play(false);
    std::vector<float> resumed = dev.period();
    for (int j = Stream::FadeFrames; j < Period; ++j) {
        ASSERT_EQ(resumed[2 * j], dev.decoded(stoppedAt + j, 0)) << j;
    }
    EXPECT_EQ(dev.stream->heardFrame(dev.into(10)), stoppedAt + 10);
}

TEST(Stream, PauseAndPlayBetweenPeriodsLeaveTheSoundUntouched) {
    FakeDevice dev(toneFile());
    dev.stream->play(false);
    dev.period();
    dev.stream->pause();
    dev.stream->play(false);
    std::vector<float> out = dev.period();
    for (int j = 0; j < Period; ++j) {
        ASSERT_EQ(out[2 * j], dev.decoded(Period + j, 0)) << j;
    }
}

TEST(Stream, StopRestartStopRewindsWithoutABlipOfTheStart) {
    // A file whose start is loud: any sound of it after the stop would show.
    FakeDevice dev(toneFile());
    dev.stream->play(false);
    dev.period();
    dev.period();
    dev.stream->stop();
    dev.stream->play(true);
    dev.stream->stop();
    EXPECT_EQ(dev.stream->state(), Stream::State::Stopped);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(Period)), 0);
    std::vector<float> out = dev.period();
    // Only the old sound fades out, from where it was; nothing of frame 0 on.
    for (int j = 0; j < Stream::FadeFrames; ++j) {
        float fade = static_cast<float>(Stream::FadeFrames - 1 - j) / Stream::FadeFrames;
        ASSERT_NEAR(out[2 * j], dev.decoded(2 * Period + j, 0) * fade, 1e-6) << j;
    }
    EXPECT_EQ(peak(out, Stream::FadeFrames, Period), 0.0f);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(Period)), 0);
    dev.stream->play(false);
    out = dev.period();
    EXPECT_EQ(out[2 * (Period - 1)], dev.decoded(Period - 1, 0));
}

TEST(Stream, NaturalEndStopsOnceTheLastFrameWasHeard) {
    FakeDevice dev(monoFile());
    int64_t length = dev.stream->lengthFrames();
    ASSERT_TRUE(dev.stream->setFrame(length - 100));
    dev.stream->play(false);
    std::vector<float> last = dev.period();
    // 100 file frames are 200 device frames, then nothing.
    EXPECT_GT(peak(last, 150, 200), 0.0f);
    EXPECT_EQ(peak(last, 200, Period), 0.0f);
    EXPECT_EQ(dev.stream->state(), Stream::State::Playing);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(Period)), length);
    dev.period();
    EXPECT_EQ(dev.stream->state(), Stream::State::Stopped);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(Period)), length);
    // Played again without restart it stays at the end; restart rewinds.
    dev.stream->play(false);
    dev.period();
    EXPECT_EQ(dev.stream->state(), Stream::State::Stopped);
    dev.stream->play(true);
    dev.period();
    EXPECT_EQ(dev.stream->state(), Stream::State::Playing);
    EXPECT_EQ(dev.stream->heardFrame(dev.into(0)), 0);
}

TEST(Stream, CopyHeardGivesTheFramesFromTheOneBeingHeard) {
    FakeDevice dev(toneFile());
    std::vector<float> data(2 * Stream::DataFrames, 1.0f);
    dev.stream->copyHeard(data.data(), 1024, 0);
    EXPECT_EQ(peak(data, 0, 1024), 0.0f) << "nothing plays: zeros";

    dev.stream->play(false);
    dev.period();
    dev.period();
    int64_t heard = dev.stream->heardFrame(dev.into(400));
    ASSERT_EQ(heard, Period + 400);
    // The window may reach past everything handed over: it was decoded ahead.
    dev.stream->copyHeard(data.data(), Stream::DataFrames, dev.into(400));
    for (int i = 0; i < Stream::DataFrames; ++i) {
        ASSERT_EQ(data[2 * i], dev.decoded(heard + i, 0)) << i;
        ASSERT_EQ(data[2 * i + 1], dev.decoded(heard + i, 1)) << i;
    }
    dev.stream->pause();
    dev.stream->copyHeard(data.data(), 1024, dev.into(500));
    EXPECT_EQ(peak(data, 0, 1024), 0.0f);
}

TEST(Stream, VolumeAndPanScaleTheSides) {
    FakeDevice dev(toneFile());
    dev.stream->setVolume(0.5f);
    dev.stream->setPan(-1.0f);
    dev.stream->play(false);
    dev.period();
    std::vector<float> out = dev.period();
    for (int j = 0; j < Period; j += 37) {
        EXPECT_FLOAT_EQ(out[2 * j], 0.5f * dev.decoded(Period + j, 0));
        EXPECT_EQ(out[2 * j + 1], 0.0f);
    }
    dev.stream->setPan(0.25f);
    dev.period();
    out = dev.period();
    EXPECT_FLOAT_EQ(out[2 * 10], 0.5f * 0.75f * dev.decoded(3 * Period + 10, 0));
    EXPECT_FLOAT_EQ(out[2 * 10 + 1], 0.5f * dev.decoded(3 * Period + 10, 1));
}
