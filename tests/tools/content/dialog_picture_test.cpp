#include "generated/dialog_picture.h"
#include "tools/content/dialog_picture.h"
#include "tools/content/palette_quantizer.h"
#include "tools/content/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace keltraWorks;

TEST(PaletteQuantizer, KeepsAPictureOfFewColoursExact) {
    // 200 distinct colours fit the palette: every pixel must come back as it was.
    const int w = 40, h = 25;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int i = 0; i < w * h; ++i) {
        const int c = i % 200;
        rgb[size_t(i) * 3] = uint8_t(c);
        rgb[size_t(i) * 3 + 1] = uint8_t(255 - c);
        rgb[size_t(i) * 3 + 2] = uint8_t((c * 37) % 256);
    }
    const IndexedImage q = quantize(w, h, rgb);
    ASSERT_EQ(q.indices.size(), size_t(w * h));
    ASSERT_EQ(q.palette.size(), 256u * 3);
    for (int i = 0; i < w * h; ++i) {
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(q.palette[size_t(q.indices[size_t(i)]) * 3 + size_t(c)],
                      rgb[size_t(i) * 3 + size_t(c)])
                << "pixel " << i;
        }
    }
}

TEST(PaletteQuantizer, ApproximatesARichPictureClosely) {
    // A smooth gradient with noise has thousands of colours; median cut must
    // use the whole palette and stay close everywhere.
    const int w = 120, h = 90;
    Random rnd(7);
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
            p[0] = uint8_t(x * 2 + rnd.below(4));
            p[1] = uint8_t(y * 2 + rnd.below(4));
            p[2] = uint8_t((x + y) + rnd.below(4));
        }
    }
    const IndexedImage q = quantize(w, h, rgb);
    std::set<int> used(q.indices.begin(), q.indices.end());
    EXPECT_GT(used.size(), 200u);
    double worst = 0;
    for (size_t i = 0; i < q.indices.size(); ++i) {
        double d = 0;
        for (int c = 0; c < 3; ++c) {
            const double e =
                double(q.palette[q.indices[i] * 3 + size_t(c)]) - rgb[i * 3 + size_t(c)];
            d += e * e;
        }
        worst = std::max(worst, d);
    }
    EXPECT_LT(std::sqrt(worst), 24.0);
    EXPECT_EQ(quantize(3, 3, std::vector<uint8_t>(5)).width, 0);
}

TEST(DialogPicture, CompiledHeaderHoldsARealPicture) {
    static_assert(glintDialogPictureWidth == 351 && glintDialogPictureHeight == 150);
    EXPECT_EQ(sizeof glintDialogPicturePalette, 256u * 3);
    EXPECT_EQ(sizeof glintDialogPictureIndices, 351u * 150);
    // It is the generator's current drawing, and it uses most of the palette.
    const IndexedImage fresh = drawDialogPicture();
    EXPECT_TRUE(std::equal(fresh.indices.begin(), fresh.indices.end(), glintDialogPictureIndices));
    EXPECT_TRUE(std::equal(fresh.palette.begin(), fresh.palette.end(), glintDialogPicturePalette));
    std::set<int> used(std::begin(glintDialogPictureIndices), std::end(glintDialogPictureIndices));
    EXPECT_GT(used.size(), 128u);
}
