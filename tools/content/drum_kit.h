// The drum machine: kick, snare, clap, closed and open hat, shaker and rim,
// all synthesised. `trigger` strikes a drum; `render` adds the kit's sound
// into the stereo buffers given (frames at 44100 a second). Pitches in Hz,
// times in seconds, levels linear. The kit owns its state; one thread per
// kit.
#pragma once

#include "tools/content/dsp.h"

#include <cstdint>

namespace keltraWorks {

enum class Drum { Kick, Snare, Clap, Hat, OpenHat, Shaker, Rim, Count };

struct DrumKitTuning {
    float kickPitch = 48; // Hz at the end of the sweep
    float kickDecay = 0.45f;
    float snareTone = 185;
    float hatTone = 8000;
    float level = 0.5f;
};

class DrumKit {
  public:
    void configure(const DrumKitTuning& tuning);
    void trigger(Drum drum, float velocity);
    void render(float* left, float* right, int n);

  private:
    void renderBlock(float* left, float* right, int n);

    // One decaying sound. What is heard follows `level` within a few frames,
    // so a strike rises over about half a millisecond instead of jumping.
    struct Hit {
        float level = 0, mul = 0, heard = 0;
        bool on() const { return level > 1e-4f || heard > 1e-4f; }
        void strike(float to, float fall) {
            level = to;
            mul = fall;
        }
        float next() {
            heard += 0.12f * (level - heard);
            level *= mul;
            return heard;
        }
    };
    DrumKitTuning tune;
    Noise noise;
    // Kick: a sine whose pitch falls quickly, and a short soft click. Two
    // voices take turns, so a kick that comes while the last still rings
    // starts cleanly from zero while the old one dies away.
    struct Kick {
        uint32_t phase = 0;
        float sweep = 0;
        Hit body, click;
        float clickTone = 0;
    };
    Kick kicks[2];
    int nextKick = 0;
    float kickSweepMul = 0;
    // Snare: a tone and band-passed noise; clap: three quick bursts.
    uint32_t snarePhase = 0;
    Hit snareBody, snareNoise, clap, hat, openHat, shaker, rim;
    int clapRestrike = 0, clapRestrikes = 0;
    float clapVelocity = 0;
    uint32_t rimPhase = 0;
    Svf snareFilter, clapFilter, hatFilter, shakerFilter;
};

} // namespace keltraWorks
