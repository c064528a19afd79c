#include "tests/render/gl_fixture.h"

#include <GL/gl.h>

#include <cstdlib>

namespace glintTest {

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

::testing::AssertionResult near(const Rgb& actual, const Rgb& expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance &&
        std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actual << " is not near " << expected;
}

void RenderGLFixture::SetUp() {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_TRUE(keltraWorks::GlContext::requestPixelFormat());
    window = SDL_CreateWindow("glint render test", 0, 0, Width, Height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    context = std::make_unique<keltraWorks::GlContext>(window);
    ASSERT_TRUE(context->isCurrent());
    int32_t w = 0, h = 0;
    context->drawableSize(&w, &h);
    renderer = new keltraWorks::RenderGL(w, h, 16.0f, 12.0f);
    ASSERT_EQ(renderer->getStatus(), keltraWorks::StatusReady);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

void RenderGLFixture::TearDown() {
    if (renderer != nullptr) {
        renderer->destroyContext();
        delete renderer;
    }
    context.reset();
    if (window != nullptr) {
        SDL_DestroyWindow(window);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Rgb RenderGLFixture::pixel(int x, int y) const {
    uint8_t p[3] = {};
    glFinish();
    glReadPixels(x, Height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return Rgb{p[0], p[1], p[2]};
}

int RenderGLFixture::litPixels(int x0, int y0, int x1, int y1) const {
    const int w = x1 - x0;
    const int h = y1 - y0;
    std::vector<uint8_t> block(size_t(w * h * 3));
    glFinish();
    glReadPixels(x0, Height - y1, w, h, GL_RGB, GL_UNSIGNED_BYTE, block.data());
    int lit = 0;
    for (size_t i = 0; i < block.size(); i += 3) {
        lit += (block[i] | block[i + 1] | block[i + 2]) != 0 ? 1 : 0;
    }
    return lit;
}

void RenderGLFixture::blank() {
    renderer->loadIdentity();
    renderer->clear(vector4(0, 0, 0, 1));
}

std::string RenderGLFixture::tempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(folder.write(name, bytes));
    return folder.path(name);
}

} // namespace glintTest
