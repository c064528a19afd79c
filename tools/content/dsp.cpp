#include "tools/content/dsp.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace keltraWorks {

namespace {

constexpr int FracBits = 32 - WaveTables::Bits;
constexpr uint32_t FracMask = (1u << FracBits) - 1;

#if defined(__SSE2__)
// Four table reads: the same arithmetic as tableAt, lane by lane.
inline __m128 readFour(const float* pairs, __m128i phases) {
    alignas(16) uint32_t k[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(k), _mm_srli_epi32(phases, FracBits));
    const __m128 frac =
        _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(phases, _mm_set1_epi32(int(FracMask)))),
                   _mm_set1_ps(1.0f / float(1u << FracBits)));
    __m128 p01 = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(pairs + 2 * k[0]));
    p01 = _mm_loadh_pi(p01, reinterpret_cast<const __m64*>(pairs + 2 * k[1]));
    __m128 p23 = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(pairs + 2 * k[2]));
    p23 = _mm_loadh_pi(p23, reinterpret_cast<const __m64*>(pairs + 2 * k[3]));
    const __m128 a = _mm_shuffle_ps(p01, p23, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 b = _mm_shuffle_ps(p01, p23, _MM_SHUFFLE(3, 1, 3, 1));
    return _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), frac));
}

inline __m128i fourPhases(uint32_t phase, uint32_t step) {
    return _mm_setr_epi32(int(phase), int(phase + step), int(phase + 2 * step),
                          int(phase + 3 * step));
}
#endif

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
        const __m128 sum = _mm_add_ps(_mm_loadu_ps(out + i), _mm_mul_ps(g, readFour(pairs, phases)));
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

} // namespace keltraWorks
