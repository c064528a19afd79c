#include "engine/render/image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using keltraWorks::Image;
using keltraWorks::ImageInfo;
using keltraWorks::roundUpToPowerOfTwo;

namespace {

// An owning image whose pixel i, byte k holds (i * 7 + k) % 251 + 1 (never 0,
// so padding zeros are told apart from picture bytes).
Image patterned(int w, int h, int bits) {
    Image image(w, h, bits, true);
    for (int i = 0; i < image.dataSize; ++i) {
        image.pixels[i] = uint8_t((i * 7) % 251 + 1);
    }
    return image;
}

} // namespace

TEST(RoundUpToPowerOfTwo, ClampsBelowSixteenAndLeavesLargeSizesAlone) {
    const int cases[][2] = {{0, 16},      {-5, 16},     {1, 16},      {15, 16},
                            {16, 16},     {17, 32},     {640, 1024},  {1024, 1024},
                            {1025, 2048}, {2048, 2048}, {2049, 2049}, {5000, 5000}};
    for (const auto& c : cases) {
        EXPECT_EQ(roundUpToPowerOfTwo(c[0]), c[1]) << "for " << c[0];
    }
}

TEST(ImageInfoRecord, ConstructionAndSettersFollowTheValidityRule) {
    const ImageInfo none;
    EXPECT_EQ(none.invalid, 1);

    const ImageInfo zeroDepth(4, 4, 0);
    EXPECT_EQ(zeroDepth.width, 0);
    EXPECT_EQ(zeroDepth.invalid, 1);

    ImageInfo r(640, 480, 24);
    EXPECT_EQ(r.imageWidth, 640);
    EXPECT_EQ(r.imageHeight, 480);
    EXPECT_EQ(r.invalid, 0);
    r.setWidth(0); // ignored
    EXPECT_EQ(r.width, 640);
    r.setBitsPerPixel(4);
    EXPECT_EQ(r.invalid, 1);
    r.setBitsPerPixel(32);
    EXPECT_EQ(r.invalid, 0);
    r.setHeight(-3);
    EXPECT_EQ(r.invalid, 1);
}

TEST(ImageBuffer, SizesWhoseByteCountOverflowsAreInvalid) {
    Image huge(true);
    huge.width = 65536;
    huge.height = 65536;
    huge.bitsPerPixel = 32;
    huge.validate();
    EXPECT_EQ(huge.invalid, 1);
    EXPECT_FALSE(huge.padToPowerOfTwo());

    Image unallocated(true);
    EXPECT_FALSE(unallocated.flipVertical());
    EXPECT_FALSE(unallocated.expandTo32Bits());
}

TEST(ImageBuffer, PaddingKeepsThePictureTopLeftWithZerosAround) {
    Image image = patterned(640, 480, 24);
    std::vector<uint8_t> original(image.pixels, image.pixels + image.dataSize);
    ASSERT_TRUE(image.padToPowerOfTwo());

    EXPECT_EQ(image.width, 1024);
    EXPECT_EQ(image.height, 512);
    EXPECT_EQ(image.imageWidth, 640);
    EXPECT_EQ(image.imageHeight, 480);
    EXPECT_EQ(image.dataSize, 1024 * 512 * 3);
    for (int r = 0; r < 480; r += 37) {
        EXPECT_EQ(std::memcmp(image.pixels + r * 1024 * 3, original.data() + r * 640 * 3, 640 * 3),
                  0)
            << "row " << r;
        EXPECT_EQ(image.pixels[r * 1024 * 3 + 640 * 3], 0) << "right of row " << r;
        EXPECT_EQ(image.pixels[(r + 1) * 1024 * 3 - 1], 0) << "end of row " << r;
    }
    for (int i = 480 * 1024 * 3; i < image.dataSize; i += 1001) {
        EXPECT_EQ(image.pixels[i], 0) << "below the picture at byte " << i;
    }
}

TEST(ImageBuffer, PaddingAPowerOfTwoPictureCopiesItUnchanged) {
    Image image = patterned(32, 16, 8);
    std::vector<uint8_t> original(image.pixels, image.pixels + image.dataSize);
    ASSERT_TRUE(image.padToPowerOfTwo());
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.height, 16);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels, image.pixels + image.dataSize), original);
}

TEST(ImageBuffer, ExpandingMakesOnlyPureWhiteTransparent) {
    Image rgb(3, 1, 24, true);
    const uint8_t in[] = {255, 255, 255, 255, 255, 254, 10, 20, 30};
    std::memcpy(rgb.pixels, in, sizeof in);
    ASSERT_TRUE(rgb.expandTo32Bits());
    EXPECT_EQ(rgb.bitsPerPixel, 32);
    EXPECT_EQ(rgb.dataSize, 12);
    const std::vector<uint8_t> expected = {255, 255, 255, 0, 255, 255, 254, 255, 10, 20, 30, 255};
    EXPECT_EQ(std::vector<uint8_t>(rgb.pixels, rgb.pixels + 12), expected);

    // A 32-bit picture keeps its own alpha except on white.
    Image rgba(2, 1, 32, true);
    const uint8_t in32[] = {255, 255, 255, 200, 1, 2, 3, 77};
    std::memcpy(rgba.pixels, in32, sizeof in32);
    ASSERT_TRUE(rgba.expandTo32Bits());
    const std::vector<uint8_t> expected32 = {255, 255, 255, 0, 1, 2, 3, 77};
    EXPECT_EQ(std::vector<uint8_t>(rgba.pixels, rgba.pixels + 8), expected32);

    // Grey pictures are left as they are.
    Image grey(2, 2, 8, true);
    ASSERT_TRUE(grey.expandTo32Bits());
    EXPECT_EQ(grey.bitsPerPixel, 8);
}

TEST(ImageBuffer, FlipReversesRowOrder) {
    Image image(2, 3, 24, true);
    for (int r = 0; r < 3; ++r) {
        std::memset(image.pixels + r * 6, 'A' + r, 6);
    }
    ASSERT_TRUE(image.flipVertical());
    EXPECT_EQ(image.pixels[0], 'C');
    EXPECT_EQ(image.pixels[6], 'B');
    EXPECT_EQ(image.pixels[17], 'A');
}

TEST(ImageBuffer, TransformsAdoptTheNewBufferOfANonOwningImage) {
    uint8_t external[16 * 16] = {};
    external[0] = 9;
    {
        Image view(true);
        view.width = 16;
        view.height = 16;
        view.bitsPerPixel = 8;
        view.ownsPixels = false;
        view.pixels = external;
        ASSERT_TRUE(view.padToPowerOfTwo());
        EXPECT_NE(view.pixels, external);
        EXPECT_TRUE(view.ownsPixels); // the padded copy is freed with the image
        EXPECT_EQ(view.pixels[0], 9);
    }
    EXPECT_EQ(external[0], 9); // the caller's buffer was not freed or touched
}

TEST(ImageBuffer, MovingTransfersOwnership) {
    Image a = patterned(4, 4, 32);
    uint8_t* buffer = a.pixels;
    Image b(std::move(a));
    EXPECT_EQ(b.pixels, buffer);
    EXPECT_EQ(a.pixels, nullptr);
    Image c(true);
    c = std::move(b);
    EXPECT_EQ(c.pixels, buffer);
    uint8_t* taken = c.takePixels();
    EXPECT_EQ(taken, buffer);
    EXPECT_EQ(c.pixels, nullptr);
    delete[] taken;
}
