// Bitmap text on the OpenGL renderer, read back from the frame buffer.
#include "tests/render/gl_fixture.h"

#include <GL/gl.h>

using glintTest::near;
using glintTest::Rgb;

class RenderGLText : public glintTest::RenderGLFixture {};

TEST_F(RenderGLText, FontsAreNumberedFromZeroWithTheirMetrics) {
    EXPECT_EQ(renderer->createFont("Courier New", 14, true, false, false), 0);
    EXPECT_EQ(renderer->createFont("Courier New", -16, false, true, true), 1);
    EXPECT_EQ(renderer->fontCount(), 2);
    const keltraWorks::FontInfo* second = renderer->getFontInfo(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->height, 16);
    EXPECT_TRUE(second->italic);
    EXPECT_TRUE(second->underline);
    EXPECT_EQ(renderer->getFontInfo(0)->lineHeight, 14);
    EXPECT_EQ(renderer->getFontInfo(2), nullptr);
}

TEST_F(RenderGLText, TextAppearsFromTheRasterPositionInTheCurrentColour) {
    const int font = renderer->createFont("Courier New", 14, true, false, false);
    const keltraWorks::FontInfo* info = renderer->getFontInfo(font);
    ASSERT_NE(info, nullptr);
    const int width = 4 * info->charWidths['H'];
    ASSERT_GT(width, 0);

    blank();
    renderer->bindTexture(0);
    renderer->setColor(1, 0, 0, 1);
    renderer->drawText(font, 2.0f, 3.0f, "HHHH"); // baseline origin at pixel (128, 192)
    // Capital letters sit between the baseline and the ascent.
    EXPECT_GT(litPixels(128, 192 - info->ascent, 128 + width, 192), 40);
    EXPECT_EQ(litPixels(0, 100, 1024, 192 - info->ascent), 0) << "above the letters";
    EXPECT_EQ(litPixels(0, 192, 1024, 300), 0) << "below the baseline";
    EXPECT_EQ(litPixels(0, 100, 127, 300), 0) << "left of the origin";
    EXPECT_EQ(litPixels(128 + width + 1, 100, 1024, 300), 0) << "past the advance";
    // Every lit pixel is the current colour.
    bool allRed = true;
    for (int x = 128; x < 128 + width; ++x) {
        for (int y = 192 - info->ascent; y < 192; ++y) {
            const Rgb p = pixel(x, y);
            if (p.r + p.g + p.b != 0) {
                allRed = allRed && near(p, Rgb{255, 0, 0});
            }
        }
    }
    EXPECT_TRUE(allRed);

    // The vector form draws the same from a translated origin.
    renderer->translate(0, 5);
    renderer->drawText(font, vector2(2, 3), "HHHH");
    EXPECT_GT(litPixels(128, 512 - info->ascent, 128 + width, 512), 40);
}

TEST_F(RenderGLText, BadFontIndicesAndEmptyTextDrawNothing) {
    renderer->createFont("Courier New", 14, true, false, false);
    renderer->createFont("Courier New", 20, false, false, false);
    blank();
    renderer->setColor(1, 1, 1, 1);
    renderer->drawText(2, 2, 3, "HHHH");
    renderer->drawText(-1, 2, 3, "HHHH");
    renderer->drawText(0, 2, 3, "");
    EXPECT_EQ(litPixels(0, 0, 1024, 768), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Bytes above 127 and zero bytes are drawn through their own lists.
    std::string text = "\x80";
    text += '\0';
    text += "\xE9";
    renderer->drawText(1, 2, 6, text);
    EXPECT_GT(litPixels(128, 384 - 20, 128 + 60, 384 + 6), 10);
}
