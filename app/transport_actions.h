// The release actions of the player's buttons. They act through the track
// player and switch pictures through playerScreen; position and button of
// the release are not looked at, so either mouse button works a control.
//   close   posts a quit (the first starts the closing sequence)
//   play    toggles play/pause; the button shows pause while music plays
//   stop    stops and rewinds, shows play and the first track's name
//   prev    one track back (wrapping), play state unchanged
//   next    one track on (wrapping), play state unchanged
// Owned by the button they are attached to; keep no state.
#pragma once

#include "engine/gui/action_mouse_up.h"

class actionClose : public keltraWorks::actionMouseUp {
  public:
    void execute(keltraWorks::Object* sender, vector2 point, int button) override;
};

class actionPlay : public keltraWorks::actionMouseUp {
  public:
    void execute(keltraWorks::Object* sender, vector2 point, int button) override;
};

class actionStop : public keltraWorks::actionMouseUp {
  public:
    void execute(keltraWorks::Object* sender, vector2 point, int button) override;
};

class actionPrev : public keltraWorks::actionMouseUp {
  public:
    void execute(keltraWorks::Object* sender, vector2 point, int button) override;
};

class actionNext : public keltraWorks::actionMouseUp {
  public:
    void execute(keltraWorks::Object* sender, vector2 point, int button) override;
};
