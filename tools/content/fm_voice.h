// The two-operator FM voice: bells, glassy keys and electric-piano tones. It
// adds its sound into the stereo buffers given to `render` (frames at 44100
// a second) and costs nothing while silent; taken for a new note while it
// still sounds, it first fades out (see StealableVoice). Pitches are MIDI
// note numbers, times in seconds, levels linear, pan -1 (left) .. 1 (right).
// The voice owns its state; one thread per voice.
#pragma once

#include "tools/content/dsp.h"
#include "tools/content/instrument_basics.h"
#include "tools/content/stealable_voice.h"

#include <cstdint>

namespace keltraWorks {

struct FmPatch {
    float ratio = 3.5f;       // modulator frequency / carrier frequency
    float index = 0.4f;       // modulation depth at the start, in cycles
    float indexDecay = 0.5f;  // seconds for the depth to fall by 60 dB
    float indexFloor = 0.05f; // depth that remains
    float attack = 0.002f, decay = 1.5f, sustain = 0, release = 0.6f;
    float level = 0.15f;
    float shimmerCents = 0; // a second, detuned carrier when not 0
};

class FmVoice : public StealableVoice<FmVoice, FmPatch> {
  public:
    void noteOff() { amp.stop(); }
    bool active() const { return amp.active() || fading(); }

  private:
    friend class StealableVoice<FmVoice, FmPatch>;
    bool sounding() const { return amp.active() && amp.level > 1e-3f; }
    void start();
    void play(float* left, float* right, int n, float gainStep);
    void playBlock(float* left, float* right, int n, float gainStep);

    uint32_t carrier = 0, carrier2 = 0, modulator = 0;
    uint32_t carrierStep = 0, carrier2Step = 0, modulatorStep = 0;
    float index = 0, indexMul = 1, indexFloor = 0;
    Envelope amp;
    float gain = 0;
    bool shimmer = false;
    PanGains pan{0.7f, 0.7f};
};

} // namespace keltraWorks
