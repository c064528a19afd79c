// Drawing, state and coordinate mapping of the OpenGL renderer, read back
// from the frame buffer.
#include "tests/render/gl_fixture.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

using glintTest::near;
using glintTest::Rgb;
using keltraWorks::FrameRecording;
using keltraWorks::RenderGL;

namespace {

const Rgb Black{0, 0, 0};
const Rgb Red{255, 0, 0};

} // namespace

class RenderGLBasics : public glintTest::RenderGLFixture {};

TEST_F(RenderGLBasics, ConstructionSetsSizesAndTheInitialState) {
    EXPECT_TRUE(renderer->isAvailable());
    int32_t w = 0, h = 0;
    renderer->getPixelSize(&w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    float ux = 0, uy = 0;
    renderer->getUnitsPerPixel(&ux, &uy);
    EXPECT_FLOAT_EQ(ux, 0.015625f);
    EXPECT_FLOAT_EQ(uy, 0.015625f);

    GLfloat clearColour[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    EXPECT_FLOAT_EQ(clearColour[3], 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint shading = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    EXPECT_EQ(shading, GL_FLAT);
}

TEST_F(RenderGLBasics, ContextLifecycleReportsItsStatus) {
    SDL_GLContext held = SDL_GL_GetCurrentContext();
    ASSERT_EQ(SDL_GL_MakeCurrent(window, nullptr), 0) << SDL_GetError();
    RenderGL contextless(Width, Height, 16, 12);
    ASSERT_EQ(SDL_GL_MakeCurrent(window, held), 0) << SDL_GetError();
    EXPECT_EQ(contextless.getStatus(), keltraWorks::StatusNoContext);
    contextless.destroyContext(); // never had a context: still marked destroyed
    EXPECT_EQ(contextless.getStatus(), keltraWorks::StatusDestroyed);
    float ux = 1, uy = 1;
    contextless.getUnitsPerPixel(&ux, &uy);
    EXPECT_EQ(ux, 0.0f);

    const GLuint name =
        renderer->textureName(renderer->createTexture(2, 2, 32, keltraWorks::FilterNearest));
    ASSERT_TRUE(glIsTexture(name));
    renderer->destroyContext();
    EXPECT_EQ(renderer->getStatus(), keltraWorks::StatusDestroyed);
    EXPECT_FALSE(glIsTexture(name)) << "released while the context is current";
    renderer->destroyContext();
    EXPECT_EQ(renderer->getStatus(), keltraWorks::StatusDestroyed);
}

TEST_F(RenderGLBasics, ProjectAndUnprojectMapPixelsToUnits) {
    renderer->loadIdentity();
    const int pixels[][2] = {{512, 384}, {0, 0}, {1024, 768}, {64, 640}};
    const float units[][2] = {{8, 6}, {0, 0}, {16, 12}, {1, 10}};
    for (int i = 0; i < 4; ++i) {
        const vector2 p = renderer->unproject(pixels[i][0], pixels[i][1]);
        EXPECT_NEAR(p.x, units[i][0], 1e-4) << "pixel " << pixels[i][0];
        EXPECT_NEAR(p.y, units[i][1], 1e-4) << "pixel " << pixels[i][1];
    }
    int x = -1, y = -1;
    renderer->project(vector2(0, 0), &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    renderer->project(vector2(16, 12), &x, &y);
    EXPECT_EQ(x, 1024);
    EXPECT_EQ(y, 768);
    renderer->project(vector2(8, 3), &x, &y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 192);

    // The modelview takes part: after a translation the same pixel lies at a
    // smaller logical position.
    renderer->translate(2, 1);
    const vector2 moved = renderer->unproject(512, 384);
    EXPECT_NEAR(moved.x, 6.0f, 1e-4);
    EXPECT_NEAR(moved.y, 5.0f, 1e-4);

    renderer->project(vector2(6, 5), &x, &y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 384);

    // A singular matrix falls back to the plain mapping.
    renderer->scale(0, 0);
    const vector2 flat = renderer->unproject(512, 384);
    EXPECT_FLOAT_EQ(flat.x, 8.0f);
    EXPECT_FLOAT_EQ(flat.y, 6.0f);
}

TEST_F(RenderGLBasics, DrawRectFillsExactlyItsLogicalRectangle) {
    blank();
    renderer->setColor(1, 0, 0, 1);
    renderer->drawRect(vector2(2, 3), vector2(4, 5), 0); // pixels 128..255 x 192..319
    EXPECT_TRUE(near(pixel(128, 192), Red));
    EXPECT_TRUE(near(pixel(255, 319), Red));
    EXPECT_TRUE(near(pixel(200, 250), Red));
    EXPECT_TRUE(near(pixel(127, 192), Black));
    EXPECT_TRUE(near(pixel(128, 191), Black));
    EXPECT_TRUE(near(pixel(256, 319), Black));
    EXPECT_TRUE(near(pixel(255, 320), Black));
    EXPECT_EQ(renderer->getTextureExtent(0).x, 0.0f);

    renderer->setColor(vector4(0, 0.5f, 1, 1));
    renderer->translate(vector2(10, 0));
    renderer->drawRect(vector2(0, 0), vector2(1, 1), vector2(1, 1));
    EXPECT_TRUE(near(pixel(640 + 32, 32), Rgb{0, 128, 255}));
    EXPECT_TRUE(near(pixel(32, 32), Black));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderGLBasics, LinePolygonModeDrawsOnlyTheOutline) {
    blank();
    renderer->setPolygonMode(keltraWorks::PolygonLine);
    renderer->setLineWidth(1);
    renderer->setColor(1, 1, 1, 1);
    renderer->drawRect(vector2(2, 2), vector2(6, 6), vector2(1, 1));
    EXPECT_EQ(litPixels(140, 140, 372, 372), 0) << "interior";
    EXPECT_GT(litPixels(124, 200, 132, 210), 0) << "left edge";
    EXPECT_GT(litPixels(200, 380, 210, 388), 0) << "bottom edge";
    EXPECT_GT(litPixels(200, 124, 210, 132), 0) << "top edge";

    renderer->setPolygonMode(42); // ignored
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    renderer->setPolygonMode(keltraWorks::PolygonFill);
    renderer->drawRect(vector2(2, 2), vector2(6, 6), vector2(1, 1));
    EXPECT_TRUE(near(pixel(256, 256), Rgb{255, 255, 255}));
}

TEST_F(RenderGLBasics, SourceAlphaBlendingMixesWithTheFrame) {
    renderer->loadIdentity();
    renderer->clear(vector4(0, 0, 1, 1));
    renderer->setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    renderer->setColor(1, 0, 0, 0.5f);
    renderer->drawRect(vector2(0, 0), vector2(2, 2), 0);
    EXPECT_TRUE(near(pixel(64, 64), Rgb{128, 0, 127}, 2));

    renderer->disableBlend();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    renderer->drawRect(vector2(2, 0), vector2(4, 2), 0);
    EXPECT_TRUE(near(pixel(192, 64), Red)) << "unblended draws the colour itself";

    // GL factor values pass through unchanged.
    renderer->setBlend(0x0302, 1);
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);
    renderer->setBlend(keltraWorks::BlendOneMinusSrcColor, keltraWorks::BlendOneMinusDstAlpha);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_ONE_MINUS_SRC_COLOR);
    EXPECT_EQ(destination, GL_ONE_MINUS_DST_ALPHA);
}

TEST_F(RenderGLBasics, BatchesNestNeitherWayAndBlockSelfContainedShapes) {
    blank();
    EXPECT_TRUE(renderer->begin(7)); // a batch with no GL primitive
    EXPECT_FALSE(renderer->begin(0));
    renderer->setColor(1, 1, 1, 1);
    renderer->drawRect(vector2(0, 0), vector2(4, 4), 0);
    renderer->drawTriangle(vector2(0, 0), vector2(4, 0), vector2(0, 4));
    EXPECT_TRUE(renderer->end());
    EXPECT_FALSE(renderer->end());
    EXPECT_EQ(litPixels(0, 0, 256, 256), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A real batch draws what is given between begin and end.
    EXPECT_TRUE(renderer->begin(keltraWorks::PrimitiveQuads));
    renderer->vertex(8, 8);
    renderer->vertex(vector2(9, 8));
    renderer->vertex(9, 9);
    renderer->vertex(vector2(8, 9));
    EXPECT_TRUE(renderer->end());
    EXPECT_TRUE(near(pixel(544, 544), Rgb{255, 255, 255}));
    renderer->drawTriangle(vector2(0, 0), vector2(4, 0), vector2(0, 4));
    EXPECT_TRUE(near(pixel(20, 20), Rgb{255, 255, 255}));
    EXPECT_TRUE(near(pixel(250, 250), Black));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderGLBasics, PushAndPopRestoreAttributesAndModelview) {
    blank();
    renderer->setColor(0, 1, 0, 1);
    renderer->pushState();
    renderer->setColor(1, 0, 0, 1);
    renderer->setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
    renderer->translate(4, 4);
    renderer->rotate(90);
    renderer->popState();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    renderer->drawRect(vector2(0, 0), vector2(1, 1), 0);
    EXPECT_TRUE(near(pixel(32, 32), Rgb{0, 255, 0}));

    // scale flattens z on purpose.
    renderer->scale(2, 3);
    GLfloat m[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f);
    EXPECT_FLOAT_EQ(m[5], 3.0f);
    EXPECT_FLOAT_EQ(m[10], 0.0f);
}

namespace {

std::vector<uint8_t> wholeFrame() {
    std::vector<uint8_t> rgb(size_t(1024) * 768 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

} // namespace

// An untextured rectangle over the whole window must give exactly the pixels
// of the same rectangle drawn in two halves, whatever the colour and blending.
TEST_F(RenderGLBasics, FullWindowRectangleGivesThePixelsOfItsTwoHalves) {
    struct Case {
        vector4 colour;
        bool blend;
    };
    const Case cases[] = {
        {vector4(1, 1, 1, 1), true},          {vector4(0, 0.2f, 1, 1), true},
        {vector4(0.3f, 0.3f, 0.3f, 1), true}, {vector4(1, 0, 0, 0.5f), true},
        {vector4(0, 0.2f, 1, 1), false},      {vector4(0.5f, 0.25f, 0.75f, 0.25f), false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> frames[2];
        // Halves first, so the shared state checks below see the whole one.
        for (int halves = 1; halves >= 0; --halves) {
            renderer->loadIdentity();
            renderer->clear(vector4(0, 0, 1, 1));
            if (c.blend) {
                renderer->setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
            } else {
                renderer->disableBlend();
            }
            renderer->setColor(c.colour);
            renderer->translate(vector2(-1, -1)); // reaching past every edge
            glTexCoord2f(0.25f, 0.75f);           // the quad leaves (0, 0) behind
            if (halves) {
                renderer->drawRect(vector2(0, 0), vector2(9, 14), 0);
                renderer->drawRect(vector2(9, 0), vector2(18, 14), 0);
            } else {
                renderer->drawRect(vector2(0, 0), vector2(18, 14), 0);
            }
            renderer->disableBlend();
            frames[halves] = wholeFrame();
        }
        EXPECT_TRUE(frames[0] == frames[1])
            << "colour " << c.colour.x << " " << c.colour.y << " " << c.colour.z << " "
            << c.colour.w << (c.blend ? " blended" : "");
    }
    renderer->loadIdentity();
    GLfloat coord[4] = {1, 1, 1, 1};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coord);
    EXPECT_EQ(coord[0], 0.0f);
    EXPECT_EQ(coord[1], 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Frames drawn again only where they changed must leave exactly the pixels of
// the same frames drawn whole, frame after frame: moving and rotating shapes,
// lines, outlines, translucent layers and a picture whose pixels change.
TEST_F(RenderGLBasics, PartialFramesLeaveThePixelsOfWholeFrames) {
    const int picture = renderer->createTexture(8, 8, 32, keltraWorks::FilterNearest);
    ASSERT_GT(picture, 0);
    const auto fill = [&](uint8_t seed) {
        std::vector<uint8_t> pixels(8 * 8 * 4);
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = static_cast<uint8_t>(seed * 31 + i * 17);
        }
        ASSERT_TRUE(renderer->updateTexture(picture, pixels.data()));
    };
    fill(1);

    // Frame k; the blue layer's alpha is the only thing `blue` changes.
    const auto frame = [&](int k, float blue) {
        renderer->loadIdentity();
        renderer->pushState();
        renderer->setColor(1, 1, 1, 1);
        renderer->disableBlend();
        renderer->drawRect(vector2(0, 0), vector2(16, 12), 0);

        renderer->pushState();
        renderer->translate(vector2(1.0f + 0.3f * float(k % 5), 2.0f));
        renderer->setColor(k == 3 ? 0.5f : 1.0f, 1, 1, 1);
        renderer->setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
        renderer->bindTexture(picture);
        renderer->drawRect(vector2(0, 0), vector2(2, 2), picture);
        renderer->bindTexture(0);
        renderer->popState();

        renderer->pushState();
        renderer->translate(vector2(8, 8));
        renderer->rotate(k < 4 ? 10.0f * float(k) : 30.0f);
        renderer->setColor(0, 0, 1, blue);
        renderer->setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
        renderer->drawRect(vector2(-1, -1), vector2(1, 1), 0);
        renderer->setPolygonMode(keltraWorks::PolygonLine);
        renderer->setLineWidth(3);
        renderer->setColor(0, 0, 0, 1);
        renderer->drawRect(vector2(-1.5f, -1.5f), vector2(1.5f, 1.5f), vector2(1, 1));
        renderer->setPolygonMode(keltraWorks::PolygonFill);
        renderer->popState();

        // A translucent layer sliding across, axis-aligned.
        renderer->pushState();
        renderer->translate(vector2(11.0f + 0.25f * float(k % 4), 3.0f));
        renderer->setColor(0, 0.5f, 0, 0.4f);
        renderer->setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
        renderer->drawRect(vector2(0, 0), vector2(2, 1.5f), 0);
        renderer->popState();

        renderer->pushState();
        renderer->setLineWidth(2);
        renderer->setColor(1, 0, 0, 1);
        renderer->begin(keltraWorks::PrimitiveLines);
        for (int i = 0; i < 40; ++i) {
            renderer->vertex(0.5f + 0.1f * float(i), 10.0f + 0.5f * std::sin(0.4f * float(i + k)));
            renderer->vertex(0.6f + 0.1f * float(i),
                             10.0f + 0.5f * std::sin(0.4f * float(i + k + 1)));
        }
        renderer->end();
        renderer->popState();
        renderer->popState();
    };
    constexpr int Frames = 10;
    // Frame 6 repeats frame 5; frame 9 repeats frame 8 in another colour.
    const auto play = [&](int k) { frame(k == 6 ? 5 : k == 9 ? 8 : k, k == 9 ? 0.8f : 0.5f); };
    // The picture's pixels change between frames 6 and 7, nothing else.
    const auto contentFor = [&](int k) {
        if (k == 0 || k == 7) {
            fill(k < 7 ? 1 : 2);
        }
    };

    std::vector<std::vector<uint8_t>> partial, whole;
    std::vector<FrameRecording::Box> boxes;
    // The software rasteriser may round a blend differently the first few
    // times it meets a new kind of drawing (it compiles faster code paths
    // for it later); both runs below are made after it has met them all.
    for (int k = 0; k < Frames; ++k) {
        contentFor(k);
        blank();
        play(k);
    }
    renderer->setPartialFrames(true);
    blank();
    for (int k = 0; k < Frames; ++k) {
        contentFor(k);
        renderer->beginFrame();
        play(k);
        boxes.push_back(renderer->endFrame());
        partial.push_back(wholeFrame());
    }
    renderer->setPartialFrames(false);
    for (int k = 0; k < Frames; ++k) {
        blank();
        contentFor(k);
        play(k);
        whole.push_back(wholeFrame());
    }
    for (int k = 0; k < Frames; ++k) {
        size_t differing = 0, first = 0;
        for (size_t i = 0; i < partial[k].size(); ++i) {
            if (partial[k][i] != whole[k][i] && differing++ == 0) {
                first = i;
            }
        }
        EXPECT_EQ(differing, 0u) << "frame " << k << ", first at pixel " << first / 3 % 1024 << ", "
                                 << 767 - first / 3 / 1024 << " from the top";
    }
    EXPECT_EQ(boxes[0].x1 - boxes[0].x0, 1024) << "the first frame is drawn whole";
    EXPECT_TRUE(boxes[6].empty()) << "a repeated frame changes nothing";
    EXPECT_FALSE(boxes[7].empty()) << "new pixels in a picture are drawn";
    EXPECT_FALSE(boxes[9].empty()) << "a new colour is drawn";
    // Frame 5 moves things between 2 and 10.5 units from the top only.
    EXPECT_LT(boxes[5].y1, 768 - 100) << "the untouched top of the window is not redrawn";
    EXPECT_GT(boxes[5].y0, 0) << "nor the untouched bottom";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Fitted into a drawable of other proportions (960 x 768 of the window: a
// 960 x 720 box 24 pixels from the top, 60 pixels a unit), the picture fills
// its box between black bars that no clear reaches, pixels map through the
// box, a picture loaded for nearest sampling is filtered when scaled, and
// frames drawn again only where they changed match frames drawn whole.
TEST_F(RenderGLBasics, ScaledPictureFillsItsBoxBetweenBlackBarsInPartialFramesToo) {
    renderer->setDrawableSize(960, 768);
    EXPECT_EQ(renderer->pictureBox().y0, 24);
    EXPECT_EQ(renderer->pictureBox().y1, 744);
    renderer->loadIdentity();
    EXPECT_NEAR(renderer->unproject(480, 744).y, 12.0f, 1e-4);
    const int checker = renderer->createTexture(2, 2, 24, keltraWorks::FilterNearest);
    const uint8_t texels[] = {0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0};
    ASSERT_TRUE(renderer->updateTexture(checker, texels));
    const auto frame = [&](int k) {
        renderer->beginFrame();
        renderer->loadIdentity();
        renderer->clear(vector4(1, 1, 1, 1));
        renderer->setColor(1, 0, 0, 1);
        renderer->drawRect(vector2(0.5f * float(k), 2), vector2(2.0f + 0.5f * float(k), 4), 0);
        renderer->setColor(1, 1, 1, 1);
        renderer->bindTexture(checker);
        renderer->drawRect(vector2(8, 6), vector2(12, 10), checker);
        renderer->bindTexture(0);
        return renderer->endFrame();
    };
    std::vector<std::vector<uint8_t>> whole;
    for (int k = 0; k < 4; ++k) {
        frame(k);
        whole.push_back(wholeFrame());
    }
    // Bars left blue by something else are cleared again after a resize.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    renderer->setDrawableSize(960, 768);
    renderer->setPartialFrames(true);
    for (int k = 0; k < 4; ++k) {
        const FrameRecording::Box changed = frame(k);
        EXPECT_TRUE(wholeFrame() == whole[k]) << "frame " << k;
        EXPECT_EQ(litPixels(0, 0, 960, 24) + litPixels(0, 744, 960, 768), 0) << "frame " << k;
        // The first is whole, bars included; the others only inside the box.
        EXPECT_TRUE(k == 0 || (changed.x1 < 300 && changed.y0 >= 24)) << "frame " << k;
    }
    EXPECT_TRUE(near(pixel(0, 24), Rgb{255, 255, 255}, 0)) << "the box's top-left corner";
    int grey = 0;
    for (int x = 480; x < 720; ++x) {
        grey += pixel(x, 504).r % 255 != 0 ? 1 : 0;
    }
    EXPECT_GT(grey, 0) << "the scaled checker is filtered, not stepped";
}
