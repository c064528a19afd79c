// The sustained chord bed: up to ten voices of two detuned oscillators each,
// summed and then shaped by one low-pass per side. Sharing the filter keeps a
// thick pad affordable; pads do not need a filter envelope per voice. Adds
// its sound into the stereo buffers given to `render` (frames at 44100 a
// second); notes are MIDI note numbers. Owns its voices; one thread per pad.
#pragma once

#include "tools/content/dsp.h"
#include "tools/content/instrument_basics.h"
#include "tools/content/synth_voice.h"
#include "tools/content/voice_pool.h"

namespace keltraWorks {

class PadInstrument {
  public:
    // The patch's oscillators, envelope, cutoff, resonance and level; its
    // sub, filter envelope and key tracking are not used.
    void configure(const SynthPatch& patch);
    // Releases the sounding chord and starts `count` new notes, spread
    // across the stereo field.
    void playChord(const int* notes, int count);
    // `brightness` scales the cutoff (slow modulation from the arrangement).
    void render(float* left, float* right, int n, float brightness);

  private:
    struct Voice {
        Oscillator osc1, osc2;
        Envelope amp;
        PanGains pan{0.7f, 0.7f};
        bool active() const { return amp.active(); }
    };
    void renderBlock(float* left, float* right, int n, float brightness);
    void addSteadyVoice(Voice& v, float* sumL, float* sumR, int n) const;

    VoicePool<Voice, 10> pool;
    SynthPatch patch;
    Svf filterL, filterR;
    int countdown = 0;
};

} // namespace keltraWorks
