// Plays one piece of the album for a given number of frames: plans its
// arrangement (phrases of eight bars, each with an intensity that decides
// which instruments play, which rhythm variants and which progression),
// sequences the notes step by step and mixes the instruments through the
// piece's echo and reverb. The piece fades in from silence at its first frame
// and back to silence at its last, so a change of section is a smooth dip
// whose lowest point is exactly the boundary. Deterministic for a given style,
// length and seed. One thread per object.
#pragma once

#include "tools/content/atmosphere_bed.h"
#include "tools/content/drum_kit.h"
#include "tools/content/effects.h"
#include "tools/content/fm_voice.h"
#include "tools/content/pad_instrument.h"
#include "tools/content/pluck_voice.h"
#include "tools/content/random.h"
#include "tools/content/section_style.h"
#include "tools/content/synth_voice.h"
#include "tools/content/voice_pool.h"

#include <cstdint>
#include <vector>

namespace keltraWorks {

class SectionSynth {
  public:
    SectionSynth(const SectionStyle& style, int64_t frames, uint64_t seed);

    // Writes (not adds) the next `n` frames; frames past the end are silent.
    void render(float* left, float* right, int n);

    int64_t length() const { return frames; }
    int phraseCount() const { return int(phrases.size()); }
    // The planned intensity of a phrase, 0..1.
    float phraseIntensity(int phrase) const { return phrases[size_t(phrase)].intensity; }

  private:
    struct LeadNote {
        int step;   // within the two-bar motif
        int degree; // scale degrees above the chord's root
        int length; // steps
    };
    struct Phrase {
        float intensity = 0;
        bool useB = false;
        bool fill = false;
        bool lead = false;
        int kick = 0, snare = 0, clap = 0, hat = 0, openHat = 0, shaker = 0, rim = 0;
        int bass = 0, arp = 0;
        int arpShift = 0; // semitones: the arpeggio moves up or down an octave
        int rotate = 0;   // the progression starts from another chord
        std::vector<LeadNote> motif, answer;
    };

    void planArrangement(uint64_t seed);
    std::vector<LeadNote> makeMotif(float density);
    void step(); // fires the events of step `stepIndex`
    void playDrums(const Phrase& p, int barStep, bool lastBar);
    void changeChord(int degree);
    int pitchOf(int degree) const;          // MIDI note of a scale degree above the tonic
    int noteOf(int degree, int base) const; // the same, folded into [base, base + 12)
    float envelopeAt(int64_t frame) const;
    void renderBlock(float* left, float* right, int n);

    const SectionStyle& style;
    int64_t frames;
    int64_t position = 0;
    int stepsPerBar;
    double stepFrames;
    int64_t stepIndex = 0;
    int64_t nextStepAt = 0;
    int64_t fadeIn, fadeOut;
    std::vector<Phrase> phrases;
    Random rnd;

    int chordDegree = -1;
    int bassNote = -1;
    int leadNoteOff = 0; // steps until the lead's note ends
    float brightness = 1;
    uint32_t slowLfo = 0, wobbleLfo = 0;
    float smoothIntensity = 0;
    float rumbleL = 0, rumbleR = 0; // low-passed output, taken off as rumble

    PadInstrument pad;
    SynthVoice bass;
    VoicePool<FmVoice, 8> arpFm;
    VoicePool<PluckVoice, 6> arpPluck;
    VoicePool<SynthVoice, 4> arpSynth;
    VoicePool<FmVoice, 3> leadFm;
    SynthVoice leadSynth;
    DrumKit drums;
    AtmosphereBed bed;
    StereoDelay echo;
    Reverb reverb;
};

} // namespace keltraWorks
