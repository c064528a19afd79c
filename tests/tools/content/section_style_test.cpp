#include "tools/content/section_style.h"
#include "tools/content/section_synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace keltraWorks;

namespace {

void expectPatterns(const std::vector<std::string>& patterns, size_t steps,
                    const std::string& allowed, const std::string& what) {
    for (const std::string& p : patterns) {
        EXPECT_EQ(p.size(), steps) << what << " \"" << p << "\"";
        for (char c : p) {
            EXPECT_NE(allowed.find(c), std::string::npos) << what << " \"" << p << "\"";
        }
    }
}

} // namespace

TEST(SectionStyles, PatternsAndHarmonyAreWellFormed) {
    const auto& styles = sectionStyles();
    ASSERT_EQ(styles.size(), size_t(SectionCount));
    std::set<std::string> titles;
    for (const SectionStyle& s : styles) {
        SCOPED_TRACE(s.score.title);
        titles.insert(s.score.title);
        const size_t steps = size_t(s.score.stepsPerBeat * s.score.beatsPerBar);
        const std::string hits = "Xxo-.";
        expectPatterns(s.drums.kick, steps, hits, "kick");
        expectPatterns(s.drums.snare, steps, hits, "snare");
        expectPatterns(s.drums.clap, steps, hits, "clap");
        expectPatterns(s.drums.hat, steps, hits, "hat");
        expectPatterns(s.drums.openHat, steps, hits, "open hat");
        expectPatterns(s.drums.shaker, steps, hits, "shaker");
        expectPatterns(s.drums.rim, steps, hits, "rim");
        expectPatterns(s.bass.patterns, steps, "R357O-.", "bass");
        expectPatterns(s.arp.patterns, steps, "01234567r.", "arpeggio");
        EXPECT_FALSE(s.score.progressionA.empty());
        for (const auto* progression : {&s.score.progressionA, &s.score.progressionB}) {
            for (int degree : *progression) {
                EXPECT_GE(degree, 0);
                EXPECT_LE(degree, 6);
            }
        }
        for (size_t i = 1; i < s.score.mode.size(); ++i) {
            EXPECT_GT(s.score.mode[i], s.score.mode[i - 1]);
        }
    }
    EXPECT_EQ(titles.size(), size_t(SectionCount));
    for (size_t i = 1; i < SectionStarts.size(); ++i) {
        EXPECT_GT(SectionStarts[i], SectionStarts[i - 1]);
    }
    EXPECT_LT(SectionStarts.back(), MusicFadedSeconds);
    EXPECT_GE(MusicFadedSeconds, 5900);
    EXPECT_LE(MusicFadedSeconds, 5912) << "the player stops at 5912 s";
}

TEST(SectionSynth, LongPieceVariesItsIntensityAndDifferentPiecesDiffer) {
    // Twenty minutes are not one loop: the plan rises and falls.
    const auto& styles = sectionStyles();
    SectionSynth opening(styles[0], int64_t(1234) * 44100, 1);
    ASSERT_GT(opening.phraseCount(), 20);
    float low = 1, high = 0;
    for (int p = 0; p < opening.phraseCount(); ++p) {
        low = std::min(low, opening.phraseIntensity(p));
        high = std::max(high, opening.phraseIntensity(p));
    }
    EXPECT_GT(high - low, 0.2f);

    // Two seconds of two different pieces do not sound alike: their signals
    // are far from each other (negative control: the same piece twice is
    // identical).
    auto render = [&](int section) {
        SectionSynth synth(styles[size_t(section)], 44100 * 20, 5);
        std::vector<float> l(44100 * 4), r(44100 * 4);
        synth.render(l.data(), r.data(), int(l.size()));
        return l;
    };
    const auto a = render(4), b = render(7), a2 = render(4);
    EXPECT_TRUE(a == a2);
    double diff = 0, energy = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        diff += double(a[i] - b[i]) * (a[i] - b[i]);
        energy += double(a[i]) * a[i];
    }
    EXPECT_GT(energy, 0);
    EXPECT_GT(diff, energy * 0.5);
}
