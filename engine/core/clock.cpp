#include "engine/core/clock.h"

#include <ctime>

namespace keltraWorks {

namespace {

uint32_t systemTicks() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // Truncation to 32 bits is the intended wrap of the tick count.
    const uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
    return uint32_t(ms);
}

TickSource currentSource = systemTicks;

} // namespace

uint32_t tickCount() { return currentSource(); }

void setTickSource(TickSource source) { currentSource = source ? source : systemTicks; }

} // namespace keltraWorks
