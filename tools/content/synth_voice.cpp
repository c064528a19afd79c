#include "tools/content/synth_voice.h"

#include <algorithm>
#include <cmath>

namespace keltraWorks {

void SynthVoice::noteOn(const SynthPatch& patch, float note, float velocity, float p) {
    const float hz = midiToHz(note);
    osc1.set(patch.wave1, hz);
    osc2.set(patch.wave2, hz * std::exp2(patch.detuneCents / 1200.0f));
    subOsc.set(Wave::Sine, hz * 0.5f);
    if (!amp.active()) {
        osc1.phase = startPhase(note, 1);
        osc2.phase = startPhase(note, 2);
        subOsc.phase = 0;
    }
    cutoffBase = patch.cutoff * std::pow(hz / 261.63f, patch.keyTrack);
    envAmount = patch.envAmount;
    resonance = patch.resonance;
    mix2 = patch.mix2;
    // The sub-octave fades out below 40 Hz, where it would only be rumble
    // that eats headroom.
    sub = patch.sub * std::clamp((hz * 0.5f - 28.0f) / 12.0f, 0.0f, 1.0f);
    gain = patch.level * velocity;
    pan = panGains(p);
    amp.configure(patch.attack, patch.decay, patch.sustain, patch.release);
    amp.start();
    filterEnv.configure(patch.filterAttack, patch.filterDecay, 0, patch.filterDecay);
    filterEnv.level = 0;
    filterEnv.start();
    countdown = 0;
}

void SynthVoice::render(float* left, float* right, int n, float brightness) {
    inBlocks(left, right, n, [&](float* l, float* r, int m) { renderBlock(l, r, m, brightness); });
}

void SynthVoice::renderBlock(float* left, float* right, int n, float brightness) {
    if (!amp.active()) {
        return;
    }
    // Pass 1: the oscillators.
    float tone[BlockFrames];
    if (amp.steadyFor(n) && filterEnv.steadyFor(n)) {
        osc1.render(tone, n);
        osc2.mixInto(tone, n, mix2);
        if (sub != 0) {
            subOsc.mixInto(tone, n, sub);
        }
        // Pass 2: the envelopes and the filter in one loop, so their chains
        // of arithmetic run side by side.
        // Everything the loop reads is copied to locals first: stores to
        // `left` and `right` could otherwise alias the members.
        const float base = cutoffBase, depth = envAmount, q = resonance, g = gain;
        const PanGains p = pan;
        float* const outL = left;
        float* const outR = right;
        const int frames = n;
        amp.withSteadyStep([&](auto ampStep) {
            filterEnv.withSteadyStep([&](auto filterStep) {
                Svf f = filter;
                int count = countdown;
                float a = amp.level, e = filterEnv.level;
                for (int i = 0; i < frames; ++i) {
                    if (count-- <= 0) {
                        count = 15;
                        f.set((base + depth * e) * brightness, q);
                    }
                    e = filterStep(e);
                    a = ampStep(a);
                    const float y = f.low(tone[i]) * a * g;
                    outL[i] += y * p.left;
                    outR[i] += y * p.right;
                }
                filter = f;
                countdown = count;
                amp.level = a;
                filterEnv.level = e;
            });
        });
        return;
    }
    // A block in which an envelope changes stage. Pass 1: the envelopes,
    // which also tell how many frames still sound.
    float ampLevel[BlockFrames], filterLevel[BlockFrames];
    const float filterFrom = filterEnv.level;
    const int m = amp.render(ampLevel, n);
    if (m == 0) {
        return;
    }
    filterEnv.render(filterLevel, m);
    // Pass 2: the oscillators.
    osc1.render(tone, m);
    osc2.mixInto(tone, m, mix2);
    if (sub != 0) {
        subOsc.mixInto(tone, m, sub);
    }
    // Pass 3: the filter, in a local so its state stays in registers. The
    // cutoff moves slowly next to the audio, so it is worked out every 16
    // frames instead of every frame, from the filter envelope's level
    // before that frame.
    Svf f = filter;
    int count = countdown;
    for (int i = 0; i < m; ++i) {
        if (count-- <= 0) {
            count = 15;
            const float envelope = i == 0 ? filterFrom : filterLevel[i - 1];
            f.set((cutoffBase + envAmount * envelope) * brightness, resonance);
        }
        const float y = f.low(tone[i]) * ampLevel[i] * gain;
        left[i] += y * pan.left;
        right[i] += y * pan.right;
    }
    filter = f;
    countdown = count;
}

} // namespace keltraWorks
