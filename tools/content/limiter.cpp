#include "tools/content/limiter.h"

#include "tools/content/dsp.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace keltraWorks {

Limiter::Limiter(float ceilingLevel, float release)
    : ceiling(ceilingLevel), risePerBlock(0.5f * BlockFrames / (release * SampleRate)) {}

void Limiter::processBlock(float* left, float* right) {
    // A non-finite sample would poison the gain for good; it counts as full
    // scale and is silenced. (A NaN fails the comparison with the largest
    // float as well as infinity does.) The peak is a maximum, which is exact
    // in any order, so it is taken four frames at a time.
    float peak = 0;
    int i = 0;
#if defined(__SSE2__)
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    const __m128 fullScale = _mm_set1_ps(1.0f);
    __m128 peaks = _mm_setzero_ps();
    auto scan = [&](float* samples) {
        const __m128 x = _mm_loadu_ps(samples);
        const __m128 size = _mm_and_ps(x, magnitude);
        const __m128 finite = _mm_cmple_ps(size, largest);
        _mm_storeu_ps(samples, _mm_and_ps(x, finite));
        peaks = _mm_max_ps(peaks,
                           _mm_or_ps(_mm_and_ps(finite, size), _mm_andnot_ps(finite, fullScale)));
    };
    for (; i + 4 <= BlockFrames; i += 4) {
        scan(left + i);
        scan(right + i);
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, peaks);
    peak = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
#endif
    for (; i < BlockFrames; ++i) {
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
