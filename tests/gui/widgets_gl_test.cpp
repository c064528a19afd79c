// Widgets drawn by the OpenGL renderer into a hidden window, checked at
// pixel level: a tinted textured Static, an outlined Frame, and a Button in
// each of its looks. A negative control makes sure the same probes fail on a
// deliberately different picture, so a blank or wrong render cannot pass.
#include "engine/gui/button.h"
#include "engine/gui/colors.h"
#include "engine/gui/frame.h"
#include "engine/gui/static.h"
#include "engine/platform/gl_context.h"
#include "engine/render/render_gl.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace keltraWorks;

namespace {

constexpr int Width = 1024;
constexpr int Height = 768;
constexpr int Tolerance = 4; // per channel, out of 255

struct Rgb {
    int r, g, b;
};

struct Probe {
    const char* what;
    int x, y; // window pixels, y from the top
    Rgb expected;
};

class WidgetsOnGL : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_TRUE(GlContext::requestPixelFormat());
        window = SDL_CreateWindow("glint widgets", 0, 0, Width, Height,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        context = std::make_unique<GlContext>(window);
        ASSERT_TRUE(context->isCurrent());
        renderer = std::make_unique<RenderGL>(Width, Height, 16.0f, 12.0f);
        ASSERT_TRUE(renderer->isAvailable());
        ASSERT_EQ(renderer->getStatus(), StatusReady);
        build();
    }

    void TearDown() override {
        root.reset();
        if (renderer) {
            renderer->destroyContext();
            renderer.reset();
        }
        context.reset();
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
        SDL_Quit();
    }

    // A 2 x 2 picture: white top row, mid-grey bottom row.
    int twoToneTexture() {
        const int t = renderer->createTexture(2, 2, 32, FilterNearest);
        const uint8_t pixels[16] = {255, 255, 255, 255, 255, 255, 255, 255,
                                    128, 128, 128, 255, 128, 128, 128, 255};
        EXPECT_TRUE(renderer->updateTexture(t, pixels));
        return t;
    }

    int whiteTexture() {
        const int t = renderer->createTexture(1, 1, 32, FilterNearest);
        const uint8_t pixels[4] = {255, 255, 255, 255};
        EXPECT_TRUE(renderer->updateTexture(t, pixels));
        return t;
    }

    // The scene: an opaque white root like the player's, a red-tinted
    // two-tone picture, a blue outline, and three buttons: normal,
    // highlighted, and pressed with a pressed image.
    void build() {
        root = std::make_unique<Static>(nullptr, "root");
        root->setPadding(0);
        root->setColor(colorWhite);
        root->setAlpha(1);
        root->setSize(vector2(16, 12));

        picture = new Static(root.get(), "picture");
        picture->setPosition(vector2(1, 1));
        picture->setSize(vector2(2, 2));
        picture->setColor(vector3(1, 0, 0));
        picture->setAlpha(1);
        picture->setImage(renderer.get(), twoToneTexture(), false);

        auto* frame = new Frame(root.get(), "frame");
        frame->setPosition(vector2(5, 1));
        frame->setSize(vector2(3, 2));
        frame->setColor(vector3(0, 0, 1));
        frame->setLineWidth(4);

        const int white = whiteTexture();
        const int twoTone = twoToneTexture();
        for (int i = 0; i < 3; ++i) {
            buttons[i] = new Button(root.get(), "button");
            buttons[i]->setPosition(vector2(1.0f + 3.0f * float(i), 5));
            buttons[i]->setSize(vector2(2, 2));
            buttons[i]->setImage(renderer.get(), white, false);
        }
        buttons[2]->setPressedImage(renderer.get(), twoTone, false);

        // Drive the looks the way the window does: a move over the second
        // button, a press on the third.
        root->onMouseMove(vector2(5, 6));
        root->onMouseDown(vector2(8, 5.5f), 0);
        pressTaken = false;
    }

    // One frame as the main loop draws it, read back before the swap.
    void drawFrame() {
        renderer->loadIdentity();
        root->layout();
        renderer->pushState();
        root->draw(renderer.get());
        renderer->popState();
        glFinish();
        frame.assign(size_t(Width) * Height * 3, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
    }

    Rgb at(int x, int y) const {
        const size_t row = size_t(Height - 1 - y);
        const uint8_t* p = &frame[(row * Width + size_t(x)) * 3];
        return Rgb{p[0], p[1], p[2]};
    }

    // The probes that disagree with the last frame, described for messages.
    std::vector<std::string> mismatches(const std::vector<Probe>& probes) const {
        std::vector<std::string> out;
        for (const Probe& probe : probes) {
            const Rgb got = at(probe.x, probe.y);
            if (std::abs(got.r - probe.expected.r) > Tolerance ||
                std::abs(got.g - probe.expected.g) > Tolerance ||
                std::abs(got.b - probe.expected.b) > Tolerance) {
                out.push_back(std::string(probe.what) + " at " + std::to_string(probe.x) + "," +
                              std::to_string(probe.y) + " is " + std::to_string(got.r) + "," +
                              std::to_string(got.g) + "," + std::to_string(got.b));
            }
        }
        return out;
    }

    static std::vector<Probe> expectedScene() {
        const int grey = 202;   // 0.792
        const int light = 230;  // 0.901
        const int dark = 110;   // 0.431
        const int darkMid = 55; // 0.431 x 128/255
        return {
            {"picture top row", 96, 80, {255, 0, 0}},
            {"picture bottom row", 96, 176, {128, 0, 0}},
            {"white left of picture", 60, 128, {255, 255, 255}},
            {"frame left edge", 320, 128, {0, 0, 255}},
            {"frame top edge", 416, 64, {0, 0, 255}},
            {"frame bottom edge", 416, 192, {0, 0, 255}},
            {"inside frame", 416, 128, {255, 255, 255}},
            {"normal button", 128, 384, {grey, grey, grey}},
            {"highlighted button", 320, 384, {light, light, light}},
            {"pressed button, top of pressed image", 512, 340, {dark, dark, dark}},
            {"pressed button, bottom of pressed image", 512, 420, {darkMid, darkMid, darkMid}},
            {"white between buttons", 224, 384, {255, 255, 255}},
        };
    }

    SDL_Window* window = nullptr;
    std::unique_ptr<GlContext> context;
    std::unique_ptr<RenderGL> renderer;
    std::unique_ptr<Static> root;
    Static* picture = nullptr;
    Button* buttons[3] = {};
    std::vector<uint8_t> frame;
};

TEST_F(WidgetsOnGL, SceneDrawsWhereAndHowItShould) {
    drawFrame();
    EXPECT_EQ(mismatches(expectedScene()), std::vector<std::string>());
}

TEST_F(WidgetsOnGL, ProbesRejectADifferentPicture) {
    // Negative control: a green tint, a released button and a hidden frame.
    picture->setColor(vector3(0, 1, 0));
    buttons[2]->pressed = false;
    root->child(1)->hide();
    drawFrame();
    const auto wrong = mismatches(expectedScene());
    EXPECT_EQ(wrong.size(), 7u) << ::testing::PrintToString(wrong);

    // A blank frame fails every probe.
    renderer->clear(vector4(0, 0, 0, 1));
    glReadPixels(0, 0, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
    EXPECT_EQ(mismatches(expectedScene()).size(), expectedScene().size());
}

} // namespace
