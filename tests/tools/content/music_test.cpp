#include "tests/support/temp_folder.h"
#include "tests/tools/content/mp3_reader.h"
#include "tools/content/mp3_encoder.h"
#include "tools/content/music_synth.h"
#include "tools/content/music_writer.h"
#include "tools/content/section_style.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

using namespace keltraWorks;

namespace {

constexpr double ShortSeconds = 20;
constexpr long Rate = 44100;

// One quick recording with every section start scaled by 20 / 5920,
// written and decoded once for the suite.
class ShortRecording : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<glintTest::TempFolder>();
        path = folder->path("glint.mp3");
        written = writeMusic(path, ShortSeconds, &report, &error);
        audio = glintTest::decodeMp3(path);
        const std::string text = glintTest::readFile(path);
        bytes.assign(text.begin(), text.end());
    }
    static void TearDownTestSuite() { folder.reset(); }
    void SetUp() override {
        ASSERT_TRUE(written) << error;
        ASSERT_TRUE(audio.opened);
    }

    // Root mean square of both channels over [from, from + count) frames.
    static double rms(long from, long count) {
        double sum = 0;
        long n = 0;
        for (long f = std::max(0L, from); f < from + count && f < long(audio.frames()); ++f) {
            sum += double(audio.samples[size_t(f) * 2]) * audio.samples[size_t(f) * 2] +
                   double(audio.samples[size_t(f) * 2 + 1]) * audio.samples[size_t(f) * 2 + 1];
            n += 2;
        }
        return n ? std::sqrt(sum / double(n)) : 0;
    }
    static long scaledFrame(double fullSeconds) {
        return std::lround(fullSeconds * ShortSeconds / MusicSeconds * Rate);
    }

    static std::unique_ptr<glintTest::TempFolder> folder;
    static std::string path, error;
    static bool written;
    static MusicReport report;
    static glintTest::Mp3Audio audio;
    static std::vector<uint8_t> bytes;
};

std::unique_ptr<glintTest::TempFolder> ShortRecording::folder;
std::string ShortRecording::path, ShortRecording::error;
bool ShortRecording::written = false;
MusicReport ShortRecording::report;
glintTest::Mp3Audio ShortRecording::audio;
std::vector<uint8_t> ShortRecording::bytes;

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

} // namespace

TEST_F(ShortRecording, IsAnMpeg1Layer3StreamOfExactlyTheAskedLength) {
    EXPECT_EQ(audio.rate, Rate);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.mpegVersion, 0);
    EXPECT_EQ(audio.layer, 3);
    EXPECT_EQ(audio.mode, 1) << "joint stereo";
    EXPECT_EQ(audio.bitrate, 96);
    EXPECT_TRUE(audio.constantBitrate);
    // Gapless decoding relies on the Info tag; without it the length would be
    // off by the encoder's delay and padding.
    EXPECT_EQ(audio.frames(), size_t(ShortSeconds * Rate));
    EXPECT_EQ(report.frames, int64_t(ShortSeconds * Rate));

    // MPEG-1 stereo: the Info tag follows the 4-byte header and 32 bytes of
    // side information; the LAME extension follows 120 bytes later.
    ASSERT_GT(bytes.size(), 400u);
    ASSERT_EQ(bytes[0], 0xff);
    ASSERT_EQ(bytes[1] & 0xe0, 0xe0);
    ASSERT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "Info");
    const uint32_t flags = be32(&bytes[40]);
    ASSERT_TRUE(flags & 1u) << "frame count present";
    const uint32_t frames = be32(&bytes[44]);
    ASSERT_EQ(std::string(bytes.begin() + 156, bytes.begin() + 160), "LAME");
    const uint8_t* gap = &bytes[156 + 21];
    const uint32_t delay = uint32_t(gap[0]) << 4 | gap[1] >> 4;
    const uint32_t padding = uint32_t(gap[1] & 0x0f) << 8 | gap[2];
    EXPECT_GT(delay, 0u);
    EXPECT_EQ(uint64_t(frames) * 1152 - delay - padding, uint64_t(ShortSeconds * Rate));
}

TEST_F(ShortRecording, PeaksStayBelowMinusOneDbfsAndTheEdgesAreSilent) {
    float peak = 0;
    for (float s : audio.samples) {
        peak = std::max(peak, std::fabs(s));
    }
    EXPECT_LE(peak, 0.8913f); // -1 dBFS
    EXPECT_GT(peak, 0.1f) << "the recording is not silent";
    const long faded = scaledFrame(MusicFadedSeconds);
    EXPECT_LT(rms(faded + Rate / 100, long(audio.frames()) - faded - Rate / 100), 1e-4)
        << "silence after the last piece has faded";
    EXPECT_LT(rms(0, 64), 1e-3) << "the music starts from silence";
}

TEST_F(ShortRecording, EachSectionStartsAtItsScaledTime) {
    // Each piece fades out into its boundary and the next fades in from it:
    // the quietest 10 ms near each boundary must sit on it.
    const long window = Rate / 100;
    for (int s = 1; s < SectionCount; ++s) {
        SCOPED_TRACE("section " + std::to_string(s + 1));
        const long boundary = scaledFrame(SectionStarts[size_t(s)]);
        long quietest = 0;
        double quietestLevel = 1e9;
        for (long at = boundary - Rate / 2; at <= boundary + Rate / 2; at += Rate / 1000) {
            const double level = rms(at - window / 2, window);
            if (level < quietestLevel) {
                quietestLevel = level;
                quietest = at;
            }
        }
        EXPECT_NEAR(double(quietest - boundary) / Rate, 0.0, 0.015);
        // The dip is deep against the middle of the piece before it.
        const long previous = scaledFrame(SectionStarts[size_t(s - 1)]);
        const double body = rms(previous + (boundary - previous) / 4, (boundary - previous) / 2);
        EXPECT_LT(quietestLevel, body * 0.03);
        // And the new piece is playing within a short moment.
        EXPECT_GT(rms(boundary + Rate / 4, Rate / 4), body * 0.1);
    }
}

TEST_F(ShortRecording, SeamsBetweenLanesDecodeLikeTheMusicAroundThem) {
    // The music as the lanes make it: each section's synthesiser from the
    // section's start, heard from the first frame boundary at or after it.
    const int64_t total = std::llround(ShortSeconds * Rate);
    std::vector<float> left(static_cast<size_t>(total)), right(static_cast<size_t>(total));
    const MusicSynth layout(ShortSeconds);
    auto laneStart = [&](int section) {
        return section >= SectionCount ? total
                                       : (layout.sectionStart(section) + 1151) / 1152 * 1152;
    };
    for (int section = 0; section < SectionCount; ++section) {
        MusicSynth synth(ShortSeconds, section);
        const int64_t from = layout.sectionStart(section);
        const int64_t to = laneStart(section + 1);
        std::vector<float> l(size_t(to - from)), r(l.size());
        synth.render(l.data(), r.data(), int(l.size()));
        const int64_t keep = laneStart(section);
        std::copy(l.begin() + (keep - from), l.end(), left.begin() + keep);
        std::copy(r.begin() + (keep - from), r.end(), right.begin() + keep);
    }
    // The same music through one encoder: how close MP3 at this rate gets
    // to it anyway (noisy sounds decode far from their waveform).
    Mp3Encoder encoder;
    std::string encodeError;
    ASSERT_TRUE(encoder.open(&encodeError) &&
                encoder.encode(left.data(), right.data(), int(left.size()), &encodeError) &&
                encoder.finish(&encodeError))
        << encodeError;
    ASSERT_TRUE(
        folder->write("single.mp3", std::string(encoder.bytes().begin(), encoder.bytes().end())));
    const glintTest::Mp3Audio single = glintTest::decodeMp3(folder->path("single.mp3"));
    ASSERT_EQ(single.frames(), size_t(total));

    // Error energy against the music over four frames centred on `frame`'s
    // first sample, with the decoded audio read `shift` samples later.
    auto errorAt = [&](const glintTest::Mp3Audio& decoded, int64_t frame, long shift) {
        double error = 0;
        for (long f = long(frame - 2) * 1152; f < long(frame + 2) * 1152; ++f) {
            const size_t d = size_t(f + shift) * 2;
            const double l = decoded.samples[d] - left[size_t(f)];
            const double r = decoded.samples[d + 1] - right[size_t(f)];
            error += l * l + r * r;
        }
        return error;
    };
    ASSERT_EQ(report.seams, SectionCount - 1);
    ASSERT_EQ(report.seamFrames.size(), size_t(SectionCount - 1));
    for (size_t k = 0; k < report.seamFrames.size(); ++k) {
        const int64_t seam = report.seamFrames[k];
        SCOPED_TRACE("seam " + std::to_string(k + 1) + " at frame " + std::to_string(seam));
        EXPECT_GT(seam * 1152, scaledFrame(SectionStarts[k + 1])) << "within the later section";
        const double reference = errorAt(single, seam, 0);
        EXPECT_LT(errorAt(audio, seam, 0), 1.6 * reference + 1e-6);
        // Negative control: audio one frame off is far from it.
        EXPECT_GT(errorAt(audio, seam, 1152), 3 * reference);
    }
}

TEST(MusicWriter, SameLengthGivesTheSameBytes) {
    glintTest::TempFolder folder;
    std::string error;
    ASSERT_TRUE(writeMusic(folder.path("a.mp3"), 6, nullptr, &error)) << error;
    ASSERT_TRUE(writeMusic(folder.path("b.mp3"), 6, nullptr, &error)) << error;
    const std::string a = glintTest::readFile(folder.path("a.mp3"));
    EXPECT_GT(a.size(), 6u * 96000 / 8 * 9 / 10);
    EXPECT_TRUE(a == glintTest::readFile(folder.path("b.mp3")));
}

TEST(MusicWriter, RecordingTooShortToJoinIsMadeInOnePiece) {
    // Two seconds: sections of a few frames leave no room for seams, so the
    // writer falls back to one encoder instead of failing or guessing.
    glintTest::TempFolder folder;
    std::string error;
    MusicReport report;
    ASSERT_TRUE(writeMusic(folder.path("short.mp3"), 2, &report, &error)) << error;
    EXPECT_EQ(report.lanes, 1);
    EXPECT_EQ(report.seams, 0);
    const glintTest::Mp3Audio audio = glintTest::decodeMp3(folder.path("short.mp3"));
    EXPECT_EQ(audio.frames(), size_t(2 * Rate));
}

TEST(MusicWriter, FailureLeavesNoFileBehind) {
    glintTest::TempFolder folder;
    std::string error;
    EXPECT_FALSE(writeMusic(folder.path("missing/glint.mp3"), 2, nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}
