// The clamped linear ramp behind every fade of the player screen: `a` before
// the ramp starts (x < 0), `b` after it ends (x > d), and the straight line
// from a to b in between. x and d are seconds; a and b any unit (alpha,
// logical units).
#pragma once

#include "engine/core/timer.h"

float rampValue(float x, float d, float a, float b);

// Seconds on `clock` since `start` seconds, taken in double precision and
// stored as float, the x every fade passes to rampValue.
float secondsSince(const keltraWorks::Timer& clock, double start);
