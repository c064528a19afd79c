// The plucked string (Karplus-Strong): a noise burst circulating in a tuned
// delay line that loses its highs on every pass. It adds its sound into the
// stereo buffers given to `render` (frames at 44100 a second) and costs
// nothing once the string has died away; plucked again while it still rings,
// it first fades out (see StealableVoice). Pitches are MIDI note numbers,
// levels linear, pan -1 (left) .. 1 (right). The voice owns its state; one
// thread per voice.
#pragma once

#include "tools/content/dsp.h"
#include "tools/content/instrument_basics.h"
#include "tools/content/stealable_voice.h"

#include <array>

namespace keltraWorks {

struct PluckPatch {
    float brightness = 0.6f; // 0..1, colour of the excitation
    float sustain = 0.996f;  // loop gain per pass
    float damping = 0.5f;    // 0..1 loss of highs per pass
    float level = 0.3f;
};

class PluckVoice : public StealableVoice<PluckVoice, PluckPatch> {
  public:
    bool active() const { return energy > 1e-4f || fading(); }

  private:
    friend class StealableVoice<PluckVoice, PluckPatch>;
    bool sounding() const { return energy > 1e-3f; }
    void start();
    void play(float* left, float* right, int n, float gainStep);

    static constexpr int Max = 2048;
    std::array<float, Max> line{};
    int write = 0;
    float delay = 100; // frames, fractional
    float loopGain = 0.99f, damping = 0.5f, last = 0;
    float energy = 0;
    float gain = 0;
    PanGains pan{0.7f, 0.7f};
    Noise noise;
};

} // namespace keltraWorks
