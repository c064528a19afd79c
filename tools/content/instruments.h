// The voices the music is played on. Each voice adds its sound into the
// stereo buffers given to `render` (frames at 44100 a second) and reports
// whether it is still sounding, so idle voices cost nothing. Pitches are MIDI
// note numbers (fractional allowed), times in seconds, levels linear, pan
// -1 (left) .. 1 (right). Voices own their state; one thread per voice.
#pragma once

#include "tools/content/dsp.h"

#include <array>

namespace keltraWorks {

struct PanGains {
    float left, right;
};
// Equal-power pan.
PanGains panGains(float pan);

// Two detuned table oscillators and a sub sine through a resonant low-pass
// with its own envelope: pads, basses, leads and chord stabs.
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
    Oscillator osc1, osc2, subOsc;
    Svf filter;
    Envelope amp, filterEnv;
    float cutoffBase = 1000, envAmount = 0, resonance = 0.7f;
    float mix2 = 0.5f, sub = 0, gain = 0;
    PanGains pan{0.7f, 0.7f};
    int countdown = 0;
};

// The sustained chord bed: up to ten voices of two detuned oscillators each,
// summed and then shaped by one low-pass per side. Sharing the filter keeps a
// thick pad affordable; pads do not need a filter envelope per voice.
class PadInstrument {
  public:
    void configure(const SynthPatch& patch);
    // Releases the sounding chord and starts `count` new notes, spread
    // across the stereo field.
    void playChord(const int* notes, int count);
    void render(float* left, float* right, int n, float brightness);

  private:
    struct Voice {
        Oscillator osc1, osc2;
        Envelope amp;
        PanGains pan{0.7f, 0.7f};
        unsigned started = 0;
    };
    void addSteadyVoice(Voice& v, float* sumL, float* sumR, int n) const;

    std::array<Voice, 10> voices;
    unsigned clock = 0;
    SynthPatch patch;
    Svf filterL, filterR;
    int countdown = 0;
};

// Two-operator FM: bells, glassy keys and electric-piano tones.
struct FmPatch {
    float ratio = 3.5f;       // modulator frequency / carrier frequency
    float index = 0.4f;       // modulation depth at the start, in cycles
    float indexDecay = 0.5f;  // seconds for the depth to fall by 60 dB
    float indexFloor = 0.05f; // depth that remains
    float attack = 0.002f, decay = 1.5f, sustain = 0, release = 0.6f;
    float level = 0.15f;
    float shimmerCents = 0; // a second, detuned carrier when not 0
};

class FmVoice {
  public:
    // A voice that is still sounding first fades out over a millisecond or
    // two, so taking it for a new note does not click.
    void noteOn(const FmPatch& patch, float note, float velocity, float pan);
    void noteOff() { amp.stop(); }
    bool active() const { return amp.active() || fade > 0; }
    void render(float* left, float* right, int n);

  private:
    void start();
    void play(float* left, float* right, int n, float gainStep);

    FmPatch next;
    float nextNote = 60, nextVelocity = 1, nextPan = 0;
    int fade = 0;
    uint32_t carrier = 0, carrier2 = 0, modulator = 0;
    uint32_t carrierStep = 0, carrier2Step = 0, modulatorStep = 0;
    float index = 0, indexMul = 1, indexFloor = 0;
    Envelope amp;
    float gain = 0;
    bool shimmer = false;
    PanGains pan{0.7f, 0.7f};
};

// Plucked string (Karplus-Strong): a noise burst circulating in a tuned
// delay line that loses its highs on every pass.
struct PluckPatch {
    float brightness = 0.6f; // 0..1, colour of the excitation
    float sustain = 0.996f;  // loop gain per pass
    float damping = 0.5f;    // 0..1 loss of highs per pass
    float level = 0.3f;
};

class PluckVoice {
  public:
    // As with FmVoice, a sounding string is faded out quickly before it is
    // plucked again.
    void noteOn(const PluckPatch& patch, float note, float velocity, float pan);
    bool active() const { return energy > 1e-4f || fade > 0; }
    void render(float* left, float* right, int n);

  private:
    void start();
    void play(float* left, float* right, int n, float gainStep);

    PluckPatch next;
    float nextNote = 60, nextVelocity = 1, nextPan = 0;
    int fade = 0;
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

// A fixed-size pool of voices; a new note takes a silent voice, or else the
// one started longest ago.
template <class Voice, int N> struct VoicePool {
    std::array<Voice, N> voices;
    std::array<unsigned, N> started{};
    unsigned clock = 0;

    Voice& take() {
        int pick = 0;
        for (int i = 0; i < N; ++i) {
            if (!voices[i].active()) {
                pick = i;
                break;
            }
            if (started[i] < started[pick]) {
                pick = i;
            }
        }
        started[pick] = ++clock;
        return voices[pick];
    }
};

// The drum machine: kick, snare, clap, closed and open hat, shaker and rim.
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
        float rise = 0; // half-millisecond fade-in of the click
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

// Background sound beds: wind, rain, waves, water bubbles, mains hum.
enum class Atmosphere { None, Wind, Rain, Waves, Bubbles, Hum };

class AtmosphereBed {
  public:
    void configure(Atmosphere kind, float level, uint32_t seed);
    bool silent() const { return kind == Atmosphere::None || level <= 0; }
    // `motion` 0..1 from the arrangement makes the bed busier.
    void render(float* left, float* right, int n, float motion);

  private:
    Atmosphere kind = Atmosphere::None;
    float level = 0;
    Noise noise;
    Svf filterL, filterR;
    uint32_t lfo = 0, lfo2 = 0;
    int countdown = 0;
    float dropL = 0, dropR = 0, dropMul = 0.99f;
    // Bubbles: a sine whose pitch rises quickly.
    uint32_t bubblePhase = 0;
    float bubbleHz = 0, bubbleRise = 1, bubbleLevel = 0;
    PanGains bubblePan{0.7f, 0.7f};
    uint32_t humPhase[3] = {0, 0, 0};
};

} // namespace keltraWorks
