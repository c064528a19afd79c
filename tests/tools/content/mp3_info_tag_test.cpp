#include "tools/content/mp3_encoder.h"
#include "tools/content/mp3_frames.h"
#include "tools/content/mp3_info_tag.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace keltraWorks;

namespace {

// One LAME stream of `frames` samples of a quiet two-tone signal.
std::vector<uint8_t> encodeTones(int frames) {
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        left[size_t(i)] = float(0.3 * std::sin(i * 0.0313));
        right[size_t(i)] = float(0.2 * std::sin(i * 0.0871) + 0.1 * std::sin(i * 0.51));
    }
    Mp3Encoder encoder;
    std::string error;
    EXPECT_TRUE(encoder.open(&error)) << error;
    EXPECT_TRUE(encoder.encode(left.data(), right.data(), frames, &error)) << error;
    EXPECT_TRUE(encoder.finish(&error)) << error;
    return encoder.takeBytes();
}

struct Split {
    std::vector<uint8_t> tag;
    std::vector<Mp3Frame> audio; // offsets into the stream
};

Split split(const std::vector<uint8_t>& stream) {
    Split s;
    std::vector<Mp3Frame> frames;
    std::string error;
    EXPECT_TRUE(parseMp3Frames(stream.data(), stream.size(), &frames, &error)) << error;
    if (frames.size() < 2) {
        ADD_FAILURE() << "no audio frames";
        return s;
    }
    s.tag.assign(stream.begin(), stream.begin() + frames[0].size);
    s.audio.assign(frames.begin() + 1, frames.end());
    return s;
}

} // namespace

TEST(Mp3InfoTag, RecomputedTagOfOneStreamIsLamesOwn) {
    // Lengths on both sides of the seek table's 400 slots filling up (the
    // spacing doubles there) and with different paddings at the end.
    for (int samples : {44100, 123457, 400 * 1152 - 1000, 500000, 1000003}) {
        SCOPED_TRACE(samples);
        const std::vector<uint8_t> stream = encodeTones(samples);
        Split s = split(stream);
        ASSERT_FALSE(s.audio.empty());
        std::vector<uint8_t> tag = s.tag;
        // Wipe every field the stream decides, and the header's mode
        // extension, so nothing LAME wrote can survive by accident.
        tag[3] &= 0xcf;
        for (size_t i = 36 + 8; i < 36 + 116; ++i) {
            tag[i] = 0x5a;
        }
        tag[156 + 22] &= 0xf0;
        tag[156 + 23] = 0;
        for (size_t i = 156 + 28; i < 156 + 36; ++i) {
            tag[i] = 0xa5;
        }
        std::string error;
        ASSERT_TRUE(fillInfoTag(&tag, stream.data(), s.audio, samples, &error)) << error;
        EXPECT_TRUE(tag == s.tag) << "first difference at byte "
                                  << std::mismatch(tag.begin(), tag.end(), s.tag.begin()).first -
                                         tag.begin();
    }
}

TEST(Mp3InfoTag, DescribesTheStreamItIsGiven) {
    const std::vector<uint8_t> stream = encodeTones(200000);
    Split s = split(stream);
    ASSERT_GT(s.audio.size(), 10u);
    // Drop the last five frames (and the samples they carry): every whole-
    // stream field follows.
    std::vector<Mp3Frame> shorter(s.audio.begin(), s.audio.end() - 5);
    std::vector<uint8_t> tag = s.tag;
    std::string error;
    const int64_t samples = 200000 - 5 * 1152;
    ASSERT_TRUE(fillInfoTag(&tag, stream.data(), shorter, samples, &error)) << error;
    auto be32 = [&](size_t at) {
        return uint32_t(tag[at]) << 24 | uint32_t(tag[at + 1]) << 16 | uint32_t(tag[at + 2]) << 8 |
               tag[at + 3];
    };
    EXPECT_EQ(be32(36 + 8), shorter.size());
    uint32_t bytes = uint32_t(tag.size());
    for (const Mp3Frame& f : shorter) {
        bytes += uint32_t(f.size);
    }
    EXPECT_EQ(be32(36 + 12), bytes);
    EXPECT_EQ(be32(156 + 28), bytes) << "music length";
    const uint32_t delay = uint32_t(tag[156 + 21]) << 4 | tag[156 + 22] >> 4;
    const uint32_t padding = uint32_t(tag[156 + 22] & 0x0f) << 8 | tag[156 + 23];
    EXPECT_EQ(delay, 576u);
    EXPECT_EQ(shorter.size() * 1152 - delay - padding, uint64_t(samples));
    const size_t audioEnd = shorter.back().offset + size_t(shorter.back().size);
    const uint16_t musicCrc = lameCrc16(0, stream.data() + tag.size(), audioEnd - tag.size());
    EXPECT_EQ(tag[156 + 32] << 8 | tag[156 + 33], musicCrc);
    EXPECT_EQ(tag[156 + 34] << 8 | tag[156 + 35], lameCrc16(0, tag.data(), 190));
    // The seek table rises from 0 and never falls.
    EXPECT_EQ(tag[36 + 16], 0);
    for (size_t i = 1; i < 100; ++i) {
        EXPECT_LE(tag[36 + 16 + i - 1], tag[36 + 16 + i]);
    }
    EXPECT_GT(tag[36 + 16 + 99], 240);
}

TEST(Mp3InfoTag, RefusesSampleCountsTheFramesCannotHold) {
    const std::vector<uint8_t> stream = encodeTones(50000);
    Split s = split(stream);
    std::vector<uint8_t> tag = s.tag;
    std::string error;
    const int64_t room = int64_t(s.audio.size()) * 1152 - 576;
    EXPECT_FALSE(fillInfoTag(&tag, stream.data(), s.audio, room + 1, &error));
    EXPECT_FALSE(fillInfoTag(&tag, stream.data(), s.audio, room - 0x1000, &error));
    EXPECT_TRUE(tag == s.tag) << "a refused tag is left as it was";
    EXPECT_TRUE(fillInfoTag(&tag, stream.data(), s.audio, room, &error)) << error;
    std::vector<uint8_t> plain = s.tag;
    plain[36] = 'N'; // not an Info tag
    EXPECT_FALSE(fillInfoTag(&plain, stream.data(), s.audio, 50000, &error));
    EXPECT_FALSE(fillInfoTag(&tag, stream.data(), {}, 0, &error));
}

TEST(Mp3InfoTag, CrcMatchesTheKnownCheckValue) {
    // CRC-16/ARC of "123456789".
    const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(lameCrc16(0, text, sizeof text), 0xbb3d);
}
