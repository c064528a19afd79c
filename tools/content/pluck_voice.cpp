#include "tools/content/pluck_voice.h"

#include <algorithm>
#include <cmath>

namespace keltraWorks {

void PluckVoice::start() {
    const float hz = midiToHz(nextNote);
    const float a = 1.0f - 0.5f * std::clamp(next.damping, 0.0f, 1.0f);
    damping = a;
    // The loop filter delays the signal by (1 - a) / a frames; take that off
    // the line so the string stays in tune.
    delay = std::clamp(float(SampleRate) / hz - (1.0f - a) / a, 4.0f, float(Max - 4));
    loopGain = next.sustain;
    gain = next.level * nextVelocity;
    pan = panGains(nextPan);
    // Excite the string: low-passed noise over one period, without its mean.
    const int length = int(delay) + 2;
    const float colour = 0.15f + 0.85f * std::clamp(next.brightness, 0.0f, 1.0f);
    float lp = 0, mean = 0;
    for (int k = 0; k < length; ++k) {
        lp += colour * (noise.next() - lp);
        line[size_t((write - 1 - k + Max) % Max)] = lp;
        mean += lp;
    }
    mean /= float(length);
    for (int k = 0; k < length; ++k) {
        line[size_t((write - 1 - k + Max) % Max)] -= mean;
    }
    last = 0;
    energy = 1;
}

void PluckVoice::play(float* left, float* right, int n, float gainStep) {
    const int whole = int(delay);
    const float frac = delay - float(whole);
    float ramp = gainStep < 0 ? fadeGain() : 1.0f;
    float peak = 0;
    // The string's state is worked on in locals: stores to the line and the
    // outputs could otherwise alias it and force reloads on every frame.
    float* const ring = line.data();
    const float a = damping, feedback = loopGain, g = gain;
    const PanGains p = pan;
    float low = last;
    int at = write;
    for (int i = 0; i < n; ++i) {
        // Both sums are positive, so masking is the remainder (Max is a
        // power of two).
        const int r0 = (at - whole + Max) & (Max - 1);
        const int r1 = (r0 - 1 + Max) & (Max - 1);
        const float s = ring[r0] + (ring[r1] - ring[r0]) * frac;
        low += a * (s - low);
        const float y = low * feedback;
        ring[at] = y;
        at = (at + 1) & (Max - 1);
        const float out = y * g * ramp;
        ramp += gainStep;
        left[i] += out * p.left;
        right[i] += out * p.right;
        peak = std::max(peak, std::fabs(y));
    }
    last = low;
    write = at;
    energy = peak;
}

} // namespace keltraWorks
