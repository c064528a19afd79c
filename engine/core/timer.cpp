#include "engine/core/timer.h"

#include "engine/core/clock.h"

namespace keltraWorks {

void Timer::start() {
    startTick = tickCount();
    running = true;
}

void Timer::pause() {
    if (!running) {
        return;
    }
    running = false;
    pauseTick = tickCount();
}

void Timer::resume() {
    if (running) {
        return;
    }
    running = true;
    startTick += tickCount() - pauseTick;
    pauseTick = 0;
}

float Timer::elapsed() const {
    const uint32_t reference = running ? tickCount() : pauseTick;
    const uint32_t ms = reference - startTick;
    return float(double(ms) / 1000.0);
}

} // namespace keltraWorks
