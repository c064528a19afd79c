// The album: ten pieces, one per section of the recording, each with its own
// key, tempo, rhythm and instruments, and the table of where each section
// starts. The titles here are also the ones drawn on the track-name pictures.
// Read-only data; safe from any thread.
#pragma once

#include "tools/content/atmosphere_bed.h"
#include "tools/content/drum_kit.h"
#include "tools/content/fm_voice.h"
#include "tools/content/pluck_voice.h"
#include "tools/content/synth_voice.h"

#include <array>
#include <string>
#include <variant>
#include <vector>

namespace keltraWorks {

constexpr int SectionCount = 10;
// Where each section starts in the full-length recording, in seconds.
constexpr std::array<int, SectionCount> SectionStarts = {0,    1234, 1611, 2390, 2996,
                                                         3609, 4092, 4694, 5360, 5653};
// The full recording's length, and the point by which the last piece has
// faded to silence (the player stops at 5912 s).
constexpr double MusicSeconds = 5920;
constexpr double MusicFadedSeconds = 5910;

// Rhythm patterns are strings with one character per step of a bar:
// 'X' accent, 'x' normal, 'o' soft, '-' ghost, '.' rest. Each layer lists
// variants; the arrangement picks one per phrase.
struct DrumPatterns {
    std::vector<std::string> kick, snare, clap, hat, openHat, shaker, rim;
};

// Title, key, tempo and chords.
struct Score {
    std::string title;
    int root = 50;             // MIDI note of the tonic
    std::array<int, 7> mode{}; // semitones of the scale
    float bpm = 90;
    int stepsPerBeat = 4; // 4: sixteenths, 3: triplets
    int beatsPerBar = 4;
    float swing = 0;                             // 0..0.3 of a step, on the off-steps
    std::vector<int> progressionA, progressionB; // scale degrees, one per chord
    int barsPerChord = 2;
    float energy = 0.8f; // scales the arrangement's intensity
};

// The room the piece plays in: its loudness, background bed, echo and reverb.
struct Mix {
    float master = 1; // evens out the pieces' loudness
    Atmosphere bed = Atmosphere::None;
    float bedLevel = 0;
    float delayBeats = 0.75f, delayFeedback = 0.35f;
    float reverbSize = 1, reverbDecay = 3, reverbDamping = 0.4f, reverbMix = 0.6f;
};

struct PadPart {
    SynthPatch patch;
    int base = 60;    // lowest note of the voicing
    float wobble = 0; // depth of a faster filter sway, 0..1
};

struct BassPart {
    SynthPatch patch;
    int base = 36; // lowest note
    // 'R' root, '3' third, '5' fifth, '7' seventh, 'O' octave, '-' hold, '.' rest.
    std::vector<std::string> patterns;
};

// What a melodic part plays on: nothing, or one of the voices with its patch.
using PartPatch = std::variant<std::monostate, PluckPatch, FmPatch, SynthPatch>;

struct ArpPart {
    PartPatch patch;
    int base = 72; // lowest note
    // Digits index the chord's notes over two octaves, 'r' picks one at
    // random, '.' rests.
    std::vector<std::string> patterns;
};

struct LeadPart {
    PartPatch patch;      // an FmPatch or a SynthPatch
    int base = 72;        // lowest note
    float density = 0.3f; // chance of a note on a strong step
};

struct SectionStyle {
    Score score;
    Mix mix;
    PadPart pad;
    BassPart bass;
    ArpPart arp;
    LeadPart lead;
    DrumKitTuning kit;
    DrumPatterns drums;
};

// The ten pieces, in order.
const std::vector<SectionStyle>& sectionStyles();

} // namespace keltraWorks
