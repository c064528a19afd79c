#include "engine/render/png_check.h"
#include "engine/render/png_decode.h"
#include "tests/render/time_limit.h"
#include "tools/content/png_writer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using Bytes = std::vector<uint8_t>;
using glintTest::ChildOutcome;
using keltraWorks::checkPngStructure;
using keltraWorks::decodePng;
using keltraWorks::Image;

namespace {

Bytes smallPicture() {
    Bytes pixels;
    for (int i = 0; i < 5 * 4; ++i) {
        pixels.insert(pixels.end(), {uint8_t(i * 12), uint8_t(255 - i), uint8_t(i)});
    }
    return keltraWorks::encodePng(5, 4, false, pixels);
}

// Signature, IHDR, then the given chunks.
Bytes withChunks(const Bytes& header, const std::vector<Bytes>& chunks) {
    Bytes png = keltraWorks::pngSignature();
    Bytes ihdr = keltraWorks::pngChunk("IHDR", header);
    png.insert(png.end(), ihdr.begin(), ihdr.end());
    for (const Bytes& c : chunks) {
        png.insert(png.end(), c.begin(), c.end());
    }
    return png;
}

bool check(const Bytes& bytes) {
    return checkPngStructure(bytes.data(), bytes.size());
}

bool decodes(const Bytes& bytes) {
    Image out(true);
    return decodePng(bytes.data(), bytes.size(), &out);
}

} // namespace

TEST(PngStructure, AcceptsAWellFormedFileAndTrailingBytes) {
    Bytes png = smallPicture();
    EXPECT_TRUE(check(png));
    png.insert(png.end(), {1, 2, 3});
    EXPECT_TRUE(check(png));
}

TEST(PngStructure, RejectsEveryTruncation) {
    const Bytes png = smallPicture();
    for (size_t n = 0; n < png.size(); ++n) {
        EXPECT_FALSE(checkPngStructure(png.data(), n)) << "cut at " << n << " of " << png.size();
    }
    EXPECT_FALSE(checkPngStructure(nullptr, 0));
}

TEST(PngStructure, RejectsBrokenChunkChains) {
    const Bytes header = keltraWorks::pngHeader(2, 2, 8, 2);
    const Bytes data = keltraWorks::pngChunk("IDAT", Bytes(10, 0));
    const Bytes end = keltraWorks::pngChunk("IEND", {});

    EXPECT_TRUE(check(withChunks(header, {data, end})));
    EXPECT_FALSE(check(withChunks(header, {data}))) << "no IEND";
    EXPECT_FALSE(check(withChunks(header, {end}))) << "no IDAT";

    Bytes lying = withChunks(header, {data, end});
    lying[33] = 0x7F; // IDAT length becomes about 2 GiB, far past the end
    EXPECT_FALSE(check(lying));
    lying[33] = 0xFF; // above 2^31 - 1, which would wrap a signed size
    EXPECT_FALSE(check(lying));

    Bytes textFirst = keltraWorks::pngSignature();
    for (const Bytes& c : {keltraWorks::pngChunk("tEXt", Bytes(4, 'a')),
                           keltraWorks::pngChunk("IHDR", header), data, end}) {
        textFirst.insert(textFirst.end(), c.begin(), c.end());
    }
    EXPECT_FALSE(check(textFirst)) << "IHDR not first";

    Bytes badSignature = smallPicture();
    badSignature[1] = 'Q';
    EXPECT_FALSE(check(badSignature));
}

TEST(PngStructure, RejectsEmptyAndHugeDimensions) {
    const Bytes data = keltraWorks::pngChunk("IDAT", Bytes(10, 0));
    const Bytes end = keltraWorks::pngChunk("IEND", {});
    EXPECT_FALSE(check(withChunks(keltraWorks::pngHeader(0, 5, 8, 2), {data, end})));
    EXPECT_FALSE(check(withChunks(keltraWorks::pngHeader(100000, 100000, 8, 6), {data, end})));
    EXPECT_FALSE(check(withChunks(keltraWorks::pngHeader(0x80000000u, 1, 8, 0), {data, end})));
    // 64 MiB of pixels need at least 64 KiB of compressed data.
    const Bytes enough = keltraWorks::pngChunk("IDAT", Bytes(66000, 0));
    EXPECT_TRUE(check(withChunks(keltraWorks::pngHeader(4096, 4096, 8, 6), {enough, end})));
}

TEST(PngStructure, RejectsDamagedChecksums) {
    const Bytes png = smallPicture();
    ASSERT_TRUE(check(png));
    // One byte in IHDR's data, IDAT's data and IDAT's checksum in turn.
    for (size_t at : {size_t(20), size_t(45), png.size() - 13}) {
        Bytes damaged = png;
        damaged[at] ^= 0x10;
        std::string reason;
        EXPECT_FALSE(checkPngStructure(damaged.data(), damaged.size(), &reason)) << at;
        EXPECT_EQ(reason, "chunk checksum mismatch") << at;
    }
}

// Found by fuzzing: 300 bytes claiming a 240 x 589829 picture had the
// decoder set aside 424 MB and leak its 4.7 MB row table on failing.
TEST(PngStructure, RejectsDataTooShortToHoldThePicture) {
    const Bytes end = keltraWorks::pngChunk("IEND", {});
    const Bytes bomb = withChunks(keltraWorks::pngHeader(240, 589829, 8, 2),
                                  {keltraWorks::pngChunk("IDAT", Bytes(271, 0x5A)), end});
    std::string reason;
    EXPECT_FALSE(checkPngStructure(bomb.data(), bomb.size(), &reason));
    EXPECT_EQ(reason, "picture data too short for its size");
    Image out(true);
    EXPECT_FALSE(decodePng(bomb.data(), bomb.size(), &out));

    // Deflate's best case still passes: a picture of one colour.
    keltraWorks::PngPicture flat;
    flat.width = 1024;
    flat.height = 768;
    flat.rows = Bytes(size_t(1024) * 768 * 3, 0);
    const Bytes compressed = keltraWorks::encodePng(flat);
    ASSERT_LT(compressed.size(), size_t(8000)) << "not a highly compressed picture";
    EXPECT_TRUE(check(compressed));
    EXPECT_TRUE(decodes(compressed));
}

// The decoder can loop forever or overrun on broken input, so these run in a
// child process that is killed if it does not finish in time.
TEST(PngDecodeHostileInput, TruncatedFilesFailWithoutHangingOrCrashing) {
    const Bytes png = smallPicture();
    const auto body = [&] {
        for (size_t n = 0; n < png.size(); ++n) {
            if (decodes(Bytes(png.begin(), png.begin() + long(n)))) {
                return false;
            }
        }
        return decodes(png); // positive control
    };
    const ChildOutcome outcome = glintTest::runWithTimeLimit(body, 30);
    ASSERT_EQ(outcome, ChildOutcome::Passed) << glintTest::outcomeName(outcome);
    // Known not to hang now: run it here as well, where a leak checker sees
    // every buffer the failed loads left behind.
    EXPECT_TRUE(body());
}

TEST(PngDecodeHostileInput, GarbageAndDamagedDataFailWithoutHangingOrCrashing) {
    const Bytes png = smallPicture();
    const auto body = [&] {
        std::mt19937 random(1234);
        // Pure noise, and noise behind a real signature.
        for (int i = 0; i < 200; ++i) {
            Bytes noise(size_t(random() % 400));
            for (uint8_t& b : noise) {
                b = uint8_t(random());
            }
            if (decodes(noise)) {
                return false;
            }
            Bytes signed_ = keltraWorks::pngSignature();
            signed_.insert(signed_.end(), noise.begin(), noise.end());
            if (decodes(signed_)) {
                return false;
            }
        }
        // Sound structure, damaged contents: must not hang or crash;
        // whether a given flip still decodes is the decoder's affair.
        for (int i = 0; i < 300; ++i) {
            Bytes damaged = png;
            damaged[8 + random() % (damaged.size() - 8)] ^= uint8_t(1 + random() % 255);
            decodes(damaged);
        }
        // A header promising a large picture over a tiny data chunk.
        Bytes liar = withChunks(
            keltraWorks::pngHeader(8000, 8000, 16, 6),
            {keltraWorks::pngChunk("IDAT", Bytes(16, 0)), keltraWorks::pngChunk("IEND", {})});
        return !decodes(liar);
    };
    const ChildOutcome outcome = glintTest::runWithTimeLimit(body, 60);
    ASSERT_EQ(outcome, ChildOutcome::Passed) << glintTest::outcomeName(outcome);
    EXPECT_TRUE(body());
}

TEST(PngDecodeHostileInput, HugeDimensionsFailBeforeDecoding) {
    const Bytes huge = withChunks(
        keltraWorks::pngHeader(70000, 70000, 8, 6),
        {keltraWorks::pngChunk("IDAT", Bytes(16, 0)), keltraWorks::pngChunk("IEND", {})});
    Image out(true);
    EXPECT_FALSE(decodePng(huge.data(), huge.size(), &out));
    EXPECT_EQ(out.pixels, nullptr);
}
