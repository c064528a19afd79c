#include "engine/platform/sdl_video.h"

#include <SDL.h>

#include <cstring>

namespace keltraWorks {

namespace {

constexpr int Attempts = 5;
constexpr Uint32 FirstPauseMs = 20;

// Drivers that come up without any display and show nothing to anyone.
bool headless(const char* driver) {
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

} // namespace

bool startSdlVideo() {
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (attempt > 0) {
            SDL_Delay(FirstPauseMs * static_cast<Uint32>(attempt));
        }
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            continue;
        }
        if (!headless(SDL_GetCurrentVideoDriver())) {
            return true;
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetError("no display could be reached");
    }
    return false;
}

void stopSdlVideo() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace keltraWorks
