#include "engine/render/font_rasterizer.h"

#include <gtest/gtest.h>

using keltraWorks::FontInfo;
using keltraWorks::GlyphBitmap;
using keltraWorks::GlyphSet;
using keltraWorks::rasterizeFont;
using keltraWorks::windows1252ToUnicode;

namespace {

int litPixels(const GlyphBitmap& g) {
    int n = 0;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            n += g.pixel(x, y) ? 1 : 0;
        }
    }
    return n;
}

} // namespace

TEST(CodePage, MapsTheWindowsPunctuationBlockAndKeepsLatin1) {
    EXPECT_EQ(windows1252ToUnicode('A'), 0x41u);
    EXPECT_EQ(windows1252ToUnicode(0x80), 0x20ACu); // euro sign
    EXPECT_EQ(windows1252ToUnicode(0x92), 0x2019u); // right single quote
    EXPECT_EQ(windows1252ToUnicode(0x9F), 0x0178u);
    EXPECT_EQ(windows1252ToUnicode(0x81), 0x81u); // unassigned
    EXPECT_EQ(windows1252ToUnicode(0xE9), 0xE9u); // e acute
}

TEST(FontRasterizer, PositiveHeightIsTheCellHeight) {
    FontInfo info;
    GlyphSet glyphs;
    ASSERT_TRUE(rasterizeFont("Courier New", 14, true, false, false, &info, &glyphs));
    EXPECT_EQ(info.faceName, "Courier New");
    EXPECT_EQ(info.height, 14);
    EXPECT_EQ(info.lineHeight, 14);
    EXPECT_EQ(info.ascent + info.descent, 14);
    EXPECT_GT(info.ascent, info.descent);
    EXPECT_TRUE(info.bold);
    // The substitute for Courier New is monospaced.
    EXPECT_GT(info.charWidths['W'], 0);
    EXPECT_EQ(info.charWidths['i'], info.charWidths['W']);
    EXPECT_EQ(info.averageWidth, info.charWidths['x']);
    EXPECT_GE(info.maxWidth, info.charWidths['W']);
}

TEST(FontRasterizer, NegativeHeightIsTheCharacterHeight) {
    FontInfo cell;
    FontInfo character;
    GlyphSet glyphs;
    ASSERT_TRUE(rasterizeFont("Courier New", 16, false, false, false, &cell, &glyphs));
    ASSERT_TRUE(rasterizeFont("Courier New", -16, false, false, false, &character, &glyphs));
    EXPECT_EQ(character.height, 16);
    // The em is smaller than the cell, so an em of 16 makes a taller cell.
    EXPECT_GT(character.lineHeight, 16);
    EXPECT_GT(character.charWidths['M'], cell.charWidths['M']);
}

TEST(FontRasterizer, GlyphsSitOnTheBaselineWithTheirAdvance) {
    FontInfo info;
    GlyphSet glyphs;
    ASSERT_TRUE(rasterizeFont("Courier New", 20, false, false, false, &info, &glyphs));
    const GlyphBitmap& letter = glyphs['H'];
    EXPECT_GT(litPixels(letter), 10);
    // 'H' stands on the baseline: its bottom row is the origin row.
    EXPECT_NEAR(letter.yOrigin, 0.0f, 0.5f);
    EXPECT_LE(letter.height, info.ascent);
    EXPECT_EQ(letter.advance, float(info.charWidths['H']));
    // 'p' has a descender below the baseline.
    EXPECT_GT(glyphs['p'].yOrigin, 0.5f);
    // A space draws nothing but still moves on.
    EXPECT_EQ(litPixels(glyphs[' ']), 0);
    EXPECT_GT(glyphs[' '].advance, 0.0f);
    // The euro sign at 0x80 comes from the Windows code page.
    EXPECT_GT(litPixels(glyphs[0x80]), 5);
}

TEST(FontRasterizer, UnderlineRunsBelowTheBaselineAcrossTheAdvance) {
    FontInfo info;
    GlyphSet plain;
    GlyphSet lined;
    ASSERT_TRUE(rasterizeFont("Courier New", 20, false, false, false, &info, &plain));
    ASSERT_TRUE(rasterizeFont("Courier New", 20, false, false, true, &info, &lined));
    EXPECT_TRUE(info.underline);
    const GlyphBitmap& space = lined[' '];
    ASSERT_GT(litPixels(space), 0);
    EXPECT_EQ(space.width, int(space.advance));
    // Every lit pixel is below the baseline, and some row is lit across the
    // whole advance.
    bool fullRow = false;
    for (int y = 0; y < space.height; ++y) {
        int lit = 0;
        for (int x = 0; x < space.width; ++x) {
            if (space.pixel(x, y)) {
                ++lit;
                EXPECT_LT(float(y), space.yOrigin) << "lit at or above the baseline";
            }
        }
        fullRow = fullRow || lit == space.width;
    }
    EXPECT_TRUE(fullRow);
    EXPECT_GT(litPixels(lined['H']), litPixels(plain['H']));
}
