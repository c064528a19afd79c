// Decoding pictures ahead on a worker: results must be exactly what a decode
// on the spot gives, go only to the very bytes they were made from, and the
// worker must be out of the way whenever the caller decodes itself.
#include "engine/render/picture_decode_ahead.h"
#include "engine/render/png_decode.h"
#include "tests/support/render/recording_renderer.h"
#include "tests/support/temp_folder.h"
#include "tools/content/png_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <string>

using Bytes = std::vector<uint8_t>;
using keltraWorks::Image;
using keltraWorks::PictureDecodeAhead;

namespace {

Bytes gradientPng(uint32_t width, uint32_t height, uint8_t seed, bool alpha) {
    Bytes pixels;
    for (uint32_t i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {uint8_t(i * 7 + seed), uint8_t(i / 3), uint8_t(255 - seed)});
        if (alpha) {
            pixels.push_back(uint8_t(i * 13));
        }
    }
    return keltraWorks::encodePng(int(width), int(height), alpha, pixels);
}

bool samePicture(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height || a.bitsPerPixel != b.bitsPerPixel ||
        a.pixels == nullptr || b.pixels == nullptr) {
        return false;
    }
    const size_t bytes = size_t(a.width) * size_t(a.height) * size_t(a.bitsPerPixel / 8);
    return std::memcmp(a.pixels, b.pixels, bytes) == 0;
}

class DecodeAhead : public ::testing::Test {
  protected:
    void TearDown() override { PictureDecodeAhead::clear(); }

    // Starts the worker on `files`, counting the reads it makes.
    void startOn(const std::map<std::string, Bytes>& files, std::vector<std::string> names) {
        PictureDecodeAhead::start(std::move(names),
                                  [this, files](const std::string& name, Bytes* out) {
                                      ++reads;
                                      const auto it = files.find(name);
                                      if (it == files.end()) {
                                          return false;
                                      }
                                      *out = it->second;
                                      return true;
                                  });
    }

    std::atomic<int> reads{0};
};

TEST_F(DecodeAhead, ResultsEqualADecodeOnTheSpotAndAreHandedOutOnce) {
    const Bytes a = gradientPng(33, 17, 1, false);
    const Bytes b = gradientPng(8, 40, 2, true);
    startOn({{"a", a}, {"b", b}}, {"a", "b"});

    // Asked out of order: the second picture first.
    Image aheadB(true);
    ASSERT_TRUE(PictureDecodeAhead::take(b.data(), b.size(), &aheadB));
    Image direct(true);
    ASSERT_TRUE(keltraWorks::decodePng(b.data(), b.size(), &direct));
    EXPECT_TRUE(samePicture(aheadB, direct));
    EXPECT_EQ(aheadB.bitsPerPixel, 32);

    Image aheadA(true);
    ASSERT_TRUE(PictureDecodeAhead::take(a.data(), a.size(), &aheadA));
    Image directA(true);
    ASSERT_TRUE(keltraWorks::decodePng(a.data(), a.size(), &directA));
    EXPECT_TRUE(samePicture(aheadA, directA));
    EXPECT_EQ(PictureDecodeAhead::held(), 0u);

    // Each result goes out once; the same bytes again are a miss.
    Image again(true);
    EXPECT_FALSE(PictureDecodeAhead::take(a.data(), a.size(), &again));
    EXPECT_EQ(again.pixels, nullptr);
}

TEST_F(DecodeAhead, OnlyTheSameBytesMatch) {
    const Bytes read = gradientPng(16, 16, 3, false);
    Bytes sameLengthOtherBytes = read;
    sameLengthOtherBytes[read.size() / 2] ^= 0x01;
    startOn({{"pic", read}}, {"pic"});

    Image out(true);
    EXPECT_FALSE(
        PictureDecodeAhead::take(sameLengthOtherBytes.data(), sameLengthOtherBytes.size(), &out));
    EXPECT_FALSE(PictureDecodeAhead::take(read.data(), read.size() - 1, &out));
    // A miss never consumes the result made for other bytes.
    EXPECT_EQ(PictureDecodeAhead::held(), 1u);
    EXPECT_TRUE(PictureDecodeAhead::take(read.data(), read.size(), &out));
}

TEST_F(DecodeAhead, UnreadableAndUndecodableNamesAreSkipped) {
    const Bytes good = gradientPng(5, 5, 5, true);
    const Bytes broken = {0x89, 'P', 'N', 'G', 1, 2, 3};
    ::testing::internal::CaptureStderr();
    startOn({{"good", good}, {"broken", broken}}, {"missing", "broken", "good"});

    Image out(true);
    EXPECT_FALSE(PictureDecodeAhead::take(broken.data(), broken.size(), &out));
    // The worker says nothing: the loader's own decode reports a refusal.
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    // The miss above waited for the whole worker, which still did the rest.
    EXPECT_EQ(reads.load(), 3);
    EXPECT_TRUE(PictureDecodeAhead::take(good.data(), good.size(), &out));
    EXPECT_EQ(out.width, 5);
}

TEST_F(DecodeAhead, ClearDropsWhatIsHeldAndAFreshStartReplacesIt) {
    const Bytes one = gradientPng(12, 9, 6, false);
    const Bytes two = gradientPng(9, 12, 7, false);
    startOn({{"one", one}}, {"one"});
    Image out(true);
    PictureDecodeAhead::clear();
    EXPECT_EQ(PictureDecodeAhead::held(), 0u);
    EXPECT_FALSE(PictureDecodeAhead::take(one.data(), one.size(), &out));

    startOn({{"one", one}}, {"one"});
    startOn({{"two", two}}, {"two"});
    EXPECT_FALSE(PictureDecodeAhead::take(one.data(), one.size(), &out));
    EXPECT_TRUE(PictureDecodeAhead::take(two.data(), two.size(), &out));
}

// The loader takes a picture decoded ahead when it reads the same bytes, and
// decodes the file itself when the work ahead was done on other bytes.
TEST_F(DecodeAhead, TheLoaderTakesMatchingPicturesAndIgnoresStaleOnes) {
    const glintTest::TempFolder dir;
    const Bytes onDisk = gradientPng(20, 10, 8, false);
    const Bytes stale = gradientPng(7, 3, 9, false);
    ASSERT_TRUE(dir.write("a.png", onDisk));
    ASSERT_TRUE(dir.write("b.png", onDisk));
    startOn({{dir.path("a.png"), onDisk}, {dir.path("b.png"), stale}},
            {dir.path("a.png"), dir.path("b.png")});

    keltraWorks::RecordingRenderer renderer;
    const int a = renderer.loadTexture(dir.path("a.png"), 0, false);
    const int b = renderer.loadTexture(dir.path("b.png"), 0, false);
    // The miss on b waited for the worker; what is left is the stale one.
    EXPECT_EQ(PictureDecodeAhead::held(), 1u);
    for (int texture : {a, b}) {
        const keltraWorks::ImageInfo* info = renderer.getTextureInfo(texture);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->imageWidth, 20);
        EXPECT_EQ(info->imageHeight, 10);
    }
}

} // namespace
