#include "tools/content/atmosphere_bed.h"

#include <cmath>

namespace keltraWorks {

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
