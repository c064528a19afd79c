// The paint action of the time display (attached to the invisible frame that
// holds the four digits): once per frame it reads the elapsed time from the
// track player, and only when the whole second differs from the previous
// reading it shows MM:SS with the digit pictures (minutes wrap at 100),
// follows the music into the next track (one track per change), and stops
// and rewinds the music at the end-of-music time. With no music (a negative
// elapsed time) the display keeps what it shows, 00:00 from the start.
// Owned by the widget it is attached to; keeps no state.
#pragma once

#include "engine/gui/action_paint.h"

class actionUpdateTime : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};
