#include "tools/content/fm_voice.h"

#include <cmath>

namespace keltraWorks {

void FmVoice::start() {
    const float hz = midiToHz(nextNote);
    carrierStep = phaseOffset(hz / SampleRate);
    carrier2Step = phaseOffset(hz * std::exp2(next.shimmerCents / 1200.0f) / SampleRate);
    modulatorStep = phaseOffset(hz * next.ratio / SampleRate);
    shimmer = next.shimmerCents != 0;
    carrier = carrier2 = modulator = 0;
    index = next.index * (0.5f + 0.5f * nextVelocity);
    indexMul = fallMul(next.indexDecay);
    indexFloor = next.indexFloor;
    gain = next.level * nextVelocity;
    pan = panGains(nextPan);
    amp.level = 0;
    amp.configure(next.attack, next.decay, next.sustain, next.release);
    amp.start();
}

// `gainStep` ramps the output (towards silence while fading out a voice).
void FmVoice::play(float* left, float* right, int n, float gainStep) {
    inBlocks(left, right, n, [&](float* l, float* r, int m) { playBlock(l, r, m, gainStep); });
}

void FmVoice::playBlock(float* left, float* right, int n, float gainStep) {
    if (!amp.active()) {
        return;
    }
    // Pass 1: the envelope, which also tells how many frames still sound.
    // Where it keeps its stage, its steps are taken in pass 2 instead, next
    // to the modulation depth's.
    float level[BlockFrames];
    const bool steady = amp.steadyFor(n);
    const int m = steady ? n : amp.render(level, n);
    // Pass 2: the modulator, and from it each frame's carrier phases.
    const float* sine = WaveTables::get().pairs(WaveTables::get().sine());
    float mod[BlockFrames];
    modulator = readTable(sine, modulator, modulatorStep, mod, m);
    uint32_t phases[BlockFrames], phases2[BlockFrames];
    auto modulate = [&](auto ampStep) {
        float depth = index, a = amp.level;
        for (int i = 0; i < m; ++i) {
            const uint32_t offset = phaseOffset(mod[i] * (indexFloor + depth));
            depth *= indexMul;
            phases[i] = carrier + offset;
            carrier += carrierStep;
            if (shimmer) {
                phases2[i] = carrier2 + offset;
                carrier2 += carrier2Step;
            }
            if (steady) {
                level[i] = a = ampStep(a);
            }
        }
        index = depth;
        if (steady) {
            amp.level = a;
        }
    };
    if (steady) {
        amp.withSteadyStep(modulate);
    } else {
        modulate([](float x) { return x; });
    }
    // Pass 3: the carriers.
    float c[BlockFrames];
    readTableAt(sine, phases, c, m);
    if (shimmer) {
        float c2[BlockFrames];
        readTableAt(sine, phases2, c2, m);
        for (int i = 0; i < m; ++i) {
            c[i] = 0.5f * (c[i] + c2[i]);
        }
    }
    // Pass 4: level and pan.
    const PanGains p = pan;
    const float g = gain;
    if (gainStep == 0) {
        for (int i = 0; i < m; ++i) {
            const float y = c[i] * level[i] * g;
            left[i] += y * p.left;
            right[i] += y * p.right;
        }
        return;
    }
    float ramp = fadeGain();
    for (int i = 0; i < m; ++i) {
        const float y = c[i] * level[i] * g * ramp;
        ramp += gainStep;
        left[i] += y * p.left;
        right[i] += y * p.right;
    }
}

} // namespace keltraWorks
