#include "tools/content/effects.h"

#include "tools/content/dsp.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace keltraWorks {

namespace {

uint32_t powerOfTwoAbove(uint32_t n) {
    uint32_t p = 1;
    while (p < n) {
        p <<= 1;
    }
    return p;
}

} // namespace

StereoDelay::StereoDelay() {
    const uint32_t size = powerOfTwoAbove(2 * SampleRate + 1);
    left.assign(size, 0);
    right.assign(size, 0);
    mask = size - 1;
}

void StereoDelay::configure(float time, float fb, float tone) {
    delay = uint32_t(std::clamp(time, 0.01f, 2.0f) * SampleRate);
    feedback = std::clamp(fb, 0.0f, 0.9f);
    toneA = 1.0f - std::exp(-2.0f * Pi * tone / SampleRate);
}

void StereoDelay::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    // The state is worked on in locals: stores to the rings and the outputs
    // could otherwise alias it and force reloads on every frame.
    float* const ringL = left.data();
    float* const ringR = right.data();
    const uint32_t m = mask, lag = delay;
    const float fb = feedback, a = toneA;
    float lowL = lpL, lowR = lpR;
    uint32_t at = write;
    for (int i = 0; i < n; ++i) {
        const uint32_t read = (at - lag) & m;
        const float dl = ringL[read], dr = ringR[read];
        lowL += a * (dl - lowL);
        lowR += a * (dr - lowR);
        // Ping-pong: each side feeds the other, so echoes alternate.
        ringL[at] = inL[i] * 0.7f + inR[i] * 0.3f + lowR * fb;
        ringR[at] = inR[i] * 0.7f + inL[i] * 0.3f + lowL * fb;
        outL[i] += dl;
        outR[i] += dr;
        at = (at + 1) & m;
    }
    lpL = lowL;
    lpR = lowR;
    write = at;
}

Reverb::Reverb() {
    lines.assign(size_t(Lines) * LineSize, 0);
    for (auto& d : diffuser) {
        d.assign(DiffuserSize, 0);
    }
    configure(1, 3, 0.4f);
}

void Reverb::configure(float size, float decay, float damping) {
    // Lengths in frames, mutually prime, spread between about 23 and 64 ms.
    static const uint32_t base[Lines] = {1031, 1327, 1523, 1801, 2053, 2293, 2557, 2803};
    size = std::clamp(size, 0.5f, 2.0f);
    for (int l = 0; l < Lines; ++l) {
        length[l] = uint32_t(base[l] * size);
        gain[l] = std::pow(10.0f, -3.0f * float(length[l]) / (SampleRate * decay));
    }
    dampA = 1.0f - std::clamp(damping, 0.0f, 0.95f);
    diffuserLength[0] = 337;
    diffuserLength[1] = 579;
}

void Reverb::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    constexpr float AllPass = 0.6f;
    constexpr uint32_t LineMask = LineSize - 1, DiffuserMask = DiffuserSize - 1;
    // The filter states live in locals for the loop, where the compiler can
    // keep them in registers; stores into the rings cannot touch them.
    float state[Lines];
    std::copy(damp, damp + Lines, state);
    int i = 0;
    while (i < n) {
        // Pass 1: the longest stretch over which no ring position wraps, so
        // the loop below reads and writes through plain pointers.
        uint32_t run = std::min(uint32_t(n - i), LineSize - write);
        const float* read[Lines];
        for (int l = 0; l < Lines; ++l) {
            const uint32_t from = (write - length[l]) & LineMask;
            run = std::min(run, LineSize - from);
            read[l] = lines.data() + size_t(l) * LineSize + from;
        }
        float* const written = lines.data() + write;
        float* diffuserIn[2];
        const float* diffuserOut[2];
        run = std::min(run, DiffuserSize - diffuserWrite);
        for (int d = 0; d < 2; ++d) {
            const uint32_t from = (diffuserWrite - diffuserLength[d]) & DiffuserMask;
            run = std::min(run, DiffuserSize - from);
            diffuserOut[d] = diffuser[d].data() + from;
            diffuserIn[d] = diffuser[d].data() + diffuserWrite;
        }

        uint32_t k = 0;
#if defined(__SSE2__)
        // Pass 2: the network four frames at a time. The shortest line and
        // the shortest all-pass are far longer than four frames, so no frame
        // here reads what another of the four writes. Each frame's
        // arithmetic, and the order of every sum, is that of pass 3.
        __m128 state0 = _mm_loadu_ps(state), state1 = _mm_loadu_ps(state + 4);
        const __m128 gain0 = _mm_loadu_ps(gain), gain1 = _mm_loadu_ps(gain + 4);
        const __m128 a = _mm_set1_ps(dampA), allPass = _mm_set1_ps(AllPass);
        const __m128 half = _mm_set1_ps(0.5f), share = _mm_set1_ps(2.0f / Lines);
        for (; k + 4 <= run; k += 4, i += 4) {
            __m128 x = _mm_mul_ps(_mm_add_ps(_mm_loadu_ps(inL + i), _mm_loadu_ps(inR + i)), half);
            for (int d = 0; d < 2; ++d) {
                const __m128 delayed = _mm_loadu_ps(diffuserOut[d] + k);
                const __m128 v = _mm_add_ps(x, _mm_mul_ps(allPass, delayed));
                _mm_storeu_ps(diffuserIn[d] + k, v);
                x = _mm_sub_ps(delayed, _mm_mul_ps(allPass, v));
            }
            // Each line's four frames, turned into each frame's eight lines
            // for the damping filters, which run frame after frame.
            __m128 low[4], high[4];
            for (int l = 0; l < 4; ++l) {
                low[l] = _mm_loadu_ps(read[l] + k);
                high[l] = _mm_loadu_ps(read[l + 4] + k);
            }
            _MM_TRANSPOSE4_PS(low[0], low[1], low[2], low[3]);
            _MM_TRANSPOSE4_PS(high[0], high[1], high[2], high[3]);
            for (int f = 0; f < 4; ++f) {
                state0 = _mm_add_ps(state0, _mm_mul_ps(a, _mm_sub_ps(low[f], state0)));
                state1 = _mm_add_ps(state1, _mm_mul_ps(a, _mm_sub_ps(high[f], state1)));
                low[f] = _mm_mul_ps(state0, gain0);
                high[f] = _mm_mul_ps(state1, gain1);
            }
            // Back to each line's four frames: the sums across lines are
            // then plain additions, in the same order as pass 3.
            _MM_TRANSPOSE4_PS(low[0], low[1], low[2], low[3]);
            _MM_TRANSPOSE4_PS(high[0], high[1], high[2], high[3]);
            const __m128* out[Lines] = {&low[0],  &low[1],  &low[2],  &low[3],
                                        &high[0], &high[1], &high[2], &high[3]};
            __m128 sum = _mm_setzero_ps();
            for (int l = 0; l < Lines; ++l) {
                sum = _mm_add_ps(sum, *out[l]);
            }
            const __m128 fold = _mm_mul_ps(sum, share);
            for (int l = 0; l < Lines; ++l) {
                _mm_storeu_ps(written + size_t(l) * LineSize + k,
                              _mm_add_ps(_mm_sub_ps(*out[l], fold), x));
            }
            const __m128 wetL =
                _mm_add_ps(_mm_add_ps(_mm_add_ps(low[0], low[2]), high[0]), high[2]);
            const __m128 wetR =
                _mm_add_ps(_mm_add_ps(_mm_add_ps(low[1], low[3]), high[1]), high[3]);
            _mm_storeu_ps(outL + i, _mm_add_ps(_mm_loadu_ps(outL + i), _mm_mul_ps(wetL, half)));
            _mm_storeu_ps(outR + i, _mm_add_ps(_mm_loadu_ps(outR + i), _mm_mul_ps(wetR, half)));
        }
        _mm_storeu_ps(state, state0);
        _mm_storeu_ps(state + 4, state1);
#endif
        // Pass 3: the network one frame at a time, for what is left.
        for (; k < run; ++k, ++i) {
            float x = (inL[i] + inR[i]) * 0.5f;
            for (int d = 0; d < 2; ++d) {
                const float delayed = diffuserOut[d][k];
                const float v = x + AllPass * delayed;
                diffuserIn[d][k] = v;
                x = delayed - AllPass * v;
            }
            float out[Lines];
            float sum = 0;
            for (int l = 0; l < Lines; ++l) {
                state[l] += dampA * (read[l][k] - state[l]);
                out[l] = state[l] * gain[l];
                sum += out[l];
            }
            // Householder feedback matrix: every line receives every other
            // line, energy-preserving, at the cost of one sum.
            const float fold = sum * (2.0f / Lines);
            for (int l = 0; l < Lines; ++l) {
                written[size_t(l) * LineSize + k] = out[l] - fold + x;
            }
            outL[i] += (out[0] + out[2] + out[4] + out[6]) * 0.5f;
            outR[i] += (out[1] + out[3] + out[5] + out[7]) * 0.5f;
        }
        write = (write + run) & LineMask;
        diffuserWrite = (diffuserWrite + run) & DiffuserMask;
    }
    std::copy(state, state + Lines, damp);
}

} // namespace keltraWorks
