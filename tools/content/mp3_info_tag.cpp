#include "tools/content/mp3_info_tag.h"

#include <array>
#include <cmath>
#include <cstring>

namespace keltraWorks {

namespace {

constexpr int TocEntries = 100;
constexpr int XingFlags = 0x0f; // frames, bytes, seek table and quality present
constexpr int LameOffset = 120; // the LAME extension, from the Xing/Info word
constexpr int TagCrcOffset = LameOffset + 34;

void putBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

void putBe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The seek table as LAME builds it while encoding: the running sum of the
// frames' bit rates is sampled into at most 400 slots, every `want` frames;
// when the slots fill, every second one is kept and the spacing doubles.
// Entry i is then the share of the sum reached i percent of the way through
// the slots, out of 256.
std::array<uint8_t, TocEntries> seekTable(const std::vector<Mp3Frame>& frames) {
    constexpr int Slots = 400;
    std::array<int, Slots> bag{};
    int sum = 0, seen = 0, want = 1, pos = 0;
    for (const Mp3Frame& f : frames) {
        sum += f.bitrateKbps;
        if (++seen < want) {
            continue;
        }
        if (pos < Slots) {
            bag[size_t(pos++)] = sum;
            seen = 0;
        }
        if (pos == Slots) {
            for (int i = 1; i < Slots; i += 2) {
                bag[size_t(i / 2)] = bag[size_t(i)];
            }
            want *= 2;
            pos /= 2;
        }
    }
    std::array<uint8_t, TocEntries> toc{};
    if (pos <= 0) {
        return toc;
    }
    for (int i = 1; i < TocEntries; ++i) {
        // Single precision where LAME uses it, so the rounding is the same.
        const float j = float(i) / float(TocEntries);
        int index = int(std::floor(j * float(pos)));
        index = std::min(index, pos - 1);
        const float act = float(bag[size_t(index)]);
        const float total = float(sum);
        toc[size_t(i)] = uint8_t(std::min(255, int(256.0 * double(act) / double(total))));
    }
    return toc;
}

} // namespace

uint16_t lameCrc16(uint16_t crc, const uint8_t* data, size_t size) {
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int b = 0; b < 8; ++b) {
                c = (c & 1) ? (c >> 1) ^ 0xa001u : c >> 1;
            }
            t[i] = uint16_t(c);
        }
        return t;
    }();
    for (size_t i = 0; i < size; ++i) {
        crc = uint16_t((crc >> 8) ^ table[(crc ^ data[i]) & 0xff]);
    }
    return crc;
}

bool fillInfoTag(std::vector<uint8_t>* tag, const uint8_t* audio,
                 const std::vector<Mp3Frame>& frames, int64_t samples, std::string* error) {
    Mp3Frame head;
    if (!parseMp3Frame(tag->data(), tag->size(), &head) || size_t(head.size) != tag->size()) {
        *error = "the Info tag is not one whole frame";
        return false;
    }
    // The Xing/Info word sits right after the side information.
    const size_t xing = size_t(head.regionStart);
    uint8_t* t = tag->data();
    if (xing + TagCrcOffset + 2 > tag->size() ||
        (std::memcmp(t + xing, "Info", 4) != 0 && std::memcmp(t + xing, "Xing", 4) != 0) ||
        be32(t + xing + 4) != XingFlags) {
        *error = "the first frame holds no Info tag with all its fields";
        return false;
    }
    if (frames.empty()) {
        *error = "no audio frames for the Info tag";
        return false;
    }
    uint64_t audioBytes = 0;
    for (const Mp3Frame& f : frames) {
        audioBytes += uint64_t(f.size);
    }
    const uint8_t* lame = t + xing + LameOffset;
    const int64_t delay = int64_t(lame[21]) << 4 | lame[22] >> 4;
    const int64_t padding = int64_t(frames.size()) * Mp3FrameSamples - delay - samples;
    if (padding < 0 || padding > 0xfff) {
        *error = "the stream's frames do not fit its sample count (padding " +
                 std::to_string(padding) + ")";
        return false;
    }
    const uint64_t streamBytes = audioBytes + tag->size();
    if (streamBytes > 0xffffffffu) {
        *error = "the stream is too long for an Info tag";
        return false;
    }

    // LAME takes the tag frame's channel-mode extension from the last frame
    // it encoded.
    t[3] = uint8_t((t[3] & ~0x30) | frames.back().modeExtension << 4);
    putBe32(t + xing + 8, uint32_t(frames.size()));
    putBe32(t + xing + 12, uint32_t(streamBytes));
    const std::array<uint8_t, TocEntries> toc = seekTable(frames);
    std::memcpy(t + xing + 16, toc.data(), toc.size());

    uint8_t* ext = t + xing + LameOffset;
    ext[22] = uint8_t((ext[22] & 0xf0) | padding >> 8);
    ext[23] = uint8_t(padding);
    putBe32(ext + 28, uint32_t(streamBytes));
    uint16_t musicCrc = 0;
    for (const Mp3Frame& f : frames) {
        musicCrc = lameCrc16(musicCrc, audio + f.offset, size_t(f.size));
    }
    putBe16(ext + 32, musicCrc);
    putBe16(t + xing + TagCrcOffset, lameCrc16(0, t, xing + TagCrcOffset));
    return true;
}

} // namespace keltraWorks
