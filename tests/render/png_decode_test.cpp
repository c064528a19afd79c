#include "engine/render/png_decode.h"
#include "tools/content/png_writer.h"

#include <gtest/gtest.h>

#include <vector>

using Bytes = std::vector<uint8_t>;
using keltraWorks::decodePng;
using keltraWorks::Image;
using keltraWorks::PngPicture;

namespace {

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    int bits = 0;
    Bytes pixels;
};

Decoded decode(const PngPicture& picture) {
    const Bytes png = keltraWorks::encodePng(picture);
    Image image(true);
    Decoded d;
    d.ok = decodePng(png.data(), png.size(), &image);
    if (d.ok) {
        d.width = image.width;
        d.height = image.height;
        d.bits = image.bitsPerPixel;
        d.pixels.assign(image.pixels, image.pixels + image.dataSize);
    }
    return d;
}

PngPicture picture(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, Bytes rows) {
    PngPicture p;
    p.width = w;
    p.height = h;
    p.bitDepth = depth;
    p.colourType = type;
    p.rows = std::move(rows);
    return p;
}

} // namespace

// An odd width (3) catches row padding; distinct rows catch flipped order.
TEST(PngDecode, EightBitColourKeepsBytesAndRowOrder) {
    const Bytes rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    const Decoded d = decode(picture(3, 2, 8, 2, rgb));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(d.bits, 24);
    EXPECT_EQ(d.pixels, rgb);

    const Bytes rgba = {1, 2, 3, 4, 5, 6, 7, 8};
    const Decoded a = decode(picture(1, 2, 8, 6, rgba));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.bits, 32);
    EXPECT_EQ(a.pixels, rgba);
}

TEST(PngDecode, PlainGreyStaysOneBytePerPixel) {
    const Bytes grey = {0, 100, 200, 255, 7, 9};
    const Decoded d = decode(picture(3, 2, 8, 0, grey));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bits, 8);
    EXPECT_EQ(d.pixels, grey);
}

TEST(PngDecode, GreyWithAlphaBecomesRgba) {
    const Decoded d = decode(picture(2, 1, 8, 4, {50, 128, 200, 0}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bits, 32);
    EXPECT_EQ(d.pixels, (Bytes{50, 50, 50, 128, 200, 200, 200, 0}));
}

TEST(PngDecode, PalettesExpandToColourWithAlphaOnlyWhenTransparent) {
    PngPicture p = picture(3, 1, 8, 3, {2, 0, 1});
    p.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    const Decoded opaque = decode(p);
    ASSERT_TRUE(opaque.ok);
    EXPECT_EQ(opaque.bits, 24);
    EXPECT_EQ(opaque.pixels, (Bytes{0, 0, 255, 255, 0, 0, 0, 255, 0}));

    p.transparency = {0, 128}; // entry 0 clear, entry 1 half, entry 2 opaque
    const Decoded clear = decode(p);
    ASSERT_TRUE(clear.ok);
    EXPECT_EQ(clear.bits, 32);
    EXPECT_EQ(clear.pixels, (Bytes{0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 128}));
}

TEST(PngDecode, LowBitPalettesUnpack) {
    PngPicture p = picture(4, 1, 2, 3, {0b00011011}); // indices 0, 1, 2, 3
    p.palette = {10, 0, 0, 20, 0, 0, 30, 0, 0, 40, 0, 0};
    const Decoded d = decode(p);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bits, 24);
    EXPECT_EQ(d.pixels, (Bytes{10, 0, 0, 20, 0, 0, 30, 0, 0, 40, 0, 0}));
}

// Samples of the form 0xBBBB reduce to 0xBB whether the reduction shifts or
// scales.
TEST(PngDecode, SixteenBitSamplesReduceToEightBits) {
    const Decoded rgb = decode(picture(1, 1, 16, 2, {0x12, 0x12, 0xAB, 0xAB, 0xFF, 0xFF}));
    ASSERT_TRUE(rgb.ok);
    EXPECT_EQ(rgb.bits, 24);
    EXPECT_EQ(rgb.pixels, (Bytes{0x12, 0xAB, 0xFF}));

    const Decoded grey = decode(picture(2, 1, 16, 0, {0x80, 0x80, 0x20, 0x20}));
    ASSERT_TRUE(grey.ok);
    EXPECT_EQ(grey.bits, 8);
    EXPECT_EQ(grey.pixels, (Bytes{0x80, 0x20}));

    const Decoded rgba = decode(picture(1, 1, 16, 6, {1, 1, 2, 2, 3, 3, 0x40, 0x40}));
    ASSERT_TRUE(rgba.ok);
    EXPECT_EQ(rgba.bits, 32);
    EXPECT_EQ(rgba.pixels, (Bytes{1, 2, 3, 0x40}));
}
