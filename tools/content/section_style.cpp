#include "tools/content/section_style.h"

#include <cassert>
#include <iterator>

namespace keltraWorks {

namespace {

// The ten pieces are written as one table per layer of the music, each with
// one row per piece in order; the drum patterns, which most pieces leave
// mostly empty, are a list of the ones there are.

constexpr std::array<int, 7> Ionian{0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> Dorian{0, 2, 3, 5, 7, 9, 10};
constexpr std::array<int, 7> Aeolian{0, 2, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> Lydian{0, 2, 4, 6, 7, 9, 11};

// Title, tonic, mode, bpm, steps per beat, beats per bar, swing, chord
// progressions A and B, bars per chord, energy.
const Score Scores[] = {
    // 1: slow ambient opening over a drone in D.
    {"First Light", 50, Lydian, 68, 4, 4, 0, {0, 4, 5, 1}, {5, 3, 0, 4}, 2, 0.5f},
    // 2: glassy sixteenth arpeggios over a steady pulse in F sharp minor.
    {"Glass Harbour", 54, Aeolian, 96, 4, 4, 0, {0, 5, 2, 6}, {3, 0, 5, 6}, 2, 0.85f},
    // 3: half-time pulse, bleeps and a swung bass in A dorian.
    {"Slow Satellites", 57, Dorian, 84, 4, 4, 0.12f, {0, 3, 0, 6}, {2, 6, 3, 4}, 2, 0.8f},
    // 4: plucked strings in echoes under rain, E dorian.
    {"Mirror Rain", 52, Dorian, 110, 4, 4, 0, {0, 2, 6, 3}, {4, 2, 3, 0}, 2, 0.75f},
    // 5: four on the floor, saw bass and a square lead in C minor.
    {"Aurora Engine", 48, Aeolian, 120, 4, 4, 0, {0, 5, 2, 6}, {3, 0, 5, 6}, 2, 1.0f},
    // 6: a slow drone with sparse pulses over mains hum, B flat lydian.
    {"Quiet Voltage", 46, Lydian, 60, 4, 4, 0, {0, 1, 0, 4}, {5, 1, 0, 0}, 4, 0.4f},
    // 7: swaying twelve-eight with bubbles, G minor, filtered chords.
    {"Lanterns Underwater", 55, Aeolian, 76, 3, 4, 0, {0, 3, 5, 4}, {5, 6, 0, 0}, 2, 0.7f},
    // 8: broken beat and electric-piano chords, E flat major, swung.
    {"Halflight", 51, Ionian, 100, 4, 4, 0.18f, {1, 4, 0, 5}, {3, 4, 2, 5}, 2, 0.9f},
    // 9: rolling twelve-eight plucks over the surf, B minor.
    {"Tidal Memory", 47, Aeolian, 90, 3, 4, 0, {0, 5, 2, 6}, {3, 0, 5, 4}, 2, 0.75f},
    // 10: the closing glow, back home in D major, no drums.
    {"Afterglow", 50, Ionian, 66, 4, 4, 0, {3, 0, 4, 5}, {3, 4, 0, 0}, 2, 0.35f},
};

// Master level, bed and its level, echo in beats and its feedback, reverb
// size, decay, damping and mix.
const Mix Mixes[] = {
    {1.29f, Atmosphere::Wind, 0.05f, 0.75f, 0.45f, 1.8f, 6.5f, 0.4f, 0.75f},
    {1.57f, Atmosphere::Waves, 0.035f, 0.75f, 0.4f, 1.3f, 3.5f, 0.4f, 0.6f},
    {1.45f, Atmosphere::Hum, 0.012f, 0.5f, 0.5f, 1.5f, 4.0f, 0.4f, 0.6f},
    {1.82f, Atmosphere::Rain, 0.035f, 0.75f, 0.5f, 1.2f, 3.0f, 0.4f, 0.6f},
    {1.47f, Atmosphere::None, 0, 0.75f, 0.35f, 1.0f, 2.2f, 0.4f, 0.45f},
    {0.98f, Atmosphere::Hum, 0.02f, 1.5f, 0.55f, 2.0f, 8.0f, 0.4f, 0.8f},
    {1.13f, Atmosphere::Bubbles, 0.03f, 1.0f, 0.45f, 1.6f, 4.5f, 0.6f, 0.6f},
    {1.58f, Atmosphere::None, 0, 0.5f, 0.3f, 1.1f, 2.6f, 0.4f, 0.5f},
    {1.74f, Atmosphere::Waves, 0.05f, 1.0f, 0.4f, 1.4f, 3.5f, 0.4f, 0.6f},
    {1.49f, Atmosphere::Wind, 0.04f, 1.5f, 0.5f, 2.0f, 7.0f, 0.4f, 0.8f},
};

// Every pad is a warm bed: the second oscillator loud, the cutoff following
// pitch a little, decaying to full sustain. (Patches are written in the
// order of SynthPatch's fields.)
SynthPatch warmPad(Wave wave1, Wave wave2, float detuneCents, float cutoff, float resonance,
                   float attack, float release, float level) {
    return {wave1,     wave2,  detuneCents, 0.8f, 0,       cutoff, 0,    0.3f,
            resonance, attack, 1.0f,        1.0f, release, 0.005f, 0.4f, level};
}

// The pad (first and second wave, detune in cents, cutoff, resonance,
// attack, release, level), its lowest note and the depth of its sway.
const PadPart Pads[] = {
    {warmPad(Wave::Saw, Wave::Saw, 9, 1250, 0.7f, 2.2f, 2.8f, 0.07f), 57, 0},
    {warmPad(Wave::Triangle, Wave::Saw, 9, 1200, 0.7f, 1.2f, 2.8f, 0.05f), 61, 0},
    {warmPad(Wave::Saw, Wave::Saw, 14, 950, 0.7f, 2.2f, 2.8f, 0.06f), 57, 0.3f},
    {warmPad(Wave::Saw, Wave::Triangle, 9, 1000, 0.7f, 2.2f, 2.8f, 0.045f), 59, 0},
    {warmPad(Wave::Saw, Wave::Saw, 9, 1500, 0.7f, 0.6f, 1.5f, 0.045f), 60, 0.2f},
    {warmPad(Wave::Saw, Wave::Square, 5, 1000, 0.7f, 4.0f, 4.0f, 0.075f), 53, 0},
    {warmPad(Wave::Saw, Wave::Saw, 9, 850, 1.8f, 1.0f, 2.8f, 0.07f), 55, 0.8f},
    {warmPad(Wave::Saw, Wave::Saw, 9, 900, 0.7f, 2.2f, 2.8f, 0.04f), 58, 0},
    {warmPad(Wave::Saw, Wave::Saw, 9, 1000, 0.7f, 2.2f, 2.8f, 0.06f), 59, 0},
    {warmPad(Wave::Saw, Wave::Saw, 9, 1150, 0.7f, 3.0f, 3.5f, 0.075f), 57, 0},
};

// Every bass is round: its first wave over a square a few cents below and
// a resonant filter that opens on each note.
SynthPatch roundBass(Wave wave1, float sub, float cutoff, float envAmount, float attack,
                     float decay, float sustain, float release, float filterDecay, float level) {
    return {wave1, Wave::Square, -4,    0.4f,    sub,     cutoff, envAmount,   0.2f,
            0.9f,  attack,       decay, sustain, release, 0.005f, filterDecay, level};
}

// The bass (first wave, sub level, cutoff, filter envelope in Hz, attack,
// decay, sustain, release, filter decay, level), its lowest note and its
// pattern variants.
const BassPart Basses[] = {
    {roundBass(Wave::Saw, 0.5f, 260, 390, 0.6f, 0.35f, 0.7f, 1.5f, 0.25f, 0.16f),
     38,
     {"R---------------", "R-------5-------"}},
    {roundBass(Wave::Saw, 0.5f, 320, 480, 0.004f, 0.35f, 0.7f, 0.12f, 0.25f, 0.17f),
     42,
     {"R.....R.R.....R.", "R...R...R...5...", "R.....R...O...R."}},
    {roundBass(Wave::Saw, 0.5f, 240, 900, 0.004f, 0.35f, 0.7f, 0.12f, 0.18f, 0.16f),
     33,
     {"R.R.R.R.R.R.R.O.", "R.R.R.R.5.5.R.R.", "R..R..R.R..R..O."}},
    {roundBass(Wave::Triangle, 0.5f, 300, 450, 0.004f, 0.35f, 0.7f, 0.12f, 0.25f, 0.15f),
     40,
     {"R.......R.....5.", "R.....R.....R...", "R.......O......."}},
    {roundBass(Wave::Saw, 0.6f, 420, 630, 0.004f, 0.15f, 0.5f, 0.12f, 0.25f, 0.15f),
     36,
     {"..R...R...R...R.", "R.RR..R.R.RR..R.", "..R...R...O...R."}},
    {roundBass(Wave::Saw, 0.5f, 200, 300, 1.0f, 0.35f, 0.7f, 2.0f, 0.25f, 0.15f),
     34,
     {"R---------------"}},
    {roundBass(Wave::Sine, 0.5f, 260, 390, 0.004f, 0.35f, 0.7f, 0.12f, 0.25f, 0.16f),
     43,
     {"R.....R..5..", "R........R..", "R..R.....O.."}},
    {roundBass(Wave::Saw, 1.0f, 350, 525, 0.004f, 0.35f, 0.7f, 0.12f, 0.25f, 0.16f),
     39,
     {"R.....R...R.5...", "R..R..R...O.....", "R.....5...R...7."}},
    {roundBass(Wave::Saw, 0.5f, 280, 420, 0.004f, 0.35f, 0.7f, 0.12f, 0.25f, 0.16f),
     35,
     {"R.....5.....", "R.....R..O..", "R..5..R..5.."}},
    {roundBass(Wave::Saw, 0.5f, 220, 330, 0.8f, 0.35f, 0.7f, 2.0f, 0.25f, 0.15f),
     38,
     {"R---------------", "R-------5-------"}},
};

// The arpeggio: its patch (fields as in the patch's declaration; the kind of
// patch is the instrument), its lowest note and its pattern variants.
const ArpPart Arps[] = {
    {FmPatch{3.01f, 0.35f, 0.9f, 0.02f, 0.002f, 2.6f, 0, 1.2f, 0.06f, 4},
     74,
     {"0.......2.......", "0...1...2...3...", "r.......r...r..."}},
    {FmPatch{3.5f, 0.32f, 0.35f, 0.03f, 0.001f, 0.55f, 0, 0.3f, 0.055f, 0},
     73,
     {"0213021302130213", "0123432101234321", "02.402.402.4r.r.", "0.2.1.3.0.2.4.3."}},
    {SynthPatch{Wave::Square, Wave::Square, 1200, 0.25f, 0, 2400, 0, 0.5f, 0.8f, 0.002f, 0.12f, 0,
                0.1f, 0.005f, 0.4f, 0.045f},
     79,
     {"r...r.....r..r..", "r.....r...r.....", "4...2.....5..3.."}},
    {PluckPatch{0.55f, 0.997f, 0.45f, 0.16f},
     64,
     {"0.2.4.2.1.3.5.3.", "02460246r.r.r.r.", "0..2..4..2..1.3.", "4.3.2.1.0.1.2.3."}},
    {SynthPatch{Wave::Saw, Wave::Saw, 12, 0.5f, 0, 1100, 2600, 0.5f, 1.6f, 0.002f, 0.16f, 0, 0.08f,
                0.005f, 0.12f, 0.05f},
     67,
     {"0123012301230123", "0.1.2.3.4.3.2.1.", "02040204r.r.0204"}},
    {FmPatch{2.0f, 0.5f, 0.25f, 0.01f, 0.002f, 0.9f, 0, 0.6f, 0.05f, 0},
     70,
     {"0.......2.......", "0...............", "0.......r...r..."}},
    {FmPatch{1.0f, 0.3f, 0.4f, 0.04f, 0.004f, 0.8f, 0, 0.5f, 0.05f, 8},
     67,
     {"024024024024", "0.2.4.2.0.r.", "042042r.r.4."}},
    {FmPatch{1.0f, 0.22f, 0.7f, 0.03f, 0.003f, 1.4f, 0, 0.35f, 0.04f, 5},
     63,
     {"0123....0123....", "..0123....0123..", "0123..0123......"}},
    {PluckPatch{0.7f, 0.996f, 0.35f, 0.15f}, 66, {"012321012321", "024202420242", "0.2.4.r.2.0."}},
    {FmPatch{4.0f, 0.25f, 1.2f, 0.02f, 0.002f, 3.0f, 0, 1.5f, 0.05f, 3},
     76,
     {"0.......4.......", "2...............", "0.......r......."}},
};

// The lead: its patch (as for the arpeggio), its lowest note and the chance
// of a note on a strong step.
const LeadPart Leads[] = {
    {FmPatch{1.5f, 0.25f, 1.5f, 0.05f, 0.08f, 2.0f, 0.3f, 1.5f, 0.07f, 6}, 69, 0.18f},
    {FmPatch{2.0f, 0.3f, 0.8f, 0.05f, 0.01f, 1.4f, 0.2f, 0.8f, 0.06f, 5}, 66, 0.22f},
    {FmPatch{1.0f, 0.45f, 0.6f, 0.08f, 0.03f, 1.0f, 0.4f, 0.5f, 0.06f, 3}, 64, 0.25f},
    {SynthPatch{Wave::Triangle, Wave::Sine, 1200, 0.3f, 0, 3000, 0, 0.5f, 0.8f, 0.04f, 0.5f, 0.6f,
                0.5f, 0.005f, 0.4f, 0.07f},
     76, 0.2f},
    {SynthPatch{Wave::Square, Wave::Saw, 5, 0.4f, 0, 1800, 1500, 0.5f, 0.8f, 0.01f, 0.4f, 0.55f,
                0.25f, 0.005f, 0.4f, 0.055f},
     72, 0.3f},
    {FmPatch{3.0f, 0.2f, 2.0f, 0.03f, 0.3f, 3.0f, 0.5f, 2.5f, 0.05f, 3}, 77, 0.12f},
    {FmPatch{2.0f, 0.35f, 1.0f, 0.06f, 0.05f, 1.5f, 0.3f, 1.0f, 0.06f, 7}, 74, 0.2f},
    {SynthPatch{Wave::Triangle, Wave::Saw, 7, 0.2f, 0, 2200, 0, 0.5f, 0.8f, 0.02f, 0.6f, 0.5f, 0.4f,
                0.005f, 0.4f, 0.06f},
     75, 0.28f},
    {FmPatch{1.0f, 0.5f, 0.5f, 0.1f, 0.02f, 1.2f, 0.4f, 0.6f, 0.055f, 4}, 71, 0.22f},
    {FmPatch{1.5f, 0.2f, 1.5f, 0.04f, 0.12f, 2.5f, 0.3f, 2.0f, 0.065f, 5}, 69, 0.15f},
};

// The drum machine's tuning: kick pitch and decay, snare tone, hat tone,
// level. (The first piece has only a shaker; the sixth and tenth no drums.)
const DrumKitTuning Kits[] = {
    {48, 0.45f, 185, 8000, 0.5f},  // First Light
    {50, 0.45f, 185, 8000, 0.42f}, // Glass Harbour
    {44, 0.6f, 185, 8000, 0.45f},  // Slow Satellites
    {52, 0.35f, 185, 8000, 0.38f}, // Mirror Rain
    {47, 0.32f, 185, 8000, 0.5f},  // Aurora Engine
    {48, 0.45f, 185, 8000, 0.5f},  // Quiet Voltage
    {46, 0.5f, 185, 8000, 0.4f},   // Lanterns Underwater
    {50, 0.4f, 200, 8000, 0.45f},  // Halflight
    {48, 0.45f, 185, 8000, 0.4f},  // Tidal Memory
    {48, 0.45f, 185, 8000, 0.5f},  // Afterglow
};

// The drums' pattern variants: piece (1 to 10), drum, variants. A drum a
// piece has no row for is silent in it.
struct DrumRow {
    int piece;
    std::vector<std::string> DrumPatterns::*drum;
    std::vector<std::string> variants;
};
const DrumRow Drums[] = {
    {1, &DrumPatterns::shaker, {"..o...o...o...o.", "..o..o....o..o.."}},
    {2, &DrumPatterns::kick, {"X.......x.......", "X.......X.....x."}},
    {2, &DrumPatterns::rim, {"....x.......x...", "....x.......x..o"}},
    {2, &DrumPatterns::hat, {"..x...x...x...x.", "o.x.o.x.o.x.o.x."}},
    {2, &DrumPatterns::shaker, {"oxoxoxoxoxoxoxox"}},
    {3, &DrumPatterns::kick, {"X.........X.....", "X.........X...x."}},
    {3, &DrumPatterns::snare, {"........X.......", "........X.....-."}},
    {3, &DrumPatterns::hat, {"..x...x...x...x.", "..x.-.x...x.-.x."}},
    {3, &DrumPatterns::openHat, {"..............o."}},
    {4, &DrumPatterns::kick, {"X.....x...X.....", "X.....x...X...x."}},
    {4, &DrumPatterns::rim, {"....x.......x...", "....x..o....x..."}},
    {4, &DrumPatterns::hat, {"-x-x-x-x-x-x-x-x", "..x...x...x...x."}},
    {5, &DrumPatterns::kick, {"X...X...X...X...", "X...X...X...X..o"}},
    {5, &DrumPatterns::clap, {"....X.......X...", "....X.......X..o"}},
    {5, &DrumPatterns::hat, {"..x...x...x...x.", "-.x--.x--.x--.x-"}},
    {5, &DrumPatterns::openHat, {"..o...o...o...o."}},
    {5, &DrumPatterns::shaker, {"oxoxoxoxoxoxoxox"}},
    {7, &DrumPatterns::kick, {"X.....x.....", "X.....x..o.."}},
    {7, &DrumPatterns::rim, {"......x.....", "......x....o"}},
    {7, &DrumPatterns::shaker, {"oxxoxxoxxoxx", "o.xo.xo.xo.x"}},
    {8, &DrumPatterns::kick, {"X.....x...X.x...", "X.....x.....X..."}},
    {8, &DrumPatterns::snare, {"....X.......X..-", "....X..-....X..."}},
    {8, &DrumPatterns::hat, {"x.x.x.x.x.x.x.x.", "x-x-x-x-x-x-x-xo"}},
    {8, &DrumPatterns::openHat, {"..............o."}},
    {9, &DrumPatterns::kick, {"X.....X.....", "X.....X..o.."}},
    {9, &DrumPatterns::snare, {"......X.....", "......X....-"}},
    {9, &DrumPatterns::hat, {"x.xx.xx.xx.x", "..x..x..x..x"}},
};

static_assert(std::size(Scores) == SectionCount && std::size(Mixes) == SectionCount &&
                  std::size(Pads) == SectionCount && std::size(Basses) == SectionCount &&
                  std::size(Arps) == SectionCount && std::size(Leads) == SectionCount &&
                  std::size(Kits) == SectionCount,
              "every layer has one row per piece");

std::vector<SectionStyle> makeStyles() {
    std::vector<SectionStyle> all;
    for (size_t i = 0; i < SectionCount; ++i) {
        all.push_back({Scores[i], Mixes[i], Pads[i], Basses[i], Arps[i], Leads[i], Kits[i], {}});
    }
    for (const DrumRow& row : Drums) {
        assert(row.piece >= 1 && row.piece <= SectionCount);
        all[size_t(row.piece - 1)].drums.*row.drum = row.variants;
    }
    return all;
}

} // namespace

const std::vector<SectionStyle>& sectionStyles() {
    static const std::vector<SectionStyle> styles = makeStyles();
    return styles;
}

} // namespace keltraWorks
