// The subtractive voice: two detuned table oscillators and a sub sine
// through a resonant low-pass with its own envelope, for basses, leads and
// chord stabs (and the patch the pad plays its chords with). The voice adds
// its sound into the stereo buffers given to `render` (frames at 44100 a
// second) and costs nothing while silent. Pitches are MIDI note numbers
// (fractional allowed), times in seconds, levels linear, pan -1 (left) ..
// 1 (right). The voice owns its state; one thread per voice.
#pragma once

#include "tools/content/dsp.h"
#include "tools/content/instrument_basics.h"

namespace keltraWorks {

struct SynthPatch {
    Wave wave1 = Wave::Saw, wave2 = Wave::Saw;
    float detuneCents = 7;  // oscillator 2 against oscillator 1
    float mix2 = 0.5f;      // level of oscillator 2
    float sub = 0;          // level of a sine an octave below
    float cutoff = 1200;    // Hz before the envelope
    float envAmount = 0;    // Hz the filter envelope adds at its peak
    float keyTrack = 0.5f;  // 0..1, how far the cutoff follows pitch
    float resonance = 0.8f; // filter Q
    float attack = 0.01f, decay = 0.3f, sustain = 0.7f, release = 0.4f;
    float filterAttack = 0.005f, filterDecay = 0.4f;
    float level = 0.2f;
};

class SynthVoice {
  public:
    void noteOn(const SynthPatch& patch, float note, float velocity, float pan);
    void noteOff() { amp.stop(); }
    bool active() const { return amp.active(); }
    // `brightness` scales the cutoff (slow modulation from the arrangement).
    void render(float* left, float* right, int n, float brightness);

  private:
    void renderBlock(float* left, float* right, int n, float brightness);

    Oscillator osc1, osc2, subOsc;
    Svf filter;
    Envelope amp, filterEnv;
    float cutoffBase = 1000, envAmount = 0, resonance = 0.7f;
    float mix2 = 0.5f, sub = 0, gain = 0;
    PanGains pan{0.7f, 0.7f};
    int countdown = 0;
};

} // namespace keltraWorks
