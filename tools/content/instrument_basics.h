// What every instrument of the music synthesiser shares: equal-power pan,
// decay rates, phase offsets, reproducible start phases and the block size
// the instruments work in. Audio at 44100 frames a second; times in seconds,
// phases 32-bit fractions of a cycle. Stateless; safe from any thread.
#pragma once

#include "tools/content/dsp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace keltraWorks {

struct PanGains {
    float left, right;
};
// Equal-power pan from -1 (left) to 1 (right).
inline PanGains panGains(float pan) {
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * Pi;
    return {std::cos(angle), std::sin(angle)};
}

// Multiplier per frame for a level to fall by 60 dB in `seconds`.
inline float fallMul(float seconds) {
    return std::exp(-6.9078f / std::max(1.0f, seconds * SampleRate));
}

// A phase offset of `cycles`, worked out in float. (cyclesToPhase works in
// double; the instruments keep this one because the album's exact samples
// depend on its rounding.)
inline uint32_t phaseOffset(float cycles) {
    return uint32_t(int64_t(cycles * 4294967296.0f));
}

// A fixed starting phase per pitch, so unison oscillators do not start in
// step (which sounds like a click of comb filtering) yet every run agrees.
// `salt` tells the oscillators of one note apart.
inline uint32_t startPhase(float note, uint32_t salt) {
    uint32_t h = uint32_t(note * 1000.0f) * 2654435761u ^ salt * 40503u;
    h ^= h >> 15;
    return h * 2246822519u;
}

// Instruments keep their scratch buffers on the stack and work on at most
// this many frames at a time.
constexpr int BlockFrames = 256;

// Calls `block(left, right, frames)` over consecutive pieces of the `n`
// frames from `left` and `right`, none longer than BlockFrames, in order.
template <class Block> void inBlocks(float* left, float* right, int n, Block&& block) {
    while (n > BlockFrames) {
        block(left, right, BlockFrames);
        left += BlockFrames;
        right += BlockFrames;
        n -= BlockFrames;
    }
    block(left, right, n);
}

} // namespace keltraWorks
