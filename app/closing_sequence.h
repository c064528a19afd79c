// The closing sequence: the first quit request starts playerScreen.endClock
// and shows the end title with its credits; from then on
//   end title  fades in over everything in 3 s, then hides the main screen,
//              the title and the logo (the music keeps playing)
//   credits    scroll from y = 12 up to y = -16 over 30 s at x = 8.2 and,
//              after 31 s, post the quit that ends the program (every frame
//              until the loop ends)
// A second quit request before then ends the program at once. The actions
// are owned by their widgets and keep no state; both do nothing while their
// widget is hidden, because hidden widgets are not drawn.
#pragma once

#include "engine/gui/action_paint.h"

// Called by the main loop on the first quit request.
void beginClosingSequence();

class actionEndFade : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};

class actionScroll : public keltraWorks::actionPaint {
  public:
    void execute(keltraWorks::Object* sender, keltraWorks::Renderer* renderer) override;
};
