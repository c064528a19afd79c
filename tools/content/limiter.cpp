#include "tools/content/limiter.h"

#include "tools/content/dsp.h"

#include <algorithm>
#include <cmath>

namespace keltraWorks {

Limiter::Limiter(float ceilingLevel, float release)
    : ceiling(ceilingLevel), risePerBlock(0.5f * BlockFrames / (release * SampleRate)) {}

void Limiter::processBlock(float* left, float* right) {
    float peak = 0;
    for (int i = 0; i < BlockFrames; ++i) {
        // A non-finite sample would poison the gain for good; count it as full
        // scale and silence it below.
        const float l = std::isfinite(left[i]) ? std::fabs(left[i]) : (left[i] = 0, 1.0f);
        const float r = std::isfinite(right[i]) ? std::fabs(right[i]) : (right[i] = 0, 1.0f);
        peak = std::max(peak, std::max(l, r));
    }
    const float need = peak > ceiling ? ceiling / peak : 1.0f;

    // The held block is written with a ramp from `gain` (already low enough
    // for it) to a target low enough for it and for the incoming block.
    const float target = std::min({heldNeed, need, gain + risePerBlock});
    const float step = (target - gain) / BlockFrames;
    for (int i = 0; i < BlockFrames; ++i) {
        const float g = gain + step * float(i + 1);
        const float outL = held[0][i] * g, outR = held[1][i] * g;
        held[0][i] = left[i];
        held[1][i] = right[i];
        left[i] = outL;
        right[i] = outR;
    }
    gain = target;
    heldNeed = need;
    lowest = std::min(lowest, gain);
}

} // namespace keltraWorks
