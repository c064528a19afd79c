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
    for (int i = 0; i < n && amp.active(); ++i) {
        if (countdown-- <= 0) {
            // The cutoff moves slowly next to the audio, so it is worked out
            // every 16 frames instead of every frame.
            countdown = 15;
            filter.set((cutoffBase + envAmount * filterEnv.level) * brightness, resonance);
        }
        filterEnv.next();
        float s = osc1.next() + mix2 * osc2.next();
        if (sub != 0) {
            s += sub * subOsc.next();
        }
        const float y = filter.low(s) * amp.next() * gain;
        left[i] += y * pan.left;
        right[i] += y * pan.right;
    }
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

void PadInstrument::render(float* left, float* right, int n, float brightness) {
    constexpr int Max = 256;
    float sumL[Max] = {}, sumR[Max] = {};
    n = std::min(n, Max);
    // Each voice is built in passes over the block: its oscillators, its
    // envelope, then the sum, which the compiler can vectorise.
    float tone[Max], amp[Max];
    for (Voice& v : voices) {
        if (!v.amp.active()) {
            continue;
        }
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
    const float* sine = WaveTables::get().sine();
    auto sineAt = [sine](uint32_t phase) { return tableAt(sine, phase); };
    float ramp = gainStep < 0 ? float(fade) / StealFade : 1.0f;
    for (int i = 0; i < n && amp.active(); ++i) {
        const float m = sineAt(modulator) * (indexFloor + index);
        modulator += modulatorStep;
        index *= indexMul;
        const uint32_t offset = phaseOffset(m);
        float c = sineAt(carrier + offset);
        carrier += carrierStep;
        if (shimmer) {
            c = 0.5f * (c + sineAt(carrier2 + offset));
            carrier2 += carrier2Step;
        }
        const float y = c * amp.next() * gain * ramp;
        ramp += gainStep;
        left[i] += y * pan.left;
        right[i] += y * pan.right;
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
    for (int i = 0; i < n; ++i) {
        const int r0 = (write - whole + Max) % Max;
        const int r1 = (r0 - 1 + Max) % Max;
        const float s = line[size_t(r0)] + (line[size_t(r1)] - line[size_t(r0)]) * frac;
        last += damping * (s - last);
        const float y = last * loopGain;
        line[size_t(write)] = y;
        write = (write + 1) % Max;
        const float out = y * gain * ramp;
        ramp += gainStep;
        left[i] += out * pan.left;
        right[i] += out * pan.right;
        peak = std::max(peak, std::fabs(y));
    }
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
    const float* sine = WaveTables::get().sine();
    auto sineAt = [sine](uint32_t phase) { return tableAt(sine, phase); };
    const float kickLow = tune.kickPitch;
    const float snareStep = tune.snareTone / SampleRate;
    const PanGains hatPan = panGains(0.3f), shakerPan = panGains(-0.35f), rimPan = panGains(-0.15f);
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
        left[i] += centre * 0.7071f + l;
        right[i] += centre * 0.7071f + r;
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
    switch (kind) {
    case Atmosphere::Wind: {
        filterL.set(500 + 380 * slow + 260 * motion, 1.8f);
        filterR.set(560 - 300 * slow2 + 260 * motion, 1.8f);
        const float g = level * (0.65f + 0.35f * slow2);
        for (int i = 0; i < n; ++i) {
            filterL.low(noise.next());
            filterR.low(noise.next());
            left[i] += filterL.band * g;
            right[i] += filterR.band * g;
        }
        break;
    }
    case Atmosphere::Rain: {
        filterL.set(4200, 0.7f);
        filterR.set(4600, 0.7f);
        const float hiss = level * 0.25f;
        const float density = 0.004f * (0.5f + motion);
        for (int i = 0; i < n; ++i) {
            if (countdown-- <= 0) {
                countdown = int(noise.next() * noise.next() * (1.0f / density)) + 40;
                const float drop = 0.3f + 0.7f * std::fabs(noise.next());
                if (noise.next() > 0) {
                    dropL = drop;
                } else {
                    dropR = drop;
                }
                dropMul = fallMul(0.008f + 0.01f * std::fabs(noise.next()));
            }
            const float a = noise.next(), b = noise.next();
            filterL.low(a);
            filterR.low(b);
            left[i] += filterL.high * (hiss + dropL * level);
            right[i] += filterR.high * (hiss + dropR * level);
            dropL *= dropMul;
            dropR *= dropMul;
        }
        break;
    }
    case Atmosphere::Waves: {
        // A swell every few seconds: sin^2 keeps the quiet troughs long.
        const float swellL = 0.15f + 0.85f * (0.5f + 0.5f * slow2) * (0.5f + 0.5f * slow2);
        const float swellR =
            0.15f + 0.85f * (0.5f - 0.5f * slow2) * (0.5f - 0.5f * slow2) * (0.6f + 0.4f * slow);
        filterL.set(380 + 1300 * swellL, 0.6f);
        filterR.set(380 + 1300 * swellR, 0.6f);
        for (int i = 0; i < n; ++i) {
            left[i] += filterL.low(noise.next()) * level * swellL;
            right[i] += filterR.low(noise.next()) * level * swellR;
        }
        break;
    }
    case Atmosphere::Bubbles: {
        filterL.set(300, 0.7f);
        for (int i = 0; i < n; ++i) {
            if (countdown-- <= 0) {
                countdown = int((0.25f + 1.6f * std::fabs(noise.next())) * SampleRate *
                                (1.2f - 0.6f * motion));
                bubbleHz = 260 + 700 * std::fabs(noise.next());
                bubbleRise = 1.0f + 0.00012f + 0.00012f * std::fabs(noise.next());
                bubbleLevel = level * (0.4f + 0.6f * std::fabs(noise.next()));
                bubblePan = panGains(noise.next() * 0.8f);
                bubblePhase = 0;
            }
            const float floor = filterL.low(noise.next()) * level * 0.35f;
            float b = 0;
            if (bubbleLevel > 1e-4f) {
                b = sineAt(bubblePhase) * bubbleLevel;
                bubblePhase += phaseOffset(bubbleHz / SampleRate);
                bubbleHz *= bubbleRise;
                bubbleLevel *= 0.99965f;
            }
            left[i] += floor + b * bubblePan.left;
            right[i] += floor + b * bubblePan.right;
        }
        break;
    }
    case Atmosphere::Hum: {
        const float g = level * (0.8f + 0.2f * slow);
        const uint32_t steps[3] = {phaseOffset(58.27f / SampleRate),
                                   phaseOffset(116.7f / SampleRate),
                                   phaseOffset(174.6f / SampleRate)};
        for (int i = 0; i < n; ++i) {
            const float a = sineAt(humPhase[0]) + 0.5f * sineAt(humPhase[1]);
            const float b = sineAt(humPhase[0]) + 0.35f * sineAt(humPhase[2]);
            for (int k = 0; k < 3; ++k) {
                humPhase[k] += steps[k];
            }
            left[i] += a * g;
            right[i] += b * g;
        }
        break;
    }
    default:
        break;
    }
}

} // namespace keltraWorks
