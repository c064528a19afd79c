#include "tools/content/limiter.h"

#include "tools/content/dsp.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace keltraWorks {

Limiter::Limiter(float ceilingLevel, float release)
    : ceiling(ceilingLevel), risePerBlock(0.5f * BlockFrames / (release * SampleRate)) {}

void Limiter::processBlock(float* left, float* right) {
    float peak = 0;
    for (int i = 0; i < BlockFrames; ++i) {
        // A non-finite sample would poison the gain for good; count it as full
        // scale and silence it. Written as selects (a NaN fails the
        // comparison too), so the loop vectorises.
        const float l = std::fabs(left[i]), r = std::fabs(right[i]);
        const bool badL = !(l <= std::numeric_limits<float>::max());
        const bool badR = !(r <= std::numeric_limits<float>::max());
        left[i] = badL ? 0.0f : left[i];
        right[i] = badR ? 0.0f : right[i];
        peak = std::max(peak, std::max(badL ? 1.0f : l, badR ? 1.0f : r));
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
