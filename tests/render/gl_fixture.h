// A hidden 1024 x 768 SDL window with the platform's GL context and a
// RenderGL on it (logical 16 x 12, so one unit is 64 pixels), and read-back
// of the back buffer, for the tests that draw with real GL. Needs a display
// (the test runner starts Xvfb).
#pragma once

#include "engine/platform/gl_context.h"
#include "engine/render/render_gl.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace glintTest {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c);
// Each channel within `tolerance` of the expected one.
::testing::AssertionResult near(const Rgb& actual, const Rgb& expected, int tolerance = 3);

class RenderGLFixture : public ::testing::Test {
  protected:
    static constexpr int Width = 1024;
    static constexpr int Height = 768;

    void SetUp() override;
    void TearDown() override;

    // Pixel at (x, y), y counted from the top, from the back buffer.
    Rgb pixel(int x, int y) const;
    // Pixels of the block [x0, x1) x [y0, y1) (y from the top) that are not
    // black.
    int litPixels(int x0, int y0, int x1, int y1) const;
    // Clears to black with the identity modelview.
    void blank();
    // Writes the bytes to a file in the test's own folder; returns its path.
    std::string tempFile(const std::string& name, const std::vector<uint8_t>& bytes);

    SDL_Window* window = nullptr;
    std::unique_ptr<keltraWorks::GlContext> context;
    keltraWorks::RenderGL* renderer = nullptr;
    TempFolder folder;
};

} // namespace glintTest
