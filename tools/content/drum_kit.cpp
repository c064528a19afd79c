#include "tools/content/drum_kit.h"

#include "tools/content/instrument_basics.h"

namespace keltraWorks {

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
    inBlocks(left, right, n, [&](float* l, float* r, int m) { renderBlock(l, r, m); });
}

void DrumKit::renderBlock(float* left, float* right, int n) {
    const float* sine = WaveTables::get().sine();
    auto sineAt = [sine](uint32_t phase) { return tableAt(sine, phase); };
    const float kickLow = tune.kickPitch;
    const float snareStep = tune.snareTone / SampleRate;
    static const PanGains hatPan = panGains(0.3f), shakerPan = panGains(-0.35f),
                          rimPan = panGains(-0.15f);
    // The kit is mixed into local buffers first: stores to them cannot alias
    // the kit's own state, which can then stay in registers.
    float mixL[BlockFrames], mixR[BlockFrames];
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

} // namespace keltraWorks
