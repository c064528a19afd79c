// Animated scalar values driven by wall-clock time.
// A Controller owns a Timer that starts when the controller is constructed,
// so an animation begins at creation, not at its first update. update()
// recomputes `value` from the elapsed time (seconds); it does nothing while
// the timer is paused. A finished controller holds its target with its timer
// paused until its owner replaces or deletes it. Owns nothing but its fields.
// Single-threaded: updated while a frame is drawn.
#pragma once

#include "engine/core/timer.h"

namespace keltraWorks {

class Controller {
  public:
    Controller();
    virtual ~Controller() = default;
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    virtual void update() = 0;

    float value = 0.0f;
    Timer timer;

  protected:
    // Stops the clock at about zero and holds the target from now on.
    void finish(float target);
};

// Goes from `from` to `to` in `duration` seconds; never passes the target,
// because it tests the elapsed time before computing the value.
class TimeCtrl : public Controller {
  public:
    TimeCtrl(float from, float to, float duration);
    void update() override;

    float from;
    float to;
    float duration;
};

// Goes from `from` towards `to` at `speed` units per second (a magnitude; the
// direction is the sign of to - from). The finishing test looks at the value
// of the previous update, so the value may pass the target for one update
// before it snaps to it. That overshoot is intended: widgets rely on it
// taking one more frame to settle.
class SpeedCtrl : public Controller {
  public:
    SpeedCtrl(float from, float to, float speed);
    void update() override;

    float from;
    float to;
    float speed;
};

} // namespace keltraWorks
