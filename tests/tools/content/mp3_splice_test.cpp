#include "tests/support/temp_folder.h"
#include "tests/tools/content/mp3_reader.h"
#include "tools/content/mp3_encoder.h"
#include "tools/content/mp3_frames.h"
#include "tools/content/mp3_info_tag.h"
#include "tools/content/mp3_splice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace keltraWorks;

namespace {

constexpr int Rate = 44100;

// Busy stereo test music: chords with vibrato under clicks of noise, so the
// encoder uses its bit reservoir and switches to short windows now and then.
struct Signal {
    std::vector<float> left, right;
    int64_t frames() const { return int64_t(left.size()); }
};

Signal testSignal(int frames) {
    Signal s;
    s.left.resize(size_t(frames));
    s.right.resize(size_t(frames));
    uint32_t noise = 12345;
    float burst = 0;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / Rate;
        if (i % 16301 == 0) {
            burst = 0.5f; // a hit every 0.37 s
        }
        burst *= 0.9993f;
        noise = noise * 1664525u + 1013904223u;
        const float n = (float(noise >> 8) / float(1 << 24) - 0.5f) * burst;
        const double vib = 0.003 * std::sin(2 * M_PI * 5 * t);
        const double chord = std::sin(2 * M_PI * 220 * t * (1 + vib)) +
                             0.6 * std::sin(2 * M_PI * 277.2 * t) +
                             0.4 * std::sin(2 * M_PI * 329.6 * t * (1 - vib));
        s.left[size_t(i)] = float(0.2 * chord) + n;
        s.right[size_t(i)] = float(0.2 * chord * 0.8 + 0.1 * std::sin(2 * M_PI * 1250 * t)) - n;
    }
    return s;
}

// The MP3 stream LAME makes of frames [from, to) of `s`, Info tag first.
std::vector<uint8_t> encode(const Signal& s, int64_t from, int64_t to) {
    Mp3Encoder encoder;
    std::string error;
    EXPECT_TRUE(encoder.open(&error)) << error;
    for (int64_t at = from; at < to; at += 4096) {
        const int n = int(std::min<int64_t>(4096, to - at));
        EXPECT_TRUE(encoder.encode(&s.left[size_t(at)], &s.right[size_t(at)], n, &error)) << error;
    }
    EXPECT_TRUE(encoder.finish(&error)) << error;
    return encoder.takeBytes();
}

// A stream's audio frames, placed at file frame `first`.
Mp3Stream audioFrames(const std::vector<uint8_t>& bytes, int64_t first) {
    Mp3Stream stream;
    std::vector<Mp3Frame> frames;
    std::string error;
    EXPECT_TRUE(parseMp3Frames(bytes.data(), bytes.size(), &frames, &error)) << error;
    stream.data = bytes.data();
    if (!frames.empty()) {
        stream.frames.assign(frames.begin() + 1, frames.end());
    }
    stream.firstFrame = first;
    return stream;
}

// The whole file: `tagFrom`'s Info tag filled in for the joined frames.
std::vector<uint8_t> withTag(const std::vector<uint8_t>& tagFrom, const Mp3Joiner& joined,
                             int64_t samples) {
    Mp3Frame head;
    EXPECT_TRUE(parseMp3Frame(tagFrom.data(), tagFrom.size(), &head));
    std::vector<uint8_t> file(tagFrom.begin(), tagFrom.begin() + head.size);
    std::string error;
    EXPECT_TRUE(fillInfoTag(&file, joined.bytes().data(), joined.frames(), samples, &error))
        << error;
    file.insert(file.end(), joined.bytes().begin(), joined.bytes().end());
    return file;
}

glintTest::Mp3Audio decode(const std::vector<uint8_t>& file) {
    glintTest::TempFolder folder;
    const std::string path = folder.path("x.mp3");
    EXPECT_TRUE(
        folder.write(path.substr(folder.path().size() + 1), std::string(file.begin(), file.end())));
    return glintTest::decodeMp3(path);
}

// Energy of the difference between decoded audio and the input over
// [from, from + count) frames.
double errorEnergy(const glintTest::Mp3Audio& audio, const Signal& s, int64_t from, int64_t count) {
    double sum = 0;
    for (int64_t f = from; f < from + count; ++f) {
        const double l = audio.samples[size_t(f) * 2] - s.left[size_t(f)];
        const double r = audio.samples[size_t(f) * 2 + 1] - s.right[size_t(f)];
        sum += l * l + r * r;
    }
    return sum;
}

// Rewrites the 9-bit main_data_begin of the frame at `frame` (no CRC).
void setMainDataBegin(uint8_t* frame, int value) {
    frame[4] = uint8_t(value >> 1);
    frame[5] = uint8_t((frame[5] & 0x7f) | (value & 1) << 7);
}

} // namespace

TEST(Mp3Frames, ReadsLameOutputAndFindsItsReservoirConsistent) {
    const Signal s = testSignal(3 * Rate);
    std::vector<uint8_t> bytes = encode(s, 0, s.frames());
    std::vector<Mp3Frame> frames;
    std::string error;
    ASSERT_TRUE(parseMp3Frames(bytes.data(), bytes.size(), &frames, &error)) << error;
    ASSERT_GT(frames.size(), 100u);
    // 96 kbit/s at 44.1 kHz: 313 bytes, 314 with the padding byte.
    int reaching = 0, shortWindows = 0;
    for (const Mp3Frame& f : frames) {
        EXPECT_TRUE(f.size == 313 || f.size == 314) << f.size;
        EXPECT_EQ(f.channels, 2);
        EXPECT_EQ(f.regionStart, 36);
        reaching += f.mainDataBegin > 0;
        shortWindows += f.lastBlockType[0] == 2 || f.lastBlockType[1] == 2;
    }
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "Info");
    EXPECT_GT(reaching, 20) << "the test music must make the encoder use its reservoir";
    EXPECT_GT(shortWindows, 0) << "the hits must make the encoder switch windows";
    EXPECT_TRUE(checkMainData(frames, 1, &error)) << error;

    // Faults the checker must see: a frame reaching back too far, and a frame
    // whose data would overlap its predecessor's.
    std::vector<Mp3Frame> broken = frames;
    broken[1].mainDataBegin = 1;
    EXPECT_FALSE(checkMainData(broken, 1, &error));
    EXPECT_NE(error.find("frame 1 reaches back"), std::string::npos) << error;
    size_t k = 2;
    while (k < frames.size() && frames[k - 1].freeAfter() >= 511) {
        ++k;
    }
    ASSERT_LT(k, frames.size());
    setMainDataBegin(&bytes[frames[k].offset], frames[k - 1].freeAfter() + 1);
    ASSERT_TRUE(parseMp3Frames(bytes.data(), bytes.size(), &broken, &error)) << error;
    EXPECT_EQ(broken[k].mainDataBegin, frames[k - 1].freeAfter() + 1);
    EXPECT_FALSE(checkMainData(broken, 1, &error));
    EXPECT_NE(error.find("overlaps"), std::string::npos) << error;
}

TEST(Mp3Frames, RefusesWhatIsNotAWholeLayer3Frame) {
    const Signal s = testSignal(Rate / 2);
    const std::vector<uint8_t> bytes = encode(s, 0, s.frames());
    std::vector<Mp3Frame> frames;
    std::string error;
    // Cut in the middle of the last frame.
    EXPECT_FALSE(parseMp3Frames(bytes.data(), bytes.size() - 10, &frames, &error));
    std::vector<uint8_t> other = bytes;
    other[1] = 0xf3; // MPEG-2: not a layout this reader knows
    EXPECT_FALSE(parseMp3Frames(other.data(), other.size(), &frames, &error));
    EXPECT_NE(error.find("byte 0"), std::string::npos) << error;
    other = bytes;
    other[2] |= 0xf0; // bit rate index 15 is forbidden
    EXPECT_FALSE(parseMp3Frames(other.data(), other.size(), &frames, &error));
    Mp3Frame f;
    const uint8_t tiny[3] = {0xff, 0xfb, 0x70};
    EXPECT_FALSE(parseMp3Frame(tiny, sizeof tiny, &f));
}

TEST(Mp3Seam, TakesTheFirstFitPreferringMatchingWindows) {
    // Two made-up streams over file frames 10..30: a leaves 100 bytes free
    // after each frame; b reaches back 300 bytes except where noted.
    Mp3Stream a, b;
    a.firstFrame = 10;
    b.firstFrame = 12;
    Mp3Frame f;
    f.size = 313;
    f.regionStart = 36;
    f.mainDataBits = 8 * 300;
    f.mainDataBegin = 123; // 277 + 123 - 300 = 100 free
    a.frames.assign(20, f);
    f.mainDataBegin = 300;
    b.frames.assign(18, f);
    EXPECT_EQ(findSeam(a, b, 14, 30).frame, -1);
    b.at(20).mainDataBegin = 101;
    EXPECT_FALSE(seamFits(a, b, 20));
    b.at(20).mainDataBegin = 100;
    b.at(24).mainDataBegin = 0;
    EXPECT_TRUE(seamFits(a, b, 20));
    Mp3Seam seam = findSeam(a, b, 14, 30);
    EXPECT_EQ(seam.frame, 20);
    EXPECT_TRUE(seam.windowsMatch);
    // A short window ending a's frame 19 in one channel only: the seam moves
    // to the next fit whose windows agree...
    a.at(19).lastBlockType = {0, 2};
    seam = findSeam(a, b, 14, 30);
    EXPECT_EQ(seam.frame, 24);
    EXPECT_TRUE(seam.windowsMatch);
    // ...and when there is none, the first fit is still taken.
    a.at(23).lastBlockType = {3, 0};
    seam = findSeam(a, b, 14, 30);
    EXPECT_EQ(seam.frame, 20);
    EXPECT_FALSE(seam.windowsMatch);
    // Never outside the range asked for, nor where b has no frame before.
    EXPECT_EQ(findSeam(a, b, 21, 24).frame, -1);
    b.at(12).mainDataBegin = 0;
    EXPECT_FALSE(seamFits(a, b, 12));
}

// Two lanes of one signal, the second starting on the frame grid, joined as
// the music writer joins its lanes.
class SplicedStream : public ::testing::Test {
  protected:
    static constexpr int64_t LaneFrame = 150; // file frame where lane b's input starts
    static constexpr int64_t Overrun = 170;   // frames lane a runs past it

    void SetUp() override {
        signal = testSignal(10 * Rate);
        whole = encode(signal, 0, signal.frames());
        laneA = encode(signal, 0, (LaneFrame + Overrun) * Mp3FrameSamples);
        laneB = encode(signal, LaneFrame * Mp3FrameSamples, signal.frames());
        a = audioFrames(laneA, 0);
        b = audioFrames(laneB, LaneFrame);
        seam = findSeam(a, b, LaneFrame + 8, LaneFrame + 158);
    }

    // The file joined at `at`, taking b's frames from file frame `bFrom`,
    // holding `samples` samples.
    std::vector<uint8_t> join(int64_t at, int64_t bFrom, int64_t samples) {
        Mp3Joiner joiner;
        EXPECT_TRUE(joiner.append(a, 0, at));
        EXPECT_TRUE(joiner.append(b, bFrom, b.endFrame()));
        std::string error;
        EXPECT_TRUE(checkMainData(joiner.frames(), 0, &error)) << error;
        return withTag(laneA, joiner, samples);
    }

    Signal signal;
    std::vector<uint8_t> whole, laneA, laneB;
    Mp3Stream a, b;
    Mp3Seam seam;
};

TEST_F(SplicedStream, DecodesToTheInputsLengthAndMatchesItAtTheSeam) {
    ASSERT_GE(seam.frame, 0) << "no seam in 150 frames";
    const std::vector<uint8_t> file = join(seam.frame, seam.frame, signal.frames());
    const glintTest::Mp3Audio spliced = decode(file);
    const glintTest::Mp3Audio reference = decode(whole);
    ASSERT_TRUE(spliced.opened);
    ASSERT_EQ(spliced.frames(), size_t(signal.frames())) << "gapless length from the Info tag";
    ASSERT_EQ(reference.frames(), size_t(signal.frames()));

    // The frames around the seam decode as close to the input as the one
    // encoder's frames do there, and as the spliced stream does elsewhere.
    const int64_t around = (seam.frame - 2) * Mp3FrameSamples;
    const int64_t width = 4 * Mp3FrameSamples;
    const double atSeam = errorEnergy(spliced, signal, around, width);
    const double wholeAtSeam = errorEnergy(reference, signal, around, width);
    double elsewhere = 0;
    for (int64_t at : {30, 90, 260, 330}) {
        elsewhere = std::max(elsewhere, errorEnergy(spliced, signal, at * Mp3FrameSamples, width));
    }
    EXPECT_GT(wholeAtSeam, 0);
    EXPECT_LT(atSeam, 1.5 * wholeAtSeam);
    EXPECT_LT(atSeam, 3 * elsewhere);
    // Before the seam the file is lane a's, after it lane b's: over the
    // whole file the error is the one encoder's, give or take.
    const double total = errorEnergy(spliced, signal, 0, signal.frames());
    const double wholeTotal = errorEnergy(reference, signal, 0, signal.frames());
    EXPECT_LT(total, 1.05 * wholeTotal);

    // Negative control: a frame lost at the seam shifts everything after it,
    // and the same measure must see that.
    const std::vector<uint8_t> lost =
        join(seam.frame, seam.frame + 1, signal.frames() - Mp3FrameSamples);
    const glintTest::Mp3Audio broken = decode(lost);
    ASSERT_EQ(broken.frames() + Mp3FrameSamples, size_t(signal.frames()));
    EXPECT_GT(errorEnergy(broken, signal, around, width), 10 * wholeAtSeam);
}

TEST_F(SplicedStream, SeamFollowsTheReservoirRule) {
    ASSERT_GE(seam.frame, 0);
    EXPECT_LE(b.at(seam.frame).mainDataBegin, a.at(seam.frame - 1).freeAfter());
    // Where b's frame reaches back further than a leaves free, the joiner
    // refuses rather than making a stream a decoder would mangle.
    int64_t unfit = -1;
    for (int64_t s = LaneFrame + 8; s < LaneFrame + 158 && unfit < 0; ++s) {
        if (b.at(s).mainDataBegin > a.at(s - 1).freeAfter()) {
            unfit = s;
        }
    }
    if (unfit < 0) {
        GTEST_SKIP() << "every frame in the window fits";
    }
    Mp3Joiner joiner;
    ASSERT_TRUE(joiner.append(a, 0, unfit));
    const size_t before = joiner.bytes().size();
    EXPECT_FALSE(joiner.append(b, unfit, b.endFrame()));
    EXPECT_EQ(joiner.bytes().size(), before);
}
