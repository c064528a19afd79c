#include "tools/content/section_synth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <variant>

namespace keltraWorks {

namespace {

constexpr int BarsPerPhrase = 8;
constexpr int MaxBlock = 256;

// The intensity from which each layer plays.
constexpr float BassFrom = 0.22f;
constexpr float ArpFrom = 0.3f;
constexpr float ShakerFrom = 0.35f;
constexpr float LeadFrom = 0.4f;
constexpr float HatFrom = 0.45f;
constexpr float KickFrom = 0.5f;
constexpr float SnareFrom = 0.6f;
constexpr float OpenHatFrom = 0.72f;

float stepVelocity(char c) {
    switch (c) {
    case 'X':
        return 1.0f;
    case 'x':
        return 0.8f;
    case 'o':
        return 0.55f;
    case '-':
        return 0.3f;
    default:
        return 0.0f;
    }
}

char patternAt(const std::vector<std::string>& variants, int variant, int step) {
    if (variants.empty()) {
        return '.';
    }
    const std::string& p = variants[size_t(variant) % variants.size()];
    return p.empty() ? '.' : p[size_t(step) % p.size()];
}

int pick(Random& rnd, const std::vector<std::string>& variants) {
    return variants.empty() ? 0 : rnd.below(int(variants.size()));
}

float raisedCosine(double u) {
    return float(0.5 - 0.5 * std::cos(M_PI * std::clamp(u, 0.0, 1.0)));
}

} // namespace

SectionSynth::SectionSynth(const SectionStyle& s, int64_t length, uint64_t seed)
    : style(s), frames(std::max<int64_t>(length, 0)),
      stepsPerBar(s.score.stepsPerBeat * s.score.beatsPerBar),
      stepFrames(60.0 / s.score.bpm / s.score.stepsPerBeat * SampleRate),
      // Fades are short against the piece: a long piece gets a slow
      // eight-second fade-out, a short one (the test mode) a quick one.
      fadeIn(std::min<int64_t>(int64_t(2.5 * SampleRate), frames * 6 / 100)),
      fadeOut(std::min<int64_t>(int64_t(8.0 * SampleRate), frames * 12 / 100)), rnd(seed) {
    planArrangement(seed);
    drums.configure(style.kit);
    pad.configure(style.pad.patch);
    bed.configure(style.mix.bed, style.mix.bedLevel, uint32_t(seed));
    const float beat = 60.0f / style.score.bpm;
    echo.configure(std::min(style.mix.delayBeats * beat, 1.9f), style.mix.delayFeedback, 3200);
    reverb.configure(style.mix.reverbSize, style.mix.reverbDecay, style.mix.reverbDamping);
    slowLfo = uint32_t(seed * 2654435761u);
}

void SectionSynth::planArrangement(uint64_t seed) {
    Random plan(seed ^ 0xa5a5a5a5u);
    const double barFrames = stepFrames * stepsPerBar;
    const int bars = std::max(1, int(std::ceil(double(frames) / barFrames)));
    const int count = (bars + BarsPerPhrase - 1) / BarsPerPhrase;
    // A long piece rises and falls several times; each wave peaks at a
    // different height, and now and then a phrase drops out as a breakdown.
    const int waves = std::max(1, count / 10);
    const double wavePhase = plan.uniform() * M_PI;
    phrases.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        Phrase& p = phrases[size_t(i)];
        const double x = (i + 0.5) / count;
        const double arc = std::pow(std::sin(M_PI * x), 0.6);
        const double swell = 0.5 - 0.5 * std::cos(2 * M_PI * waves * x + wavePhase);
        double intensity = 0.15 + 0.85 * (0.55 * arc + 0.45 * swell) + plan.range(-0.1, 0.1);
        if (i > 0 && i + 1 < count && plan.chance(0.15)) {
            intensity -= 0.3;
        }
        p.intensity = float(std::clamp(intensity, 0.05, 1.0) * style.score.energy);
        p.useB = (i % 4 >= 2) != plan.chance(0.2);
        p.fill = plan.chance(0.45);
        p.lead = plan.chance(0.7);
        p.kick = pick(plan, style.drums.kick);
        p.snare = pick(plan, style.drums.snare);
        p.clap = pick(plan, style.drums.clap);
        p.hat = pick(plan, style.drums.hat);
        p.openHat = pick(plan, style.drums.openHat);
        p.shaker = pick(plan, style.drums.shaker);
        p.rim = pick(plan, style.drums.rim);
        p.bass = pick(plan, style.bass.patterns);
        p.arp = pick(plan, style.arp.patterns);
        // Now and then the arpeggio moves an octave (upward only from low
        // registers, where it cannot turn shrill).
        if (plan.chance(0.2)) {
            p.arpShift = (style.arp.base < 72 && plan.chance(0.5)) ? 12 : -12;
        }
        // Every few phrases the harmony turns to start from another chord.
        if (i >= 4 && plan.chance(0.35)) {
            p.rotate = 1 + plan.below(3);
        } else if (i > 0) {
            p.rotate = phrases[size_t(i - 1)].rotate;
        }
    }
    // Motifs: a phrase either keeps the previous phrase's motif (so themes
    // come back) or writes a new one; the answer is always a variation.
    std::vector<LeadNote> motif;
    for (Phrase& p : phrases) {
        if (motif.empty() || plan.chance(0.4)) {
            motif = makeMotif(style.lead.density);
        }
        p.motif = motif;
        p.answer = motif;
        for (LeadNote& n : p.answer) {
            if (plan.chance(0.35)) {
                n.degree += plan.below(5) - 2;
            }
        }
    }
}

std::vector<SectionSynth::LeadNote> SectionSynth::makeMotif(float density) {
    std::vector<LeadNote> notes;
    const int steps = 2 * stepsPerBar;
    int degree = rnd.below(3) * 2; // start on a chord tone
    for (int s = 0; s < steps; ++s) {
        const bool onBeat = s % style.score.stepsPerBeat == 0;
        const bool downBeat = s % stepsPerBar == 0;
        const float chance = density * (downBeat ? 1.6f : onBeat ? 1.0f : 0.3f);
        if (!rnd.chance(chance)) {
            continue;
        }
        const int move = rnd.below(5) - 2;
        degree = std::clamp(degree + move, -2, 9);
        if (onBeat && (degree % 2 != 0) && rnd.chance(0.6)) {
            degree += 1; // strong steps lean toward chord tones
        }
        notes.push_back({s, degree, 1 + rnd.below(std::max(1, style.score.stepsPerBeat * 2))});
    }
    return notes;
}

int SectionSynth::pitchOf(int degree) const {
    const int octave = (degree >= 0 ? degree / 7 : (degree - 6) / 7);
    const int index = degree - octave * 7;
    return style.score.root + style.score.mode[size_t(index)] + 12 * octave;
}

int SectionSynth::noteOf(int degree, int base) const {
    int note = pitchOf(degree);
    while (note < base) {
        note += 12;
    }
    while (note >= base + 12) {
        note -= 12;
    }
    return note;
}

void SectionSynth::changeChord(int degree) {
    if (degree == chordDegree) {
        return;
    }
    chordDegree = degree;
    // A seventh chord in close position from the pad's base note, so the
    // voices move as little as possible from one chord to the next.
    int notes[4];
    for (int k = 0; k < 4; ++k) {
        notes[k] = noteOf(degree + 2 * k, style.pad.base);
    }
    std::sort(notes, notes + 4);
    pad.playChord(notes, 4);
}

void SectionSynth::playDrums(const Phrase& p, int barStep, bool lastBar) {
    const float in = p.intensity;
    auto hit = [&](Drum drum, const std::vector<std::string>& variants, int variant, float from) {
        if (in < from) {
            return;
        }
        const float v = stepVelocity(patternAt(variants, variant, barStep));
        if (v > 0) {
            drums.trigger(drum, v * (0.92f + 0.08f * float(rnd.uniform())));
        }
    };
    hit(Drum::Kick, style.drums.kick, p.kick, KickFrom);
    hit(Drum::Snare, style.drums.snare, p.snare, SnareFrom);
    hit(Drum::Clap, style.drums.clap, p.clap, SnareFrom);
    hit(Drum::Hat, style.drums.hat, p.hat, HatFrom);
    hit(Drum::OpenHat, style.drums.openHat, p.openHat, OpenHatFrom);
    hit(Drum::Shaker, style.drums.shaker, p.shaker, ShakerFrom);
    hit(Drum::Rim, style.drums.rim, p.rim, HatFrom);
    // A fill on the last beat of a phrase leads into the next one.
    if (p.fill && lastBar && in >= SnareFrom && barStep >= stepsPerBar - style.score.stepsPerBeat) {
        const bool hasSnare = !style.drums.snare.empty();
        const bool hasRim = !style.drums.rim.empty();
        const float v = 0.35f + 0.15f * float(barStep - (stepsPerBar - style.score.stepsPerBeat));
        if (hasSnare) {
            drums.trigger(Drum::Snare, v);
        } else if (!style.drums.clap.empty()) {
            drums.trigger(Drum::Clap, v);
        } else if (hasRim) {
            drums.trigger(Drum::Rim, v);
        }
    }
}

void SectionSynth::step() {
    const int64_t bar = stepIndex / stepsPerBar;
    const int barStep = int(stepIndex % stepsPerBar);
    const size_t phraseIndex = std::min(size_t(bar / BarsPerPhrase), phrases.size() - 1);
    const Phrase& p = phrases[phraseIndex];
    const int barInPhrase = int(bar % BarsPerPhrase);
    const float in = p.intensity;

    // Harmony.
    const std::vector<int>& progression = p.useB && !style.score.progressionB.empty()
                                              ? style.score.progressionB
                                              : style.score.progressionA;
    const int chordSlot = int(bar / style.score.barsPerChord + p.rotate) % int(progression.size());
    if (barStep == 0) {
        changeChord(progression[size_t(chordSlot)]);
    }
    const int chord = chordDegree;

    // Bass.
    const char b = in >= BassFrom ? patternAt(style.bass.patterns, p.bass, barStep) : '.';
    if (b != '-') {
        if (b == '.' && bassNote >= 0) {
            bass.noteOff();
            bassNote = -1;
        } else if (b != '.') {
            int degree = chord;
            int lift = 0;
            if (b == '3') {
                degree += 2;
            } else if (b == '5') {
                degree += 4;
            } else if (b == '7') {
                degree += 6;
            } else if (b == 'O') {
                lift = 12;
            }
            const int root = noteOf(chord, style.bass.base);
            int note = noteOf(degree, style.bass.base);
            if (note < root) {
                note += 12;
            }
            bassNote = note + lift;
            bass.noteOn(style.bass.patch, float(bassNote), b == 'R' ? 1.0f : 0.85f, 0);
        }
    }

    // Arpeggio over the chord's notes across two octaves.
    if (in >= ArpFrom && !std::holds_alternative<std::monostate>(style.arp.patch)) {
        const char a = patternAt(style.arp.patterns, p.arp, barStep);
        if (a != '.') {
            int notes[8];
            for (int k = 0; k < 4; ++k) {
                notes[k] = noteOf(chord + 2 * k, style.arp.base + p.arpShift);
            }
            std::sort(notes, notes + 4);
            for (int k = 0; k < 4; ++k) {
                notes[k + 4] = notes[k] + 12;
            }
            const int index = a == 'r' ? rnd.below(6) : std::clamp(a - '0', 0, 7);
            const float note = float(notes[index]);
            const float velocity = (barStep % style.score.stepsPerBeat == 0 ? 1.0f : 0.78f) *
                                   float(0.85 + 0.15 * rnd.uniform());
            const float pan = float(rnd.range(-0.6, 0.6));
            if (const auto* fm = std::get_if<FmPatch>(&style.arp.patch)) {
                arpFm.take().noteOn(*fm, note, velocity, pan);
            } else if (const auto* pluck = std::get_if<PluckPatch>(&style.arp.patch)) {
                arpPluck.take().noteOn(*pluck, note, velocity, pan);
            } else if (const auto* synth = std::get_if<SynthPatch>(&style.arp.patch)) {
                arpSynth.take().noteOn(*synth, note, velocity, pan);
            }
        }
    }

    // Lead: the motif in bars 1-2 and 5-6 of the phrase, its answer in 3-4
    // and 7-8, always moving with the chord underneath.
    if (!std::holds_alternative<std::monostate>(style.lead.patch)) {
        if (leadNoteOff > 0 && --leadNoteOff == 0) {
            leadSynth.noteOff();
            for (auto& v : leadFm.voices) {
                v.noteOff();
            }
        }
        if (in >= LeadFrom && p.lead) {
            const std::vector<LeadNote>& line = (barInPhrase / 2) % 2 == 0 ? p.motif : p.answer;
            const int motifStep = (barInPhrase % 2) * stepsPerBar + barStep;
            for (const LeadNote& n : line) {
                if (n.step != motifStep) {
                    continue;
                }
                // The chord's root sits in the lead's octave and the motif keeps
                // its own leaps above it.
                const float note = float(noteOf(chord, style.lead.base) +
                                         pitchOf(chord + n.degree) - pitchOf(chord));
                if (const auto* fm = std::get_if<FmPatch>(&style.lead.patch)) {
                    leadFm.take().noteOn(*fm, note, 0.9f, 0.1f);
                } else if (const auto* synth = std::get_if<SynthPatch>(&style.lead.patch)) {
                    leadSynth.noteOn(*synth, note, 0.9f, 0.1f);
                }
                leadNoteOff = n.length;
            }
        }
    }

    playDrums(p, barStep, barInPhrase == BarsPerPhrase - 1);
}

float SectionSynth::envelopeAt(int64_t frame) const {
    float g = 1;
    if (frame < fadeIn) {
        g *= raisedCosine(double(frame) / double(fadeIn));
    }
    const int64_t toEnd = frames - frame;
    if (toEnd < fadeOut) {
        g *= raisedCosine(double(toEnd) / double(fadeOut));
    }
    return g;
}

void SectionSynth::render(float* left, float* right, int n) {
    int done = 0;
    while (done < n) {
        if (position >= frames) {
            std::fill(left + done, left + n, 0.0f);
            std::fill(right + done, right + n, 0.0f);
            return;
        }
        if (position >= nextStepAt) {
            step();
            ++stepIndex;
            // Swing delays every second step by a fraction of a step.
            const double swing = (stepIndex % 2 == 1) ? style.score.swing * stepFrames : 0.0;
            nextStepAt = int64_t(std::llround(double(stepIndex) * stepFrames + swing));
        }
        int64_t chunk = std::min<int64_t>(
            {int64_t(n - done), int64_t(MaxBlock), nextStepAt - position, frames - position});
        chunk = std::max<int64_t>(chunk, 1);
        renderBlock(left + done, right + done, int(chunk));
        done += int(chunk);
        position += chunk;
    }
}

void SectionSynth::renderBlock(float* left, float* right, int n) {
    float layerL[MaxBlock], layerR[MaxBlock];
    float dryL[MaxBlock] = {}, dryR[MaxBlock] = {};
    float echoL[MaxBlock] = {}, echoR[MaxBlock] = {};
    float roomL[MaxBlock] = {}, roomR[MaxBlock] = {};

    // Slow movements: the whole piece breathes over about a minute, and a
    // wobbling pad sways once every two bars.
    const size_t phraseIndex = std::min(
        size_t(double(position) / (stepFrames * stepsPerBar * BarsPerPhrase)), phrases.size() - 1);
    smoothIntensity += 0.002f * (phrases[phraseIndex].intensity - smoothIntensity);
    const float breath = sineAt(slowLfo);
    slowLfo += cyclesToPhase(float(n) / (55.0f * SampleRate));
    const float sway = sineAt(wobbleLfo);
    wobbleLfo += cyclesToPhase(float(n) / float(2 * stepsPerBar * stepFrames));
    brightness = std::max(0.3f, 0.7f + 0.5f * smoothIntensity + 0.2f * breath +
                                    0.45f * style.pad.wobble * sway);

    // Each layer is drawn on its own, then sent dry, to the echo and to the
    // reverb in its own proportions.
    // A send of 0 would add only zeros (the layers are finite) to a buffer
    // that never holds -0, so it is skipped.
    auto mixLayer = [&](float dry, float toEcho, float toRoom) {
        if (toEcho == 0) {
            for (int i = 0; i < n; ++i) {
                dryL[i] += layerL[i] * dry;
                dryR[i] += layerR[i] * dry;
                roomL[i] += layerL[i] * toRoom;
                roomR[i] += layerR[i] * toRoom;
            }
            return;
        }
        for (int i = 0; i < n; ++i) {
            dryL[i] += layerL[i] * dry;
            dryR[i] += layerR[i] * dry;
            echoL[i] += layerL[i] * toEcho;
            echoR[i] += layerR[i] * toEcho;
            roomL[i] += layerL[i] * toRoom;
            roomR[i] += layerR[i] * toRoom;
        }
    };
    auto clear = [&]() {
        std::memset(layerL, 0, sizeof(float) * size_t(n));
        std::memset(layerR, 0, sizeof(float) * size_t(n));
    };

    clear();
    pad.render(layerL, layerR, n, brightness);
    mixLayer(1.0f, 0.0f, 0.55f);

    clear();
    bass.render(layerL, layerR, n, 0.7f + 0.5f * smoothIntensity);
    mixLayer(1.0f, 0.0f, 0.08f);

    clear();
    for (auto& v : arpFm.voices) {
        v.render(layerL, layerR, n);
    }
    for (auto& v : arpPluck.voices) {
        v.render(layerL, layerR, n);
    }
    for (auto& v : arpSynth.voices) {
        v.render(layerL, layerR, n, 0.6f + 0.6f * smoothIntensity + 0.2f * breath);
    }
    for (auto& v : leadFm.voices) {
        v.render(layerL, layerR, n);
    }
    leadSynth.render(layerL, layerR, n, 0.8f + 0.3f * breath);
    mixLayer(0.85f, 0.35f, 0.35f);

    clear();
    drums.render(layerL, layerR, n);
    bed.render(layerL, layerR, n, smoothIntensity);
    mixLayer(1.0f, 0.0f, 0.12f);

    echo.process(echoL, echoR, dryL, dryR, n);
    float wetL[MaxBlock] = {}, wetR[MaxBlock] = {};
    reverb.process(roomL, roomR, wetL, wetR, n);
    const float mix = style.mix.reverbMix * 0.5f;
    // A gentle high-pass at 25 Hz keeps rumble and any offset out of the
    // mix; then the piece's fades and level.
    constexpr float RumbleA = 2.0f * Pi * 25.0f / SampleRate;
    // Between the fades the envelope is exactly 1, so the gain is the
    // master level for the whole block.
    const bool steady = position >= fadeIn && frames - (position + n - 1) >= fadeOut;
    const float master = style.mix.master;
    // The filter runs in locals, which the stores to `left` and `right`
    // cannot alias.
    float lowL = rumbleL, lowR = rumbleR;
    for (int i = 0; i < n; ++i) {
        const float l = dryL[i] + wetL[i] * mix, r = dryR[i] + wetR[i] * mix;
        lowL += RumbleA * (l - lowL);
        lowR += RumbleA * (r - lowR);
        const float g = steady ? master : envelopeAt(position + i) * master;
        left[i] = (l - lowL) * g;
        right[i] = (r - lowR) * g;
    }
    rumbleL = lowL;
    rumbleR = lowR;
}

} // namespace keltraWorks
