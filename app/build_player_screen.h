// Builds everything the player shows: loads the 39 pictures as textures
// (from the mounted archive, else loose files), creates the widget tree with
// its actions, fills playerScreen and hands the root to the window. Called
// once, after the archive is mounted and the track player opened, before the
// window is shown. startOpening then starts the intro clock and the music
// together, once the window is on screen in its settled display mode, so the
// first frame anyone sees is the opening's first.
//
// A picture that fails to load leaves its widget untextured at the size it
// had; missing music leaves the oscilloscope without a stream. Neither stops
// the build, which always returns true. The tree lives until the process
// ends. Positions are logical units (16 x 12 over the client area).
#pragma once

#include <string>
#include <vector>

namespace keltraWorks {
class AppWindow;
}

bool buildPlayerScreen(keltraWorks::AppWindow& window);
void startOpening();

// The names of the pictures buildPlayerScreen loads, in its order (for
// decoding them ahead of the build).
std::vector<std::string> playerScreenPictures();
