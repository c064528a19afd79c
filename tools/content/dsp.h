// Signal building blocks of the music synthesiser: band-limited wavetable
// oscillators, a state-variable filter, one-pole smoothers, envelopes and a
// noise source. Audio runs at 44100 frames a second; frequencies are in Hz,
// times in seconds, levels linear. Everything is allocation-free; what runs
// once per sample is inline, and the block readers and block envelopes give
// exactly the samples of their one-at-a-time forms, four at a time with SSE2
// where it is available. The wavetables are built once, on first use, and
// are read-only afterwards (safe to share between threads).
#pragma once

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace keltraWorks {

constexpr int SampleRate = 44100;
constexpr float Pi = 3.14159265358979f;

inline float midiToHz(float note) {
    return 440.0f * std::exp2((note - 69.0f) / 12.0f);
}
inline float dbToGain(float db) {
    return std::pow(10.0f, db / 20.0f);
}

enum class Wave { Sine, Saw, Square, Triangle };

// Single-cycle tables of 2048 points (plus one guard point), one per octave
// band, each holding only the harmonics that stay below 18 kHz for the
// highest pitch of its band, so oscillators never alias audibly.
class WaveTables {
  public:
    static constexpr int Bits = 11;
    static constexpr int Size = 1 << Bits;
    static const WaveTables& get();
    const float* table(Wave wave, float hz) const;
    const float* sine() const { return sineTable; }
    // The same table as pairs (t[k], t[k + 1]) side by side, so a reader
    // working on four phases at once fetches both ends of a step in one load.
    const float* pairs(const float* table) const;

  private:
    WaveTables();
    static constexpr int Bands = 11;
    float sineTable[Size + 1];
    float bands[3][Bands][Size + 1];
    float sinePairs[2 * Size];
    float bandPairs[3][Bands][2 * Size];
};

// Block readers of a table given as pairs (see WaveTables::pairs): each
// sample is exactly what tableAt() gives for the same phase, four at a time.
// readTable writes out[i] for phase + i * step and returns the phase after
// the block; mixTable adds gain times those samples to out[i];
// readTableAt reads the table at the n phases given.
uint32_t readTable(const float* pairs, uint32_t phase, uint32_t step, float* out, int n);
uint32_t mixTable(const float* pairs, uint32_t phase, uint32_t step, float gain, float* out, int n);
void readTableAt(const float* pairs, const uint32_t* phases, float* out, int n);

#if defined(__SSE2__)
// Four table reads at once, for loops that do more per frame than read: the
// same arithmetic as tableAt, lane by lane.
inline __m128 readFour(const float* pairs, __m128i phases) {
    constexpr int FracBits = 32 - WaveTables::Bits;
    alignas(16) uint32_t k[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(k), _mm_srli_epi32(phases, FracBits));
    const __m128 frac =
        _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(phases, _mm_set1_epi32((1 << FracBits) - 1))),
                   _mm_set1_ps(1.0f / float(1u << FracBits)));
    __m128 p01 = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(pairs + 2 * k[0]));
    p01 = _mm_loadh_pi(p01, reinterpret_cast<const __m64*>(pairs + 2 * k[1]));
    __m128 p23 = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(pairs + 2 * k[2]));
    p23 = _mm_loadh_pi(p23, reinterpret_cast<const __m64*>(pairs + 2 * k[3]));
    const __m128 a = _mm_shuffle_ps(p01, p23, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 b = _mm_shuffle_ps(p01, p23, _MM_SHUFFLE(3, 1, 3, 1));
    return _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), frac));
}

// The phases of four consecutive frames.
inline __m128i fourPhases(uint32_t phase, uint32_t step) {
    return _mm_setr_epi32(int(phase), int(phase + step), int(phase + 2 * step),
                          int(phase + 3 * step));
}
#endif

// Phase-accumulating table oscillator; the phase is a 32-bit fraction of a
// cycle, so it wraps exactly and never drifts.
struct Oscillator {
    const float* table = nullptr;
    const float* pairs = nullptr; // the same table for the block readers
    uint32_t phase = 0;
    uint32_t step = 0;

    void set(Wave wave, float hz) {
        const WaveTables& tables = WaveTables::get();
        table = tables.table(wave, hz);
        pairs = tables.pairs(table);
        setFrequency(hz);
    }
    void setFrequency(float hz) { step = uint32_t(double(hz) / SampleRate * 4294967296.0); }
    float next() {
        const uint32_t i = phase >> (32 - WaveTables::Bits);
        const float frac = float(phase & ((1u << (32 - WaveTables::Bits)) - 1)) *
                           (1.0f / float(1u << (32 - WaveTables::Bits)));
        const float a = table[i], b = table[i + 1];
        phase += step;
        return a + (b - a) * frac;
    }
    // The next `n` samples, written to `out`: the same as n calls of next().
    void render(float* out, int n) { phase = readTable(pairs, phase, step, out, n); }
    // Adds the next `n` samples times `gain` to `out`.
    void mixInto(float* out, int n, float gain) {
        phase = mixTable(pairs, phase, step, gain, out, n);
    }
};

// Reads a table at a phase given as a fraction of a cycle in 32 bits.
inline float tableAt(const float* t, uint32_t phase) {
    const uint32_t i = phase >> (32 - WaveTables::Bits);
    const float frac = float(phase & ((1u << (32 - WaveTables::Bits)) - 1)) *
                       (1.0f / float(1u << (32 - WaveTables::Bits)));
    return t[i] + (t[i + 1] - t[i]) * frac;
}

inline float sineAt(uint32_t phase) {
    return tableAt(WaveTables::get().sine(), phase);
}

inline uint32_t cyclesToPhase(float cycles) {
    return uint32_t(int64_t(double(cycles) * 4294967296.0));
}

// Topology-preserving state-variable filter (trapezoidal integration): stable
// at any cutoff, with low-, band- and high-pass outputs from one state.
struct Svf {
    float a1 = 0, a2 = 0, a3 = 0, k = 1;
    float ic1 = 0, ic2 = 0;
    float band = 0, high = 0;

    void set(float hz, float q) {
        hz = std::fmin(std::fmax(hz, 10.0f), 0.45f * SampleRate);
        const float g = std::tan(Pi * hz / SampleRate);
        k = 1.0f / q;
        a1 = 1.0f / (1.0f + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    float low(float v0) {
        const float v3 = v0 - ic2;
        const float v1 = a1 * ic1 + a2 * v3;
        const float v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        band = v1;
        high = v0 - k * v1 - v2;
        return v2;
    }
    void reset() { ic1 = ic2 = 0; }
};

// One-pole low-pass, used for smoothing and gentle damping.
struct OnePole {
    float a = 1, z = 0;
    void setTime(float seconds) {
        a = seconds <= 0 ? 1.0f : 1.0f - std::exp(-1.0f / (seconds * SampleRate));
    }
    void setCutoff(float hz) { a = 1.0f - std::exp(-2.0f * Pi * hz / SampleRate); }
    float next(float x) { return z += a * (x - z); }
};

// Attack, decay to sustain, release: linear attack, exponential decay and
// release. `active` is false once the release has died away.
struct Envelope {
    enum Stage { Idle, Attack, Decay, Sustain, Release };
    Stage stage = Idle;
    float level = 0;
    float attackStep = 1, decayMul = 0, sustain = 0, releaseMul = 0;
    // How far decay and release can fall at most over SteadyFrames frames,
    // rounding included.
    double decayFloor = 0, releaseFloor = 0;

    void configure(float attack, float decay, float sustainLevel, float release) {
        attackStep = 1.0f / std::fmax(1.0f, attack * SampleRate);
        decayMul = std::exp(-1.0f / std::fmax(1.0f, decay * SampleRate / 6.9f));
        sustain = sustainLevel;
        releaseMul = std::exp(-1.0f / std::fmax(1.0f, release * SampleRate / 6.9f));
        // Each float step rounds by at most half a unit in the last place;
        // 2^-23 per step bounds that with room to spare.
        constexpr double Rounding = 1.0 / (1 << 23);
        decayFloor = std::pow(double(decayMul) * (1 - Rounding), SteadyFrames);
        releaseFloor = std::pow(double(releaseMul) * (1 - Rounding), SteadyFrames);
    }
    void start() { stage = Attack; }
    void stop() {
        if (stage != Idle) {
            stage = Release;
        }
    }
    bool active() const { return stage != Idle; }
    // The next `n` levels, written to `out`: exactly what n calls of next()
    // return, but each stage runs as its own loop and a held level is a fill.
    // Returns how many of those frames the envelope was sounding for: up to
    // and including the one on which it fell silent, or `n`.
    int render(float* out, int n);
    // True when the next `n` frames (at most SteadyFrames) cannot change the
    // stage, so a caller may apply the stage's step without its checks.
    bool steadyFor(int n) const;
    static constexpr int SteadyFrames = 256;
    // Calls `use` with a function that takes a level one frame on the way
    // next() does in the current stage, but without its checks; for blocks
    // that steadyFor() allows. The caller keeps the level and stores it back.
    template <class Use> void withSteadyStep(Use&& use) const {
        switch (stage) {
        case Attack: {
            const float step = attackStep;
            use([step](float x) { return x + step; });
            break;
        }
        case Decay: {
            const float target = sustain, mul = decayMul;
            use([target, mul](float x) { return target + (x - target) * mul; });
            break;
        }
        case Release: {
            const float mul = releaseMul;
            use([mul](float x) { return x * mul; });
            break;
        }
        default: // held or silent: the level does not move
            use([](float x) { return x; });
            break;
        }
    }
    float next() {
        switch (stage) {
        case Attack:
            level += attackStep;
            if (level >= 1) {
                level = 1;
                stage = Decay;
            }
            break;
        case Decay:
            level = sustain + (level - sustain) * decayMul;
            if (level - sustain < 1e-3f) {
                level = sustain;
                stage = sustain > 0 ? Sustain : Idle;
            }
            break;
        case Release:
            level *= releaseMul;
            // -60 dB: the release time is the time to silence.
            if (level < 1e-3f) {
                level = 0;
                stage = Idle;
            }
            break;
        default:
            break;
        }
        return level;
    }
};

// White noise from a 32-bit xorshift, -1..1.
struct Noise {
    uint32_t state = 0x12345678;
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(int32_t(state)) * (1.0f / 2147483648.0f);
    }
};

} // namespace keltraWorks
