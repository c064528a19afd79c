// The system tick count: milliseconds as an unsigned 32-bit count from a
// monotonic clock (never wall time). It wraps after about 49.7 days; every
// user takes unsigned differences, which stay correct across the wrap.
//
// Tests replace the source with a fake clock so that nothing sleeps. The
// source is process-wide; set it before the code under test reads the clock
// and restore it (nullptr) afterwards. Not thread-safe to change while read.
#pragma once

#include <cstdint>

namespace keltraWorks {

using TickSource = uint32_t (*)();

// Milliseconds from the current tick source.
uint32_t tickCount();

// Replaces the tick source; nullptr restores the monotonic system clock.
void setTickSource(TickSource source);

} // namespace keltraWorks
