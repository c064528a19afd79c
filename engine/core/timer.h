// A stopwatch on the system tick count (clock.h), with pause and resume.
// elapsed() is in seconds; ticks are milliseconds. Differences are taken as
// unsigned 32-bit values, so the wrap of the tick count is harmless.
// A new Timer (and a zero-initialised global one) reads 0 and is stopped;
// resume() on a never-started timer starts it like start().
// Single-threaded: used while a frame is drawn.
#pragma once

#include <cstdint>

namespace keltraWorks {

class Timer {
  public:
    Timer() = default;
    virtual ~Timer() = default;

    // Starts (or restarts from zero) the clock; pauseTick is left as it is.
    void start();
    // Stops the clock at now; a second pause keeps the first pause tick.
    void pause();
    // Continues a paused clock where it stood; does nothing while running.
    void resume();
    // Seconds since start, excluding paused time.
    float elapsed() const;

    uint32_t startTick = 0;
    uint32_t pauseTick = 0;
    bool running = false;
};

} // namespace keltraWorks
