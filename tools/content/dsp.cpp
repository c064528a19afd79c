#include "tools/content/dsp.h"

#include <algorithm>
#include <cstddef>

namespace keltraWorks {

namespace {

constexpr int FracBits = 32 - WaveTables::Bits;
constexpr uint32_t FracMask = (1u << FracBits) - 1;

inline float readOne(const float* pairs, uint32_t phase) {
    const float* p = pairs + 2 * (phase >> FracBits);
    const float frac = float(phase & FracMask) * (1.0f / float(1u << FracBits));
    return p[0] + (p[1] - p[0]) * frac;
}

} // namespace

uint32_t readTable(const float* pairs, uint32_t phase, uint32_t step, float* out, int n) {
    int i = 0;
#if defined(__SSE2__)
    __m128i phases = fourPhases(phase, step);
    const __m128i advance = _mm_set1_epi32(int(4 * step));
    for (; i + 4 <= n; i += 4) {
        _mm_storeu_ps(out + i, readFour(pairs, phases));
        phases = _mm_add_epi32(phases, advance);
    }
    phase += uint32_t(i) * step;
#endif
    for (; i < n; ++i) {
        out[i] = readOne(pairs, phase);
        phase += step;
    }
    return phase;
}

uint32_t mixTable(const float* pairs, uint32_t phase, uint32_t step, float gain, float* out,
                  int n) {
    int i = 0;
#if defined(__SSE2__)
    __m128i phases = fourPhases(phase, step);
    const __m128i advance = _mm_set1_epi32(int(4 * step));
    const __m128 g = _mm_set1_ps(gain);
    for (; i + 4 <= n; i += 4) {
        const __m128 sum =
            _mm_add_ps(_mm_loadu_ps(out + i), _mm_mul_ps(g, readFour(pairs, phases)));
        _mm_storeu_ps(out + i, sum);
        phases = _mm_add_epi32(phases, advance);
    }
    phase += uint32_t(i) * step;
#endif
    for (; i < n; ++i) {
        out[i] += gain * readOne(pairs, phase);
        phase += step;
    }
    return phase;
}

void readTableAt(const float* pairs, const uint32_t* phases, float* out, int n) {
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(phases + i));
        _mm_storeu_ps(out + i, readFour(pairs, p));
    }
#endif
    for (; i < n; ++i) {
        out[i] = readOne(pairs, phases[i]);
    }
}

const WaveTables& WaveTables::get() {
    static const WaveTables tables;
    return tables;
}

WaveTables::WaveTables() {
    for (int i = 0; i <= Size; ++i) {
        sineTable[i] = float(std::sin(2.0 * M_PI * (i % Size) / Size));
    }
    // Band b serves pitches up to 20 Hz x 2^(b + 1).
    for (int b = 0; b < Bands; ++b) {
        const double top = 20.0 * std::exp2(b + 1);
        const int harmonics = std::max(1, int(18000.0 / top));
        for (int w = 0; w < 3; ++w) {
            float* t = bands[w][b];
            double peak = 0;
            for (int i = 0; i < Size; ++i) {
                double v = 0;
                for (int h = 1; h <= harmonics && h < Size / 2; ++h) {
                    // The sine table at index h * i wraps exactly, so each
                    // harmonic is read without calling sin again.
                    const double s = sineTable[(size_t(h) * i) % Size];
                    if (w == 0) { // saw
                        v += s / h;
                    } else if (w == 1 && (h & 1)) { // square
                        v += s / h;
                    } else if (w == 2 && (h & 1)) { // triangle, alternating signs
                        v += ((h / 2) & 1 ? -1.0 : 1.0) * s / (double(h) * h);
                    }
                }
                t[i] = float(v);
                peak = std::max(peak, std::fabs(v));
            }
            for (int i = 0; i < Size; ++i) {
                t[i] = float(t[i] / peak);
            }
            t[Size] = t[0];
        }
    }
    auto pair = [](const float* t, float* p) {
        for (int i = 0; i < Size; ++i) {
            p[2 * i] = t[i];
            p[2 * i + 1] = t[i + 1];
        }
    };
    pair(sineTable, sinePairs);
    for (int w = 0; w < 3; ++w) {
        for (int b = 0; b < Bands; ++b) {
            pair(bands[w][b], bandPairs[w][b]);
        }
    }
}

const float* WaveTables::pairs(const float* t) const {
    if (t == sineTable) {
        return sinePairs;
    }
    const std::ptrdiff_t index = (t - &bands[0][0][0]) / (Size + 1);
    return &bandPairs[0][0][0] + index * 2 * Size;
}

const float* WaveTables::table(Wave wave, float hz) const {
    if (wave == Wave::Sine) {
        return sineTable;
    }
    int b = 0;
    while (b < Bands - 1 && hz > 20.0f * std::exp2(float(b + 1))) {
        ++b;
    }
    const int w = wave == Wave::Saw ? 0 : wave == Wave::Square ? 1 : 2;
    return bands[w][b];
}

int Envelope::render(float* out, int n) {
    // Level and stage are worked on in locals: stores to `out` could
    // otherwise alias them and force a reload on every frame.
    float x = level;
    Stage now = stage;
    if (now == Idle) {
        std::fill(out, out + n, x);
        return 0;
    }
    int i = 0;
    while (i < n && now != Idle) {
        switch (now) {
        case Attack:
            while (i < n) {
                x += attackStep;
                if (x >= 1) {
                    x = 1;
                    now = Decay;
                    out[i++] = x;
                    break;
                }
                out[i++] = x;
            }
            break;
        case Decay:
            while (i < n) {
                x = sustain + (x - sustain) * decayMul;
                if (x - sustain < 1e-3f) {
                    x = sustain;
                    now = sustain > 0 ? Sustain : Idle;
                    out[i++] = x;
                    break;
                }
                out[i++] = x;
            }
            break;
        case Release:
            while (i < n) {
                x *= releaseMul;
                if (x < 1e-3f) {
                    x = 0;
                    now = Idle;
                    out[i++] = x;
                    break;
                }
                out[i++] = x;
            }
            break;
        default: // Sustain holds its level until stop().
            std::fill(out + i, out + n, x);
            i = n;
            break;
        }
    }
    const int sounding = i;
    std::fill(out + i, out + n, x);
    level = x;
    stage = now;
    return sounding;
}

bool Envelope::steadyFor(int n) const {
    // The checks in next() compare against 1 and 1e-3; these bounds keep a
    // margin from both, so a block that passes cannot reach either.
    constexpr double Rounding = 1.0 / (1 << 23);
    if (n > SteadyFrames) {
        return false;
    }
    switch (stage) {
    case Attack:
        return double(level) + n * (double(attackStep) + Rounding) < 1.0;
    case Decay:
        // Three roundings per step, each below 2^-24 of values at most 1.
        return (double(level) - sustain) * decayFloor - n * 4 * Rounding > 1.001e-3;
    case Release:
        return double(level) * releaseFloor > 1.001e-3;
    default:
        return true;
    }
}

} // namespace keltraWorks
