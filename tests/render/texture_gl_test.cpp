// Textures and raw images on the OpenGL renderer, read back from the frame
// buffer.
#include "tests/render/gl_fixture.h"
#include "tools/content/png_writer.h"

#include <GL/gl.h>

using Bytes = std::vector<uint8_t>;
using glintTest::near;
using glintTest::Rgb;

namespace {

const Rgb Black{0, 0, 0};
const Rgb White{255, 255, 255};
const Rgb Blue{0, 0, 255};
const Rgb Red{255, 0, 0};

// A 3 x 2 picture of six distinct colours, row by row.
const Rgb Picture[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                           {{255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};

Bytes pictureBytes() {
    Bytes pixels;
    for (const auto& row : Picture) {
        for (const Rgb& c : row) {
            pixels.insert(pixels.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
        }
    }
    return pixels;
}

// The picture as a PNG file's bytes.
Bytes picturePng() {
    return keltraWorks::encodePng(3, 2, false, pictureBytes());
}

} // namespace

class RenderGLTextures : public glintTest::RenderGLFixture {
  protected:
    // Draws texture `t` over the logical rectangle (0, 0)-(6, 4): 384 x 256
    // pixels, so each texel of the 3 x 2 picture covers 128 x 128 pixels.
    void drawPicture(int t) {
        renderer->bindTexture(t);
        renderer->setColor(1, 1, 1, 1);
        renderer->drawRect(vector2(0, 0), vector2(6, 4), t);
        renderer->bindTexture(0);
    }
    void expectPictureOnScreen() {
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 3; ++c) {
                // Centre and the far inner corner of each texel's square.
                EXPECT_TRUE(near(pixel(64 + 128 * c, 64 + 128 * r), Picture[r][c]))
                    << "texel " << c << ", " << r;
                EXPECT_TRUE(near(pixel(127 + 128 * c, 127 + 128 * r), Picture[r][c]))
                    << "corner of texel " << c << ", " << r;
            }
        }
        EXPECT_TRUE(near(pixel(384, 100), Black)) << "right of the rectangle";
    }
};

// The texture holds the picture in its top-left corner and zero bytes in
// every other texel: the same texels as an upload of a zero-padded copy.
TEST_F(RenderGLTextures, EveryTexelOutsideThePictureIsZero) {
    struct Case {
        int width, height, bytesPerPixel, padded;
        GLenum format;
    };
    for (const Case& c : {Case{3, 2, 3, 16, GL_RGB}, Case{20, 17, 4, 32, GL_RGBA}}) {
        Bytes pixels;
        for (int i = 0; i < c.width * c.height * c.bytesPerPixel; ++i) {
            pixels.push_back(uint8_t(1 + i % 250));
        }
        const Bytes png = keltraWorks::encodePng(c.width, c.height, c.bytesPerPixel == 4, pixels);
        const int t =
            renderer->loadTexture(tempFile("pad.png", png), keltraWorks::FilterLinear, false);
        ASSERT_GT(t, 0);
        std::vector<uint8_t> texels(size_t(c.padded) * c.padded * c.bytesPerPixel, 0xAA);
        glBindTexture(GL_TEXTURE_2D, renderer->textureName(t));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, c.format, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        int wrong = 0;
        for (int y = 0; y < c.padded; ++y) {
            for (int x = 0; x < c.padded; ++x) {
                for (int k = 0; k < c.bytesPerPixel; ++k) {
                    const bool inside = x < c.width && y < c.height;
                    const uint8_t want =
                        inside ? pixels[size_t((y * c.width + x) * c.bytesPerPixel + k)] : 0;
                    wrong += texels[size_t((y * c.padded + x) * c.bytesPerPixel + k)] != want;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << c.width << " x " << c.height;
    }
}

TEST_F(RenderGLTextures, PaddedTextureShowsExactlyItsPicture) {
    const std::string path = tempFile("six.png", picturePng());
    const int t = renderer->loadTexture(path, keltraWorks::FilterNearest, false);
    ASSERT_EQ(t, 1);
    const keltraWorks::ImageInfo* info = renderer->getTextureInfo(t);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->width, 16);
    EXPECT_EQ(info->imageWidth, 3);
    EXPECT_EQ(info->height, 16);
    EXPECT_EQ(info->imageHeight, 2);
    EXPECT_EQ(info->bitsPerPixel, 24);
    EXPECT_FLOAT_EQ(renderer->getTextureExtent(t).x, 3.0f / 16.0f);
    EXPECT_FLOAT_EQ(renderer->getTextureExtent(t).y, 2.0f / 16.0f);
    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, renderer->textureName(t));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);

    blank();
    drawPicture(t);
    expectPictureOnScreen();

    // Negative control: the full extent shows the padding, which is black.
    blank();
    renderer->bindTexture(t);
    renderer->drawRect(vector2(0, 0), vector2(6, 4), vector2(1, 1));
    EXPECT_TRUE(near(pixel(300, 200), Black));
}

TEST_F(RenderGLTextures, TextureColourIsModulatedAndMipmapsLoad) {
    const std::string path = tempFile("six.png", picturePng());
    const int t = renderer->loadTexture(path, keltraWorks::FilterMipmap, false);
    ASSERT_NE(t, 0);
    GLint minFilter = 0;
    glBindTexture(GL_TEXTURE_2D, renderer->textureName(t));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);

    const int nearest = renderer->loadTexture(path, keltraWorks::FilterNearest, false);
    blank();
    renderer->bindTexture(nearest);
    renderer->setColor(0.5f, 0.5f, 0.5f, 1);
    renderer->drawRect(vector2(0, 0), vector2(6, 4), nearest);
    EXPECT_TRUE(near(pixel(64, 64), Rgb{128, 0, 0}, 2));
}

TEST_F(RenderGLTextures, WhiteBecomesSeeThroughOnRequest) {
    const Bytes pixels = {255, 255, 255, 255, 0, 0}; // white, red
    const std::string path = tempFile("wr.png", keltraWorks::encodePng(2, 1, false, pixels));
    const int seeThrough = renderer->loadTexture(path, keltraWorks::FilterNearest, true);
    const int opaque = renderer->loadTexture(path, keltraWorks::FilterNearest, false);
    ASSERT_EQ(seeThrough, 1);
    ASSERT_EQ(opaque, 2);
    EXPECT_EQ(renderer->getTextureInfo(seeThrough)->bitsPerPixel, 32);
    EXPECT_EQ(renderer->getTextureInfo(opaque)->bitsPerPixel, 24);

    renderer->loadIdentity();
    renderer->clear(vector4(0, 0, 1, 1));
    renderer->setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
    renderer->setColor(1, 1, 1, 1);
    renderer->bindTexture(seeThrough);
    renderer->drawRect(vector2(0, 0), vector2(4, 2), seeThrough);
    renderer->bindTexture(opaque);
    renderer->drawRect(vector2(0, 4), vector2(4, 6), opaque);
    EXPECT_TRUE(near(pixel(64, 64), Blue));
    EXPECT_TRUE(near(pixel(192, 64), Red));
    EXPECT_TRUE(near(pixel(64, 320), White)) << "without the request white stays";
}

TEST_F(RenderGLTextures, GreyPicturesDrawGreyNotBlack) {
    keltraWorks::PngPicture grey;
    grey.width = 2;
    grey.height = 1;
    grey.bitDepth = 8;
    grey.colourType = 0;
    grey.rows = {200, 60};
    const int t = renderer->loadTexture(tempFile("g.png", keltraWorks::encodePng(grey)), 0, false);
    ASSERT_NE(t, 0);
    EXPECT_EQ(renderer->getTextureInfo(t)->bitsPerPixel, 8);
    blank();
    renderer->bindTexture(t);
    renderer->setColor(1, 1, 1, 1);
    renderer->drawRect(vector2(0, 0), vector2(4, 2), t);
    EXPECT_TRUE(near(pixel(64, 64), Rgb{200, 200, 200}));
    EXPECT_TRUE(near(pixel(192, 64), Rgb{60, 60, 60}));
}

TEST_F(RenderGLTextures, DeletedIndicesStayReservedAndBindNothing) {
    const std::string path = tempFile("six.png", picturePng());
    const int first = renderer->loadTexture(path, 0, false);
    const int second = renderer->loadTexture(path, 0, false);
    ASSERT_EQ(second, 2);
    const GLuint secondName = renderer->textureName(second);

    EXPECT_TRUE(renderer->deleteTexture(first));
    EXPECT_FALSE(renderer->deleteTexture(first));
    EXPECT_FALSE(renderer->deleteTexture(0));
    EXPECT_FALSE(renderer->deleteTexture(3));
    EXPECT_NE(renderer->getTextureInfo(first), nullptr) << "the record stays";
    EXPECT_EQ(renderer->loadTexture(path, 0, false), 3) << "indices are not reused";

    GLint bound = -1;
    renderer->bindTexture(second);
    renderer->bindTexture(4); // one past the count: binding unchanged
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), secondName);
    renderer->bindTexture(-1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), secondName);
    renderer->bindTexture(first); // deleted: binds texture 0
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);

    const Bytes replacement(3 * 2 * 3, 0x40);
    EXPECT_FALSE(renderer->updateTexture(first, replacement.data())) << "deleted";
    EXPECT_FALSE(renderer->updateTexture(9, replacement.data())) << "unknown";
}

TEST_F(RenderGLTextures, CreatedTexturesTakeWholePicturesLater) {
    EXPECT_EQ(renderer->createTexture(0, 2, 24, 0), 0);
    EXPECT_EQ(renderer->createTexture(3, 2, 16, 0), 0) << "no upload format for 16 bits";
    const int t = renderer->createTexture(3, 2, 24, keltraWorks::FilterNearest);
    ASSERT_EQ(t, 1);
    const keltraWorks::ImageInfo* info = renderer->getTextureInfo(t);
    EXPECT_EQ(info->width, 16);
    EXPECT_EQ(info->imageWidth, 3);
    EXPECT_EQ(info->height, 16);
    EXPECT_EQ(info->imageHeight, 2);

    const Bytes pixels = pictureBytes();
    ASSERT_TRUE(renderer->updateTexture(t, pixels.data()));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    blank();
    drawPicture(t);
    expectPictureOnScreen();
}

TEST_F(RenderGLTextures, LoadedImagesAreStoredBottomUpAndDrawnUpright) {
    const Bytes pixels = {255, 0, 0,   0,   255, 0,    // row A: red, green
                          0,   0, 255, 255, 255, 255}; // row B: blue, white
    const std::string path = tempFile("ab.png", keltraWorks::encodePng(2, 2, false, pixels));
    const int image = renderer->loadImage(path);
    ASSERT_EQ(image, 1);
    const keltraWorks::Image* stored = renderer->getImage(image);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(Bytes(stored->pixels, stored->pixels + 12),
              (Bytes{0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(renderer->loadImage(path + ".missing"), 0);

    blank();
    renderer->bindTexture(0);
    renderer->drawImage(image);
    renderer->drawImage(2); // unknown: nothing
    EXPECT_TRUE(near(pixel(0, 767), Blue));
    EXPECT_TRUE(near(pixel(1, 767), White));
    EXPECT_TRUE(near(pixel(0, 766), Red));
    EXPECT_TRUE(near(pixel(1, 766), Rgb{0, 255, 0}));
    EXPECT_TRUE(near(pixel(2, 766), Black));
}

namespace {

// A 2 x 2 texel checkerboard of black and white, 64 x 48 pixels in all.
Bytes checkerBytes(int width, int height) {
    Bytes pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t v = ((x / 2 + y / 2) % 2) ? 255 : 0;
            pixels.insert(pixels.end(), {v, v, v});
        }
    }
    return pixels;
}

// Pixels of the block [x0, x0 + w) x [y0, y0 + h) (y from the top) whose
// grey level is neither black nor white: what only linear filtering makes
// from the checkerboard.
int inBetweenPixels(int x0, int y0, int w, int h) {
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x0, 768 - y0 - h, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int count = 0;
    for (uint8_t v : rgb) {
        count += (v != 0 && v != 255) ? 1 : 0;
    }
    return count;
}

} // namespace

TEST_F(RenderGLTextures, LinearPictureIsTexelExactAtItsOwnSizeAndStillFilteredElsewhere) {
    constexpr int W = 64, H = 48;
    const Bytes source = checkerBytes(W, H);
    const int t =
        renderer->loadTexture(tempFile("checker.png", keltraWorks::encodePng(W, H, false, source)),
                              keltraWorks::FilterLinear, false);
    ASSERT_GT(t, 0);
    const auto draw = [&](vector2 topLeft, vector2 bottomRight) {
        renderer->bindTexture(t);
        renderer->setColor(1, 1, 1, 1);
        renderer->drawRect(topLeft, bottomRight, t);
        renderer->bindTexture(0);
    };

    // Drawn at its own size on whole pixels (64, 64): every pixel is its texel.
    blank();
    draw(vector2(1, 1), vector2(2, 1.75f));
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const int v = source[size_t(y * W + x) * 3];
            ASSERT_TRUE(near(pixel(64 + x, 64 + y), Rgb{v, v, v}, 0)) << x << ", " << y;
        }
    }

    // Stretched to twice its size, and at its own size half a pixel off the
    // grid, the same texture is filtered linearly as it was loaded to be.
    blank();
    draw(vector2(1, 1), vector2(3, 2.5f));
    EXPECT_GT(inBetweenPixels(64, 64, 2 * W, 2 * H), 0) << "stretched";
    blank();
    draw(vector2(1 + 1.0f / 128, 1), vector2(2 + 1.0f / 128, 1.75f));
    EXPECT_GT(inBetweenPixels(64, 64, W + 1, H), 0) << "half a pixel off";

    // Back on the grid, texel-exact again.
    blank();
    draw(vector2(4, 2), vector2(5, 2.75f));
    EXPECT_EQ(inBetweenPixels(256, 128, W, H), 0);
    EXPECT_TRUE(near(pixel(256, 128), Rgb{0, 0, 0}, 0));
    EXPECT_TRUE(near(pixel(258, 128), Rgb{255, 255, 255}, 0));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A picture without alpha, drawn blended with an opaque colour, must give the
// pixels of the same picture stored with a fully opaque alpha channel, on any
// frame beneath, tinted or not, at its own size or stretched.
TEST_F(RenderGLTextures, OpaqueBlendedPictureWithoutAlphaMatchesItsOpaqueRgbaTwin) {
    constexpr int W = 40, H = 24;
    Bytes rgb, rgba;
    for (int i = 0; i < W * H; ++i) {
        const uint8_t r = uint8_t(i * 7), g = uint8_t(i * 13 + 5), b = uint8_t(255 - i * 3);
        rgb.insert(rgb.end(), {r, g, b});
        rgba.insert(rgba.end(), {r, g, b, 255});
    }
    const int plain =
        renderer->loadTexture(tempFile("plain.png", keltraWorks::encodePng(W, H, false, rgb)),
                              keltraWorks::FilterLinear, false);
    const int opaque =
        renderer->loadTexture(tempFile("opaque.png", keltraWorks::encodePng(W, H, true, rgba)),
                              keltraWorks::FilterLinear, false);
    ASSERT_GT(plain, 0);
    ASSERT_GT(opaque, 0);

    struct Case {
        vector4 tint;
        int source, destination;
        vector2 bottomRight;
    };
    const Case cases[] = {
        {vector4(1, 1, 1, 1), keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha,
         vector2(1.625f, 1.375f)},
        {vector4(0.79f, 0.79f, 0.79f, 1), keltraWorks::BlendSrcAlpha,
         keltraWorks::BlendOneMinusSrcAlpha, vector2(1.625f, 1.375f)},
        {vector4(1, 0.5f, 0.25f, 1), keltraWorks::BlendOne, keltraWorks::BlendZero,
         vector2(3.3f, 2.1f)},
        {vector4(1, 1, 1, 0.5f), keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha,
         vector2(1.625f, 1.375f)},
    };
    for (const Case& c : cases) {
        std::vector<Rgb> shown[2];
        for (int which = 0; which < 2; ++which) {
            const int t = which == 0 ? plain : opaque;
            renderer->loadIdentity();
            renderer->clear(vector4(0.2f, 0.6f, 0.4f, 1));
            renderer->setColor(c.tint);
            renderer->setBlend(c.source, c.destination);
            renderer->bindTexture(t);
            renderer->drawRect(vector2(1, 1), c.bottomRight, t);
            EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "blending stays as it was set";
            renderer->bindTexture(0);
            renderer->disableBlend();
            for (int y = 60; y < 140; y += 3) {
                for (int x = 60; x < 220; x += 3) {
                    shown[which].push_back(pixel(x, y));
                }
            }
        }
        for (size_t i = 0; i < shown[0].size(); ++i) {
            ASSERT_TRUE(near(shown[0][i], shown[1][i], 0))
                << "sample " << i << ", tint alpha " << c.tint.w << ", factors " << c.source << " "
                << c.destination;
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
