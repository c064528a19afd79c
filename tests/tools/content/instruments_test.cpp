#include "tools/content/drum_kit.h"
#include "tools/content/dsp.h"
#include "tools/content/effects.h"
#include "tools/content/fm_voice.h"
#include "tools/content/pad_instrument.h"
#include "tools/content/pluck_voice.h"
#include "tools/content/synth_voice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using namespace keltraWorks;

namespace {

struct Stereo {
    std::vector<float> left, right;
};

// Renders `frames` in blocks of 256, calling `before` at each block's start.
Stereo renderFor(int frames, const std::function<void(float*, float*, int)>& render,
                 const std::function<void(int)>& before = {}) {
    Stereo out{std::vector<float>(size_t(frames)), std::vector<float>(size_t(frames))};
    for (int at = 0; at < frames; at += 256) {
        if (before) {
            before(at);
        }
        render(out.left.data() + at, out.right.data() + at, std::min(256, frames - at));
    }
    return out;
}

// Frequency of a steady tone near `expectedHz`, from the lag that best
// matches the signal with itself (autocorrelation, refined between lags), so
// strong overtones do not fool it. `from` skips the onset.
double frequencyOf(const std::vector<float>& s, size_t from, double expectedHz) {
    const double period = SampleRate / expectedHz;
    const int lo = int(period * 0.8), hi = int(period * 1.25) + 1;
    const size_t span = s.size() - from - size_t(hi) - 1;
    auto match = [&](int lag) {
        double sum = 0;
        for (size_t i = from; i < from + span; ++i) {
            sum += double(s[i]) * s[i + size_t(lag)];
        }
        return sum;
    };
    int best = lo;
    double bestValue = match(lo);
    for (int lag = lo + 1; lag <= hi; ++lag) {
        const double v = match(lag);
        if (v > bestValue) {
            bestValue = v;
            best = lag;
        }
    }
    const double left = match(best - 1), right = match(best + 1);
    const double shift = 0.5 * (left - right) / (left - 2 * bestValue + right);
    return SampleRate / (best + shift);
}

double cents(double measured, double expected) {
    return 1200 * std::log2(measured / expected);
}

// The largest jump between neighbouring samples within `radius` of `at`.
double stepNear(const std::vector<float>& s, int at, int radius) {
    double step = 0;
    for (int i = std::max(1, at - radius); i < std::min(int(s.size()), at + radius); ++i) {
        step = std::max(step, double(std::fabs(s[size_t(i)] - s[size_t(i) - 1])));
    }
    return step;
}

} // namespace

TEST(Instruments, VoicesPlayInTune) {
    // A4 = 440 Hz on every voice kind; the plucked string's loop filter must
    // be compensated, or it plays flat.
    SynthPatch sine;
    sine.wave1 = sine.wave2 = Wave::Sine;
    sine.mix2 = 0;
    sine.cutoff = 8000;
    sine.attack = 0.001f;
    sine.sustain = 1;
    SynthVoice synth;
    synth.noteOn(sine, 69, 1, 0);
    const auto a =
        renderFor(SampleRate, [&](float* l, float* r, int n) { synth.render(l, r, n, 1); });
    EXPECT_NEAR(cents(frequencyOf(a.left, 2000, 440), 440), 0, 2);

    FmPatch pure;
    pure.index = 0;
    pure.indexFloor = 0;
    pure.decay = 5;
    FmVoice fm;
    fm.noteOn(pure, 69, 1, 0);
    const auto b = renderFor(SampleRate, [&](float* l, float* r, int n) { fm.render(l, r, n); });
    EXPECT_NEAR(cents(frequencyOf(b.left, 2000, 440), 440), 0, 2);

    for (float damping : {0.2f, 0.8f}) {
        PluckPatch string;
        string.damping = damping;
        string.sustain = 0.999f;
        PluckVoice pluck;
        pluck.noteOn(string, 69, 1, 0);
        const auto c =
            renderFor(SampleRate / 2, [&](float* l, float* r, int n) { pluck.render(l, r, n); });
        EXPECT_NEAR(cents(frequencyOf(c.left, 4000, 440), 440), 0, 5) << "damping " << damping;
    }
}

TEST(Instruments, RetakingASoundingVoiceDoesNotClick) {
    // A voice is struck, then struck again at another pitch while it still
    // sounds loudly. Where the new note takes over, the waveform must move no
    // more sharply than it did just before (a pure FM sine is smooth, so a
    // click there stands out twentyfold).
    const int retake = 256 * 8;
    auto smoothAtRetake = [&](const char* what, const std::vector<float>& s) {
        const double before = stepNear(s, retake - 129, 128);
        const double at = stepNear(s, retake + 2, 3);
        ASSERT_GT(before, 0.0) << what;
        EXPECT_LT(at, 3 * before) << what << ": before " << before << ", at the retake " << at;
    };
    FmPatch sine;
    sine.index = 0;
    sine.indexFloor = 0;
    sine.decay = 3;
    FmVoice fm;
    smoothAtRetake("fm", renderFor(
                             SampleRate / 4, [&](float* l, float* r, int n) { fm.render(l, r, n); },
                             [&](int at) {
                                 if (at == 0 || at == retake) {
                                     fm.noteOn(sine, at == 0 ? 60.0f : 67.0f, 1, 0);
                                 }
                             })
                             .left);
    // A kick struck again while the last one still booms must start no
    // sharper than a kick from silence.
    DrumKit kit;
    kit.configure(DrumKitTuning{});
    const auto kicks = renderFor(
        SampleRate / 4, [&](float* l, float* r, int n) { kit.render(l, r, n); },
        [&](int at) {
            if (at == 0 || at == retake) {
                kit.trigger(Drum::Kick, 1);
            }
        });
    const double first = stepNear(kicks.left, 0, 256);
    const double again = stepNear(kicks.left, retake, 256);
    EXPECT_LT(again, 1.5 * first) << "kick from silence " << first << ", into a kick " << again;
}

TEST(Instruments, EnvelopeReleaseEndsTheVoiceInItsReleaseTime) {
    SynthPatch patch;
    patch.attack = 0.001f;
    patch.sustain = 1;
    patch.release = 0.2f;
    SynthVoice voice;
    voice.noteOn(patch, 60, 1, 0);
    std::vector<float> l(256), r(256);
    for (int i = 0; i < 20; ++i) {
        voice.render(l.data(), r.data(), 256, 1);
    }
    voice.noteOff();
    int frames = 0;
    while (voice.active() && frames < SampleRate) {
        voice.render(l.data(), r.data(), 256, 1);
        frames += 256;
    }
    EXPECT_NEAR(double(frames) / SampleRate, 0.2, 0.02);
}

TEST(Wavetables, HighNotesGetTablesWithoutHarmonicsPastTheAudibleRange) {
    // The table picked for a pitch must hold no harmonic that would land
    // above 18 kHz at that pitch (it would alias). Measured by a direct DFT.
    for (float hz : {55.0f, 880.0f, 5000.0f}) {
        const float* t = WaveTables::get().table(Wave::Saw, hz);
        const int size = WaveTables::Size;
        double worst = 0, fundamental = 0;
        for (int h = 1; h < 200; ++h) {
            double re = 0, im = 0;
            for (int i = 0; i < size; ++i) {
                re += t[i] * std::cos(2 * M_PI * h * i / size);
                im += t[i] * std::sin(2 * M_PI * h * i / size);
            }
            const double magnitude = std::hypot(re, im);
            if (h == 1) {
                fundamental = magnitude;
            } else if (h * hz > 18000) {
                worst = std::max(worst, magnitude);
            }
        }
        EXPECT_LT(worst, fundamental * 1e-3) << hz << " Hz";
        EXPECT_GT(fundamental, 0);
    }
}

TEST(Effects, ReverbTailDecaysInItsTimeAndStaysStable) {
    Reverb reverb;
    reverb.configure(1.4f, 2.0f, 0.4f);
    std::vector<float> in(256, 0.0f), silence(256, 0.0f);
    in[0] = 1;
    std::vector<double> energy; // per 0.1 s
    double bucket = 0;
    int inBucket = 0;
    for (int block = 0; block < SampleRate * 4 / 256; ++block) {
        std::vector<float> l(256, 0.0f), r(256, 0.0f);
        reverb.process(block == 0 ? in.data() : silence.data(),
                       block == 0 ? in.data() : silence.data(), l.data(), r.data(), 256);
        for (int i = 0; i < 256; ++i) {
            ASSERT_TRUE(std::isfinite(l[size_t(i)]));
            bucket += double(l[size_t(i)]) * l[size_t(i)] + double(r[size_t(i)]) * r[size_t(i)];
            if (++inBucket == SampleRate / 10) {
                energy.push_back(bucket);
                bucket = 0;
                inBucket = 0;
            }
        }
    }
    // Level 60 dB down (energy 1e-6) after about two seconds: compare the
    // buckets at 0.3 s and 2.3 s.
    const double drop = 10 * std::log10(energy[3] / energy[23]);
    EXPECT_NEAR(drop, 60, 12);
    EXPECT_LT(energy.back(), energy[3] * 1e-7);
}

TEST(Effects, EchoRepeatsAtItsTimeFromSideToSide) {
    StereoDelay echo;
    echo.configure(0.25f, 0.5f, 20000);
    const int delay = SampleRate / 4;
    std::vector<float> l(size_t(delay) * 3 + 10, 0.0f), r(l.size(), 0.0f);
    std::vector<float> inL(l.size(), 0.0f), inR(l.size(), 0.0f);
    inL[0] = 1; // a click on the left only
    echo.process(inL.data(), inR.data(), l.data(), r.data(), int(l.size()));
    auto loudest = [&](const std::vector<float>& s, int around) {
        int best = around - 5;
        for (int i = around - 5; i <= around + 5; ++i) {
            if (std::fabs(s[size_t(i)]) > std::fabs(s[size_t(best)])) {
                best = i;
            }
        }
        return best;
    };
    EXPECT_EQ(loudest(l, delay), delay);
    EXPECT_GT(l[size_t(delay)], r[size_t(delay)]);
    // The second echo has crossed to the other side and is quieter.
    const int second = loudest(r, 2 * delay);
    EXPECT_NEAR(second, 2 * delay, 2);
    EXPECT_GT(std::fabs(r[size_t(second)]), std::fabs(l[size_t(second)]));
    EXPECT_LT(std::fabs(r[size_t(second)]), l[size_t(delay)]);
}

namespace {

// Renders `frames` in blocks of `block`, calling `before` at the start of
// every frame that is a multiple of `block` (so events land on the same
// frames whatever the block size, when their frames are multiples of it).
Stereo renderInBlocks(int frames, int block, const std::function<void(float*, float*, int)>& render,
                      const std::function<void(int)>& before = {}) {
    Stereo out{std::vector<float>(size_t(frames)), std::vector<float>(size_t(frames))};
    for (int at = 0; at < frames; at += block) {
        if (before) {
            before(at);
        }
        render(out.left.data() + at, out.right.data() + at, std::min(block, frames - at));
    }
    return out;
}

} // namespace

TEST(Envelope, BlockPathsGiveTheLevelsOfFrameByFrame) {
    // Block rendering and the unchecked steps of a steady block must give,
    // bit for bit, the levels and stages that next() gives one frame at a
    // time, through every stage change, with blocks of many sizes.
    struct Shape {
        float attack, decay, sustain, release;
        int stopAt; // frame of the note's end
    };
    const Shape shapes[] = {{0.01f, 0.1f, 0.5f, 0.05f, 9000},
                            {0.002f, 0.3f, 0.0f, 0.1f, 30000},
                            {0.05f, 1.0f, 1.0f, 0.2f, 5000},
                            {0.2f, 0.1f, 0.7f, 0.01f, 1000}}; // stopped mid-attack
    for (uint32_t run = 1; run <= 40; ++run) {
        uint32_t seed = run;
        for (const Shape& shape : shapes) {
            Envelope frameByFrame, blocks;
            frameByFrame.configure(shape.attack, shape.decay, shape.sustain, shape.release);
            blocks.configure(shape.attack, shape.decay, shape.sustain, shape.release);
            frameByFrame.start();
            blocks.start();
            int steadyBlocks = 0;
            bool stopped = false;
            for (int at = 0; at < 40000;) {
                seed = seed * 1664525u + 1013904223u;
                const int n = 1 + int(seed >> 24); // 1..256
                if (!stopped && shape.stopAt < at + n) {
                    stopped = true;
                    // Land the stop on a block boundary, as voices see it.
                    const int before = shape.stopAt - at;
                    for (int i = 0; i < before; ++i) {
                        frameByFrame.next();
                    }
                    float out[256];
                    blocks.render(out, before);
                    at += before;
                    frameByFrame.stop();
                    blocks.stop();
                    continue;
                }
                std::vector<float> expected(static_cast<size_t>(n));
                int sounding = 0;
                for (int i = 0; i < n; ++i) {
                    const bool wasActive = frameByFrame.active();
                    expected[size_t(i)] = frameByFrame.next();
                    sounding += wasActive ? 1 : 0;
                }
                std::vector<float> got(static_cast<size_t>(n));
                if (blocks.steadyFor(n)) {
                    ++steadyBlocks;
                    const auto stage = blocks.stage;
                    blocks.withSteadyStep([&](auto step) {
                        for (int i = 0; i < n; ++i) {
                            got[size_t(i)] = blocks.level = step(blocks.level);
                        }
                    });
                    ASSERT_EQ(stage, frameByFrame.stage)
                        << "a steady block changed stage at " << at;
                } else {
                    EXPECT_EQ(blocks.render(got.data(), n), sounding) << "at frame " << at;
                }
                for (int i = 0; i < n; ++i) {
                    ASSERT_EQ(got[size_t(i)], expected[size_t(i)]) << "frame " << at + i;
                }
                ASSERT_EQ(blocks.stage, frameByFrame.stage) << "after frame " << at + n;
                at += n;
            }
            EXPECT_FALSE(frameByFrame.active()) << "the shape should end within the test";
            EXPECT_GT(steadyBlocks, 10);
        }
    }
}

TEST(Wavetables, BlockReadersGiveExactlyTheSingleReads) {
    const WaveTables& tables = WaveTables::get();
    const float* table = tables.table(Wave::Saw, 300);
    const float* pairs = tables.pairs(table);
    // Lengths that leave every possible tail after groups of four.
    for (int n : {1, 2, 3, 4, 7, 256}) {
        const uint32_t start = 0xfff00000u, step = 0x01234567u; // wraps on the way
        std::vector<float> read(static_cast<size_t>(n)), mixed(size_t(n), 0.25f),
            at(static_cast<size_t>(n));
        std::vector<uint32_t> phases(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            phases[size_t(i)] = start + step * uint32_t(i) * 7u; // scattered
        }
        EXPECT_EQ(readTable(pairs, start, step, read.data(), n), start + step * uint32_t(n));
        EXPECT_EQ(mixTable(pairs, start, step, 0.5f, mixed.data(), n), start + step * uint32_t(n));
        readTableAt(pairs, phases.data(), at.data(), n);
        for (int i = 0; i < n; ++i) {
            const float single = tableAt(table, start + step * uint32_t(i));
            EXPECT_EQ(read[size_t(i)], single) << "n " << n << ", frame " << i;
            EXPECT_EQ(mixed[size_t(i)], 0.25f + 0.5f * single) << "n " << n << ", frame " << i;
            EXPECT_EQ(at[size_t(i)], tableAt(table, phases[size_t(i)])) << "n " << n;
        }
    }
    EXPECT_EQ(tables.pairs(tables.sine())[1], tables.sine()[1]);
}

TEST(Instruments, BlockSizeDoesNotChangeTheSound) {
    // Large blocks take the four-at-a-time and steady-envelope paths; blocks
    // of one and three frames take the frame-by-frame ones. The sound must
    // be the same to the bit. Events fall on multiples of 768 frames, which
    // every block size here divides.
    const int frames = SampleRate;
    auto same = [](const char* what, const Stereo& a, const Stereo& b) {
        ASSERT_EQ(a.left, b.left) << what;
        ASSERT_EQ(a.right, b.right) << what;
        double energy = 0;
        for (float s : a.left) {
            energy += double(s) * s;
        }
        EXPECT_GT(energy, 1e-3) << what << " is silent, so the comparison proves nothing";
    };
    for (int block : {1, 3}) {
        auto pad = [&](int size) {
            SynthPatch patch;
            patch.attack = 0.05f;
            patch.release = 0.3f;
            PadInstrument instrument;
            instrument.configure(patch);
            const int first[4] = {57, 60, 64, 67}, second[4] = {55, 59, 62, 65};
            return renderInBlocks(
                frames, size, [&](float* l, float* r, int n) { instrument.render(l, r, n, 0.9f); },
                [&](int at) {
                    if (at == 0 || at == 768 * 24) {
                        instrument.playChord(at == 0 ? first : second, 4);
                    }
                });
        };
        same("pad", pad(256), pad(block));

        auto synth = [&](int size) {
            SynthPatch patch;
            patch.envAmount = 2000;
            patch.sub = 0.5f;
            SynthVoice voice;
            return renderInBlocks(
                frames, size, [&](float* l, float* r, int n) { voice.render(l, r, n, 1.1f); },
                [&](int at) {
                    if (at == 0) {
                        voice.noteOn(patch, 45, 1, -0.3f);
                    } else if (at == 768 * 20) {
                        voice.noteOff();
                    }
                });
        };
        same("synth", synth(256), synth(block));

        auto fm = [&](int size) {
            FmPatch patch;
            patch.shimmerCents = 6;
            FmVoice voice;
            return renderInBlocks(
                frames, size, [&](float* l, float* r, int n) { voice.render(l, r, n); },
                [&](int at) {
                    // (Not a retake: its fade-out restarts its ramp with each
                    // call, so that one depends on the blocks by design.)
                    if (at == 0) {
                        voice.noteOn(patch, 72, 0.9f, 0.4f);
                    } else if (at == 768 * 20) {
                        voice.noteOff();
                    }
                });
        };
        same("fm", fm(256), fm(block));

        auto reverb = [&](int size) {
            Reverb room;
            room.configure(0.7f, 1.5f, 0.3f);
            std::vector<float> inL(size_t(frames), 0.0f), inR(size_t(frames), 0.0f);
            for (int i = 0; i < 2000; ++i) {
                inL[size_t(i)] = std::sin(0.05f * float(i));
                inR[size_t(i)] = 0.5f * std::cos(0.031f * float(i));
            }
            int done = 0;
            return renderInBlocks(frames, size, [&](float* l, float* r, int n) {
                room.process(inL.data() + done, inR.data() + done, l, r, n);
                done += n;
            });
        };
        same("reverb", reverb(256), reverb(block));
    }
}
