#include "tests/tools/content/png_reader.h"
#include "tools/content/canvas.h"
#include "tools/content/png_writer.h"
#include "tools/content/random.h"

#include <gtest/gtest.h>

using namespace keltraWorks;

namespace {

// Noise rows, smooth rows and repeated rows, so each of the five row filters
// wins somewhere and every one of them must round-trip.
std::vector<uint8_t> mixedPicture(int w, int h, int channels) {
    Random rnd(42);
    std::vector<uint8_t> px(size_t(w) * h * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w * channels; ++x) {
            uint8_t& v = px[size_t(y) * w * channels + x];
            switch (y % 4) {
            case 0:
                v = uint8_t(rnd.below(256));
                break;
            case 1:
                v = uint8_t(x * 3 + y);
                break;
            case 2:
                v = px[size_t(y - 1) * w * channels + x];
                break;
            default:
                v = uint8_t((x / channels) * (y + 1));
                break;
            }
        }
    }
    return px;
}

} // namespace

TEST(PngWriter, RoundTripsRgbAndRgbaExactly) {
    for (bool alpha : {false, true}) {
        const int w = 37, h = 23, channels = alpha ? 4 : 3;
        const auto px = mixedPicture(w, h, channels);
        const auto png = glintTest::readPng(encodePng(w, h, alpha, px));
        ASSERT_TRUE(png.signatureOk);
        EXPECT_TRUE(png.crcsOk);
        EXPECT_EQ(png.width, uint32_t(w));
        EXPECT_EQ(png.height, uint32_t(h));
        EXPECT_EQ(png.bitDepth, 8);
        EXPECT_EQ(png.colourType, alpha ? 6 : 2);
        EXPECT_EQ(png.interlace, 0);
        EXPECT_EQ(png.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
        EXPECT_EQ(png.pixels, px) << (alpha ? "RGBA" : "RGB");
    }
}

TEST(PngWriter, RefusesPixelsThatDoNotMatchTheSize) {
    EXPECT_TRUE(encodePng(4, 4, false, std::vector<uint8_t>(4 * 4 * 4)).empty());
    EXPECT_TRUE(encodePng(0, 4, true, {}).empty());
}

TEST(Canvas, GivesStraightColourAndClearsFullyTransparentPixels) {
    Canvas canvas(4, 1, true);
    cairo_t* cr = canvas.context();
    // Pixel 0: half-transparent orange; pixel 1: opaque blue; pixel 2: drawn
    // with alpha 0 (cairo may keep colour there); pixel 3: untouched.
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 1.0, 0.5, 0.0, 0.5);
    cairo_rectangle(cr, 0, 0, 1, 1);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 0, 0, 1, 1);
    cairo_rectangle(cr, 1, 0, 1, 1);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0);
    cairo_rectangle(cr, 2, 0, 1, 1);
    cairo_fill(cr);
    ASSERT_TRUE(canvas.ok());
    const auto px = canvas.pixels();
    ASSERT_EQ(px.size(), 16u);
    EXPECT_NEAR(px[0], 255, 2);
    EXPECT_NEAR(px[1], 128, 3);
    EXPECT_EQ(px[2], 0);
    EXPECT_NEAR(px[3], 128, 1);
    EXPECT_EQ((std::vector<uint8_t>(px.begin() + 4, px.begin() + 8)),
              (std::vector<uint8_t>{0, 0, 255, 255}));
    for (int i = 8; i < 16; ++i) {
        EXPECT_EQ(px[size_t(i)], 0) << "byte " << i;
    }
}

TEST(Canvas, OpaqueCanvasGivesThreeBytesAPixel) {
    Canvas canvas(2, 2, false);
    cairo_set_source_rgb(canvas.context(), 0.2, 0.4, 0.6);
    cairo_paint(canvas.context());
    const auto px = canvas.pixels();
    ASSERT_EQ(px.size(), 12u);
    EXPECT_EQ(px[9], 51);
    EXPECT_EQ(px[10], 102);
    EXPECT_EQ(px[11], 153);
}
