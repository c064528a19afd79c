// The player screen's one process-wide record: the two clocks every
// animation is computed from, the renderer for image changes, the widgets
// the actions reach, and the texture indices they switch between. Filled by
// buildPlayerScreen, read by the actions; never freed (the widget tree lives
// until the process ends).
//
// introClock runs from the start of the opening sequence (startOpening);
// endClock from the first quit request (closing sequence). Both are stopped
// at zero before that. Texture indices are 1-based, 0 for a picture that did
// not load. Widgets are owned by the tree under `root`, not by this record.
// Single-threaded: the window's thread.
#pragma once

#include "engine/core/timer.h"

namespace keltraWorks {
class Button;
class Object;
class Renderer;
class Static;
} // namespace keltraWorks

struct PlayerScreen {
    keltraWorks::Timer introClock;
    keltraWorks::Timer endClock;
    keltraWorks::Renderer* renderer = nullptr;

    keltraWorks::Static* root = nullptr;
    keltraWorks::Static* title = nullptr;
    keltraWorks::Static* logo = nullptr;
    keltraWorks::Static* main = nullptr;
    keltraWorks::Static* endTitle = nullptr;
    keltraWorks::Static* credits = nullptr;
    keltraWorks::Button* playButton = nullptr;
    keltraWorks::Static* trackName = nullptr;
    // Minute tens, minute units, second tens, second units.
    keltraWorks::Static* timeDigits[4] = {};

    int digitImages[10] = {};
    int trackImages[10] = {};
    int playNormalImage = 0;
    int playPressedImage = 0;
    int pauseNormalImage = 0;
    int pausePressedImage = 0;
};

extern PlayerScreen playerScreen;

// Hides a widget (and its subtree) unless it is hidden already or missing.
void hideIfShown(keltraWorks::Object* widget);
