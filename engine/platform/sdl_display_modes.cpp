#include "engine/platform/sdl_display_modes.h"

#include "engine/platform/sdl_video.h"

#include <SDL.h>

#include <cstdio>

namespace keltraWorks {

namespace {

bool haveApplied = false;
DisplayMode applied;
// True when the recorded mode differs from the desktop's, so the display
// really switches (and needs time to settle) once the window opens in it.
bool switchPending = false;

// SDL numbers its displays from 0; the program only ever uses the first.
constexpr int PrimaryDisplay = 0;

} // namespace

SdlDisplayModes::SdlDisplayModes() {
    // SDL's signal handlers turn Ctrl+C into a queued quit event that nothing
    // reads while the dialog runs; keep the default action during set-up and
    // let the main window install them later.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    videoStarted = startSdlVideo();
    SDL_ResetHint(SDL_HINT_NO_SIGNAL_HANDLERS);
    if (!videoStarted) {
        std::fprintf(stderr, "glint: platform: cannot read the display modes: %s\n",
                     SDL_GetError());
    }
}

SdlDisplayModes::~SdlDisplayModes() {
    if (videoStarted) {
        stopSdlVideo();
    }
}

bool SdlDisplayModes::mode(int number, DisplayMode& out) {
    if (!videoStarted || number < 0 || number >= SDL_GetNumDisplayModes(PrimaryDisplay)) {
        return false;
    }
    SDL_DisplayMode sdlMode;
    if (SDL_GetDisplayMode(PrimaryDisplay, number, &sdlMode) != 0) {
        return false;
    }
    out.width = sdlMode.w;
    out.height = sdlMode.h;
    out.bitsPerPixel = 8 * static_cast<int>(SDL_BYTESPERPIXEL(sdlMode.format));
    out.refreshRate = sdlMode.refresh_rate;
    return true;
}

bool SdlDisplayModes::testMode(const DisplayMode& mode) {
    if (!videoStarted) {
        return false;
    }
    SDL_DisplayMode wanted = {};
    wanted.w = mode.width;
    wanted.h = mode.height;
    wanted.refresh_rate = mode.refreshRate;
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(PrimaryDisplay, &wanted, &closest)) {
        return false;
    }
    return closest.w == mode.width && closest.h == mode.height &&
           closest.refresh_rate == mode.refreshRate;
}

bool SdlDisplayModes::setMode(const DisplayMode& mode) {
    if (!testMode(mode)) {
        return false;
    }
    applied = mode;
    haveApplied = true;
    SDL_DisplayMode desktop;
    switchPending = SDL_GetDesktopDisplayMode(PrimaryDisplay, &desktop) != 0 ||
                    desktop.w != mode.width || desktop.h != mode.height ||
                    desktop.refresh_rate != mode.refreshRate;
    return true;
}

void SdlDisplayModes::pause(int milliseconds) {
    // Already in the chosen mode, the display has nothing to settle from.
    if (milliseconds > 0 && switchPending) {
        SDL_Delay(static_cast<Uint32>(milliseconds));
    }
}

bool SdlDisplayModes::appliedMode(DisplayMode& out) {
    if (haveApplied) {
        out = applied;
    }
    return haveApplied;
}

void SdlDisplayModes::clearAppliedMode() {
    haveApplied = false;
    switchPending = false;
}

} // namespace keltraWorks
