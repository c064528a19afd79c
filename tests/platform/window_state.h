// Whether a window's _NET_WM_STATE asks the window manager for full screen,
// read from the X server. Kept apart from the tests because the X headers'
// macros clash with GoogleTest's names.
#pragma once

struct SDL_Window;

namespace keltraWorksTest {

bool asksForFullScreenState(SDL_Window* window);

} // namespace keltraWorksTest
