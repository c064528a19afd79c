// What a window shows on the X server at one pixel, for tests of what reaches
// the screen (the back buffer is not it). Kept apart from the tests because
// the X headers' macros clash with GoogleTest's names.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace keltraWorksTest {

// 0xRRGGBB of the pixel at (x, y) from the window's top-left; 0xdeadbeef
// when the window is not on an X server or cannot be read.
uint32_t shownPixel(SDL_Window* window, int x, int y);

} // namespace keltraWorksTest
