#include "tools/content/pad_instrument.h"

#include <cmath>

namespace keltraWorks {

void PadInstrument::configure(const SynthPatch& p) {
    patch = p;
    countdown = 0;
}

void PadInstrument::playChord(const int* notes, int count) {
    for (Voice& v : pool.voices) {
        v.amp.stop();
    }
    for (int k = 0; k < count; ++k) {
        // A silent voice, or else the one that has been fading longest.
        Voice& v = pool.take();
        const float note = float(notes[k]);
        const float hz = midiToHz(note);
        v.osc1.set(patch.wave1, hz);
        v.osc2.set(patch.wave2, hz * std::exp2(patch.detuneCents / 1200.0f));
        if (!v.amp.active()) {
            v.osc1.phase = startPhase(note, 3);
            v.osc2.phase = startPhase(note, 4);
        }
        const float spread = count > 1 ? float(k) / float(count - 1) * 2.0f - 1.0f : 0.0f;
        v.pan = panGains(0.6f * spread);
        v.amp.configure(patch.attack, patch.decay, patch.sustain, patch.release);
        v.amp.start();
    }
}

// A voice over a block in which its envelope keeps its stage, in one loop:
// the envelope's steps run between the four-at-a-time oscillator reads, so
// neither waits for the other. Each frame's arithmetic is that of the
// general path.
void PadInstrument::addSteadyVoice(Voice& v, float* sumL, float* sumR, int n) const {
    Envelope& env = v.amp;
    auto add = [&](auto step) {
        float level = env.level;
        int i = 0;
#if defined(__SSE2__)
        const float* pairs1 = v.osc1.pairs;
        const float* pairs2 = v.osc2.pairs;
        __m128i phases1 = fourPhases(v.osc1.phase, v.osc1.step);
        __m128i phases2 = fourPhases(v.osc2.phase, v.osc2.step);
        const __m128i advance1 = _mm_set1_epi32(int(4 * v.osc1.step));
        const __m128i advance2 = _mm_set1_epi32(int(4 * v.osc2.step));
        const __m128 mix2 = _mm_set1_ps(patch.mix2);
        const __m128 panL = _mm_set1_ps(v.pan.left), panR = _mm_set1_ps(v.pan.right);
        // Plain locals, so the loop does not reload them through the
        // lambda's references after every store.
        float* const outL = sumL;
        float* const outR = sumR;
        const int frames = n;
        for (; i + 4 <= frames; i += 4) {
            const float e0 = level = step(level);
            const float e1 = level = step(level);
            const float e2 = level = step(level);
            const float e3 = level = step(level);
            const __m128 tone =
                _mm_add_ps(readFour(pairs1, phases1), _mm_mul_ps(mix2, readFour(pairs2, phases2)));
            const __m128 s = _mm_mul_ps(tone, _mm_setr_ps(e0, e1, e2, e3));
            _mm_storeu_ps(outL + i, _mm_add_ps(_mm_loadu_ps(outL + i), _mm_mul_ps(s, panL)));
            _mm_storeu_ps(outR + i, _mm_add_ps(_mm_loadu_ps(outR + i), _mm_mul_ps(s, panR)));
            phases1 = _mm_add_epi32(phases1, advance1);
            phases2 = _mm_add_epi32(phases2, advance2);
        }
        v.osc1.phase += uint32_t(i) * v.osc1.step;
        v.osc2.phase += uint32_t(i) * v.osc2.step;
#endif
        for (; i < n; ++i) {
            level = step(level);
            const float s = (v.osc1.next() + patch.mix2 * v.osc2.next()) * level;
            sumL[i] += s * v.pan.left;
            sumR[i] += s * v.pan.right;
        }
        env.level = level;
    };
    env.withSteadyStep(add);
}

void PadInstrument::render(float* left, float* right, int n, float brightness) {
    inBlocks(left, right, n, [&](float* l, float* r, int m) { renderBlock(l, r, m, brightness); });
}

void PadInstrument::renderBlock(float* left, float* right, int n, float brightness) {
    float sumL[BlockFrames] = {}, sumR[BlockFrames] = {};
    float tone[BlockFrames], amp[BlockFrames];
    for (Voice& v : pool.voices) {
        if (!v.amp.active()) {
            continue;
        }
        if (v.amp.steadyFor(n)) {
            addSteadyVoice(v, sumL, sumR, n);
            continue;
        }
        // A block in which the envelope changes stage is built in passes:
        // the oscillators, the envelope, then the sum.
        v.osc1.render(tone, n);
        v.osc2.mixInto(tone, n, patch.mix2);
        v.amp.render(amp, n);
        const PanGains pan = v.pan;
        for (int i = 0; i < n; ++i) {
            const float s = tone[i] * amp[i];
            sumL[i] += s * pan.left;
            sumR[i] += s * pan.right;
        }
    }
    const float cutoff = patch.cutoff * brightness;
    const float resonance = patch.resonance, level = patch.level;
    // The filters run in locals, which the stores to `left` and `right`
    // cannot alias, so their state stays in registers.
    Svf fl = filterL, fr = filterR;
    int count = countdown;
    for (int i = 0; i < n; ++i) {
        if (count-- <= 0) {
            count = 63;
            fl.set(cutoff, resonance);
            fr.set(cutoff * 1.04f, resonance);
        }
        left[i] += fl.low(sumL[i]) * level;
        right[i] += fr.low(sumR[i]) * level;
    }
    filterL = fl;
    filterR = fr;
    countdown = count;
}

} // namespace keltraWorks
