#include "tools/content/limiter.h"
#include "tools/content/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace keltraWorks;

namespace {

constexpr int Block = Limiter::BlockFrames;

// Runs `signal` (one channel, copied to both) through a limiter and returns
// what comes out, one block later.
std::vector<float> limit(const std::vector<float>& signal, float ceiling) {
    Limiter limiter(ceiling);
    std::vector<float> out;
    for (size_t at = 0; at < signal.size() + Block; at += Block) {
        float l[Block], r[Block];
        for (int i = 0; i < Block; ++i) {
            l[i] = r[i] = at + size_t(i) < signal.size() ? signal[at + size_t(i)] : 0.0f;
        }
        limiter.processBlock(l, r);
        out.insert(out.end(), l, l + Block);
    }
    return out;
}

} // namespace

TEST(Limiter, QuietSignalPassesUnchangedOneBlockLate) {
    std::vector<float> in(Block * 6);
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = 0.5f * std::sin(float(i) * 0.05f);
    }
    const auto out = limit(in, 0.8f);
    for (int i = 0; i < Block; ++i) {
        ASSERT_EQ(out[size_t(i)], 0.0f);
    }
    for (size_t i = 0; i < in.size(); ++i) {
        ASSERT_EQ(out[i + Block], in[i]) << i;
    }
}

TEST(Limiter, LoudBurstsNeverPassTheCeilingAndGainMovesSmoothly) {
    Random rnd(3);
    std::vector<float> in(Block * 200);
    for (size_t i = 0; i < in.size(); ++i) {
        // Quiet noise with sudden bursts up to four times the ceiling, some
        // as short as one frame, some straddling block edges.
        const bool burst = (i / 300) % 7 == 3 || i % 997 == 0;
        in[i] = float(rnd.range(-1, 1)) * (burst ? 3.2f : 0.3f);
    }
    const float ceiling = 0.8f;
    const auto out = limit(in, ceiling);
    float peak = 0;
    for (float v : out) {
        peak = std::max(peak, std::fabs(v));
    }
    EXPECT_LE(peak, ceiling * 1.00001f);
    // The gain (out / in where the input is not tiny) never jumps.
    float previous = 1;
    for (size_t i = 0; i < in.size(); ++i) {
        if (std::fabs(in[i]) < 0.05f) {
            continue;
        }
        const float gain = out[i + Block] / in[i];
        ASSERT_LE(gain, 1.00001f);
        if (i > 0 && std::fabs(in[i - 1]) >= 0.05f) {
            ASSERT_LT(std::fabs(gain - previous), 0.02f) << "at frame " << i;
        }
        previous = gain;
    }
}

TEST(Limiter, NonFiniteInputIsSilencedInsteadOfSpreading) {
    std::vector<float> in(Block * 4, 0.25f);
    in[Block + 5] = std::nanf("");
    in[Block + 9] = INFINITY;
    const auto out = limit(in, 0.8f);
    for (float v : out) {
        ASSERT_TRUE(std::isfinite(v));
        ASSERT_LE(std::fabs(v), 0.8f);
    }
    EXPECT_GT(out[out.size() - Block - 1], 0.0f) << "the signal carries on afterwards";
}
