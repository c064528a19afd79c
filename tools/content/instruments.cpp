#include "tools/content/instruments.h"

#include <algorithm>
#include <cmath>

namespace keltraWorks {

namespace {

// Frames over which a voice taken while still sounding fades out first.
constexpr int StealFade = 96;

// Multiplier per frame for a level to fall by 60 dB in `seconds`.
float fallMul(float seconds) {
    return std::exp(-6.9078f / std::max(1.0f, seconds * SampleRate));
}

uint32_t phaseOffset(float cycles) {
    return uint32_t(int64_t(cycles * 4294967296.0f));
}

// A fixed starting phase per pitch, so unison oscillators do not start in
// step (which sounds like a click of comb filtering) yet every run agrees.
uint32_t startPhase(float note, uint32_t salt) {
    uint32_t h = uint32_t(note * 1000.0f) * 2654435761u ^ salt * 40503u;
    h ^= h >> 15;
    return h * 2246822519u;
}

} // namespace

PanGains panGains(float pan) {
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * Pi;
    return {std::cos(angle), std::sin(angle)};
}

// ---- SynthVoice ----------------------------------------------------------

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
    constexpr int Block = 256;
    while (n > Block) {
        render(left, right, Block, brightness);
        left += Block;
        right += Block;
        n -= Block;
    }
    if (!amp.active()) {
        return;
    }
    // Pass 1: the oscillators.
    float tone[Block];
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
    float ampLevel[Block], filterLevel[Block];
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

// ---- PadInstrument -------------------------------------------------------

void PadInstrument::configure(const SynthPatch& p) {
    patch = p;
    countdown = 0;
}

void PadInstrument::playChord(const int* notes, int count) {
    for (Voice& v : voices) {
        v.amp.stop();
    }
    for (int k = 0; k < count; ++k) {
        // Take a silent voice, or else the one that has been fading longest.
        Voice* pick = &voices[0];
        for (Voice& v : voices) {
            if (!v.amp.active()) {
                pick = &v;
                break;
            }
            if (v.started < pick->started) {
                pick = &v;
            }
        }
        const float note = float(notes[k]);
        const float hz = midiToHz(note);
        pick->osc1.set(patch.wave1, hz);
        pick->osc2.set(patch.wave2, hz * std::exp2(patch.detuneCents / 1200.0f));
        if (!pick->amp.active()) {
            pick->osc1.phase = startPhase(note, 3);
            pick->osc2.phase = startPhase(note, 4);
        }
        const float spread = count > 1 ? float(k) / float(count - 1) * 2.0f - 1.0f : 0.0f;
        pick->pan = panGains(0.6f * spread);
        pick->amp.configure(patch.attack, patch.decay, patch.sustain, patch.release);
        pick->amp.start();
        pick->started = ++clock;
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
    constexpr int Max = 256;
    float sumL[Max] = {}, sumR[Max] = {};
    n = std::min(n, Max);
    float tone[Max], amp[Max];
    for (Voice& v : voices) {
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

// ---- FmVoice ---------------------------------------------------------------

void FmVoice::noteOn(const FmPatch& patch, float note, float velocity, float p) {
    next = patch;
    nextNote = note;
    nextVelocity = velocity;
    nextPan = p;
    if (amp.active() && amp.level > 1e-3f) {
        fade = StealFade;
    } else {
        fade = 0;
        start();
    }
}

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

void FmVoice::render(float* left, float* right, int n) {
    if (fade > 0) {
        const int m = std::min(n, fade);
        play(left, right, m, -1.0f / StealFade);
        fade -= m;
        left += m;
        right += m;
        n -= m;
        if (fade > 0) {
            return;
        }
        start();
    }
    play(left, right, n, 0);
}

// `gainStep` ramps the output (towards silence while fading out a voice).
void FmVoice::play(float* left, float* right, int n, float gainStep) {
    constexpr int Block = 256;
    while (n > Block) {
        play(left, right, Block, gainStep);
        left += Block;
        right += Block;
        n -= Block;
    }
    if (!amp.active()) {
        return;
    }
    // Pass 1: the envelope, which also tells how many frames still sound.
    // Where it keeps its stage, its steps are taken in pass 2 instead, next
    // to the modulation depth's.
    float level[Block];
    const bool steady = amp.steadyFor(n);
    const int m = steady ? n : amp.render(level, n);
    // Pass 2: the modulator, and from it each frame's carrier phases.
    const float* sine = WaveTables::get().pairs(WaveTables::get().sine());
    float mod[Block];
    modulator = readTable(sine, modulator, modulatorStep, mod, m);
    uint32_t phases[Block], phases2[Block];
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
    float c[Block];
    readTableAt(sine, phases, c, m);
    if (shimmer) {
        float c2[Block];
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
    float ramp = float(fade) / StealFade;
    for (int i = 0; i < m; ++i) {
        const float y = c[i] * level[i] * g * ramp;
        ramp += gainStep;
        left[i] += y * p.left;
        right[i] += y * p.right;
    }
}

// ---- PluckVoice ------------------------------------------------------------

void PluckVoice::noteOn(const PluckPatch& patch, float note, float velocity, float p) {
    next = patch;
    nextNote = note;
    nextVelocity = velocity;
    nextPan = p;
    if (energy > 1e-3f) {
        fade = StealFade;
    } else {
        fade = 0;
        start();
    }
}

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

void PluckVoice::render(float* left, float* right, int n) {
    if (fade > 0) {
        const int m = std::min(n, fade);
        play(left, right, m, -1.0f / StealFade);
        fade -= m;
        left += m;
        right += m;
        n -= m;
        if (fade > 0) {
            return;
        }
        start();
    }
    if (active()) {
        play(left, right, n, 0);
    }
}

void PluckVoice::play(float* left, float* right, int n, float gainStep) {
    const int whole = int(delay);
    const float frac = delay - float(whole);
    float ramp = gainStep < 0 ? float(fade) / StealFade : 1.0f;
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

// ---- DrumKit ---------------------------------------------------------------

void DrumKit::configure(const DrumKitTuning& tuning) {
    tune = tuning;
    snareFilter.set(2100, 0.9f);
    clapFilter.set(1250, 1.6f);
    hatFilter.set(tuning.hatTone, 0.8f);
    shakerFilter.set(6200, 1.2f);
    noise.state = 0x9e3779b9u;
}

void DrumKit::trigger(Drum drum, float velocity) {
    const float v = velocity * tune.level;
    switch (drum) {
    case Drum::Kick: {
        Kick& k = kicks[nextKick];
        nextKick ^= 1;
        k.phase = 0;
        k.sweep = 1;
        k.body.strike(v, fallMul(tune.kickDecay));
        k.click.strike(v * 0.5f, fallMul(0.006f));
        kickSweepMul = fallMul(0.09f);
        break;
    }
    case Drum::Snare:
        if (!snareBody.on()) {
            snarePhase = 0;
        }
        snareBody.strike(v * 0.55f, fallMul(0.16f));
        snareNoise.strike(v * 0.5f, fallMul(0.22f));
        break;
    case Drum::Clap:
        clapVelocity = v * 0.7f;
        clap.strike(clapVelocity, fallMul(0.012f));
        clapRestrikes = 2;
        clapRestrike = int(0.011f * SampleRate);
        break;
    case Drum::Hat:
        hat.strike(v * 0.28f, fallMul(0.06f));
        break;
    case Drum::OpenHat:
        openHat.strike(v * 0.22f, fallMul(0.35f));
        break;
    case Drum::Shaker:
        shaker.strike(v * 0.25f, fallMul(0.09f));
        break;
    case Drum::Rim:
        if (!rim.on()) {
            rimPhase = 0;
        }
        rim.strike(v * 0.35f, fallMul(0.035f));
        break;
    default:
        break;
    }
}

void DrumKit::render(float* left, float* right, int n) {
    constexpr int Block = 256;
    while (n > Block) {
        render(left, right, Block);
        left += Block;
        right += Block;
        n -= Block;
    }
    const float* sine = WaveTables::get().sine();
    auto sineAt = [sine](uint32_t phase) { return tableAt(sine, phase); };
    const float kickLow = tune.kickPitch;
    const float snareStep = tune.snareTone / SampleRate;
    static const PanGains hatPan = panGains(0.3f), shakerPan = panGains(-0.35f),
                          rimPan = panGains(-0.15f);
    // The kit is mixed into local buffers first: stores to them cannot alias
    // the kit's own state, which can then stay in registers.
    float mixL[Block], mixR[Block];
    for (int i = 0; i < n; ++i) {
        float centre = 0, l = 0, r = 0;
        for (Kick& k : kicks) {
            if (!k.body.on()) {
                continue;
            }
            const float hz = kickLow * (1.0f + 3.0f * k.sweep);
            k.sweep *= kickSweepMul;
            centre += sineAt(k.phase) * k.body.next();
            k.phase += phaseOffset(hz / SampleRate);
            if (k.click.on()) {
                // The beater's click, softened to a thump below about 3 kHz.
                k.clickTone += 0.35f * (noise.next() - k.clickTone);
                centre += k.clickTone * k.click.next();
            }
        }
        if (snareBody.on() || snareNoise.on()) {
            centre += sineAt(snarePhase) * snareBody.next();
            snarePhase += phaseOffset(snareStep);
            snareFilter.low(noise.next());
            centre += snareFilter.band * snareNoise.next() * 2.0f;
        }
        if (clap.on() || clapRestrikes > 0) {
            if (clapRestrikes > 0 && --clapRestrike <= 0) {
                --clapRestrikes;
                clapRestrike = int(0.011f * SampleRate);
                clap.strike(clapVelocity, clapRestrikes > 0 ? fallMul(0.012f) : fallMul(0.22f));
            }
            clapFilter.low(noise.next());
            centre += clapFilter.band * clap.next() * 2.2f;
        }
        if (hat.on() || openHat.on()) {
            hatFilter.low(noise.next());
            const float h = hatFilter.high * (hat.next() + openHat.next());
            l += h * hatPan.left;
            r += h * hatPan.right;
        }
        if (shaker.on()) {
            shakerFilter.low(noise.next());
            const float sh = shakerFilter.band * shaker.next() * 1.5f;
            l += sh * shakerPan.left;
            r += sh * shakerPan.right;
        }
        if (rim.on()) {
            const float rm = (sineAt(rimPhase) + 0.5f * sineAt(rimPhase * 3)) * rim.next();
            rimPhase += phaseOffset(1650.0f / SampleRate);
            l += rm * rimPan.left;
            r += rm * rimPan.right;
        }
        mixL[i] = centre * 0.7071f + l;
        mixR[i] = centre * 0.7071f + r;
    }
    for (int i = 0; i < n; ++i) {
        left[i] += mixL[i];
        right[i] += mixR[i];
    }
}

// ---- AtmosphereBed ---------------------------------------------------------

void AtmosphereBed::configure(Atmosphere k, float lvl, uint32_t seed) {
    kind = k;
    level = lvl;
    noise.state = seed | 1u;
    lfo = seed * 2654435761u;
    lfo2 = seed * 40503u;
    countdown = 0;
}

void AtmosphereBed::render(float* left, float* right, int n, float motion) {
    if (kind == Atmosphere::None || level <= 0) {
        return;
    }
    const float* sine = WaveTables::get().sine();
    auto sineAt = [sine](uint32_t phase) { return tableAt(sine, phase); };
    // The slow movements of each bed are set once per call (at most a few
    // milliseconds), which is far below what the ear can follow.
    const float slow = sineAt(lfo), slow2 = sineAt(lfo2);
    lfo += phaseOffset(float(n) / SampleRate / 23.0f);
    lfo2 += phaseOffset(float(n) / SampleRate / 9.5f);
    // The noise and the filters are worked on in locals: stores to `left`
    // and `right` could otherwise alias them and force reloads every frame.
    Noise rng = noise;
    Svf fl = filterL, fr = filterR;
    switch (kind) {
    case Atmosphere::Wind: {
        fl.set(500 + 380 * slow + 260 * motion, 1.8f);
        fr.set(560 - 300 * slow2 + 260 * motion, 1.8f);
        const float g = level * (0.65f + 0.35f * slow2);
        for (int i = 0; i < n; ++i) {
            fl.low(rng.next());
            fr.low(rng.next());
            left[i] += fl.band * g;
            right[i] += fr.band * g;
        }
        break;
    }
    case Atmosphere::Rain: {
        fl.set(4200, 0.7f);
        fr.set(4600, 0.7f);
        const float lv = level;
        const float hiss = lv * 0.25f;
        const float density = 0.004f * (0.5f + motion);
        int count = countdown;
        float dl = dropL, dr = dropR, fall = dropMul;
        for (int i = 0; i < n; ++i) {
            if (count-- <= 0) {
                count = int(rng.next() * rng.next() * (1.0f / density)) + 40;
                const float drop = 0.3f + 0.7f * std::fabs(rng.next());
                if (rng.next() > 0) {
                    dl = drop;
                } else {
                    dr = drop;
                }
                fall = fallMul(0.008f + 0.01f * std::fabs(rng.next()));
            }
            const float a = rng.next(), b = rng.next();
            fl.low(a);
            fr.low(b);
            left[i] += fl.high * (hiss + dl * lv);
            right[i] += fr.high * (hiss + dr * lv);
            dl *= fall;
            dr *= fall;
        }
        countdown = count;
        dropL = dl;
        dropR = dr;
        dropMul = fall;
        break;
    }
    case Atmosphere::Waves: {
        // A swell every few seconds: sin^2 keeps the quiet troughs long.
        const float swellL = 0.15f + 0.85f * (0.5f + 0.5f * slow2) * (0.5f + 0.5f * slow2);
        const float swellR =
            0.15f + 0.85f * (0.5f - 0.5f * slow2) * (0.5f - 0.5f * slow2) * (0.6f + 0.4f * slow);
        fl.set(380 + 1300 * swellL, 0.6f);
        fr.set(380 + 1300 * swellR, 0.6f);
        const float lv = level;
        for (int i = 0; i < n; ++i) {
            left[i] += fl.low(rng.next()) * lv * swellL;
            right[i] += fr.low(rng.next()) * lv * swellR;
        }
        break;
    }
    case Atmosphere::Bubbles: {
        fl.set(300, 0.7f);
        const float lv = level;
        int count = countdown;
        float hz = bubbleHz, rise = bubbleRise, loud = bubbleLevel;
        PanGains pan = bubblePan;
        uint32_t phase = bubblePhase;
        for (int i = 0; i < n; ++i) {
            if (count-- <= 0) {
                count = int((0.25f + 1.6f * std::fabs(rng.next())) * SampleRate *
                            (1.2f - 0.6f * motion));
                hz = 260 + 700 * std::fabs(rng.next());
                rise = 1.0f + 0.00012f + 0.00012f * std::fabs(rng.next());
                loud = lv * (0.4f + 0.6f * std::fabs(rng.next()));
                pan = panGains(rng.next() * 0.8f);
                phase = 0;
            }
            const float floor = fl.low(rng.next()) * lv * 0.35f;
            float b = 0;
            if (loud > 1e-4f) {
                b = sineAt(phase) * loud;
                phase += phaseOffset(hz / SampleRate);
                hz *= rise;
                loud *= 0.99965f;
            }
            left[i] += floor + b * pan.left;
            right[i] += floor + b * pan.right;
        }
        countdown = count;
        bubbleHz = hz;
        bubbleRise = rise;
        bubbleLevel = loud;
        bubblePan = pan;
        bubblePhase = phase;
        break;
    }
    case Atmosphere::Hum: {
        const float g = level * (0.8f + 0.2f * slow);
        const uint32_t steps[3] = {phaseOffset(58.27f / SampleRate),
                                   phaseOffset(116.7f / SampleRate),
                                   phaseOffset(174.6f / SampleRate)};
        uint32_t p0 = humPhase[0], p1 = humPhase[1], p2 = humPhase[2];
        for (int i = 0; i < n; ++i) {
            const float a = sineAt(p0) + 0.5f * sineAt(p1);
            const float b = sineAt(p0) + 0.35f * sineAt(p2);
            p0 += steps[0];
            p1 += steps[1];
            p2 += steps[2];
            left[i] += a * g;
            right[i] += b * g;
        }
        humPhase[0] = p0;
        humPhase[1] = p1;
        humPhase[2] = p2;
        break;
    }
    default:
        break;
    }
    noise = rng;
    filterL = fl;
    filterR = fr;
}

} // namespace keltraWorks
