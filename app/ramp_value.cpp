#include "app/ramp_value.h"

float rampValue(float x, float d, float a, float b) {
    if (x < 0.0f) {
        return a;
    }
    if (x > d) {
        return b;
    }
    return a + (b - a) * x / d;
}

float secondsSince(const keltraWorks::Timer& clock, double start) {
    return float(double(clock.elapsed()) - start);
}
