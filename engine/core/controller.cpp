#include "engine/core/controller.h"

namespace keltraWorks {

Controller::Controller() { timer.start(); }

void Controller::finish(float target) {
    timer.start();
    timer.pause();
    value = target;
}

TimeCtrl::TimeCtrl(float from, float to, float duration) : from(from), to(to), duration(duration) {
    value = from;
}

void TimeCtrl::update() {
    if (!timer.running) {
        return;
    }
    const float e = timer.elapsed();
    if (e >= duration) {
        finish(to);
        return;
    }
    const float fraction = e / duration;
    const float span = to - from;
    value = fraction * span + from;
}

SpeedCtrl::SpeedCtrl(float from, float to, float speed) : from(from), to(to), speed(speed) {
    value = from;
}

void SpeedCtrl::update() {
    if (!timer.running) {
        return;
    }
    const float span = to - from;
    if (span > 0.0f) {
        if (value >= to) {
            finish(to);
        } else {
            value = from + timer.elapsed() * speed;
        }
    } else {
        if (value <= to) {
            finish(to);
        } else {
            value = from - timer.elapsed() * speed;
        }
    }
}

} // namespace keltraWorks
