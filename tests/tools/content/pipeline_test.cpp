#include "tools/content/block_queue.h"
#include "tools/content/music_synth.h"
#include "tools/content/progress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace keltraWorks;

TEST(BlockQueue, HandsOverEveryItemInOrderAcrossThreads) {
    BlockQueue<int> queue(3); // small, so the producer has to wait often
    std::thread producer([&] {
        for (int i = 0; i < 2000; ++i) {
            ASSERT_TRUE(queue.push(i));
        }
        queue.close();
    });
    std::vector<int> got;
    int item = 0;
    while (queue.pop(item)) {
        got.push_back(item);
    }
    producer.join();
    ASSERT_EQ(got.size(), 2000u);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(got[size_t(i)], i);
    }
}

TEST(BlockQueue, ClosingReleasesAWaitingProducer) {
    // The encoder gives up while the synthesiser waits on a full queue: the
    // synthesiser must wake and stop, not hang.
    BlockQueue<int> queue(1);
    ASSERT_TRUE(queue.push(1));
    bool pushed = true;
    std::thread producer([&] { pushed = queue.push(2); });
    queue.close();
    producer.join();
    EXPECT_FALSE(pushed);
    int item = 0;
    EXPECT_TRUE(queue.pop(item)) << "what was queued before closing is still handed out";
    EXPECT_EQ(item, 1);
    EXPECT_FALSE(queue.pop(item));
}

TEST(MusicSynth, SectionsStartAtTheirScaledFrames) {
    MusicSynth full(MusicSeconds);
    EXPECT_EQ(full.totalFrames(), int64_t(5920) * 44100);
    EXPECT_EQ(full.sectionStart(1), int64_t(1234) * 44100);
    EXPECT_EQ(full.sectionStart(9), int64_t(5653) * 44100);
    MusicSynth quick(59.2); // a hundredth
    EXPECT_EQ(quick.totalFrames(), 2610720);
    EXPECT_EQ(quick.sectionStart(1), std::llround(12.34 * 44100));
    EXPECT_EQ(quick.sectionStart(4), std::llround(29.96 * 44100));
}

TEST(MusicSynth, OutputDoesNotDependOnHowItIsAskedFor) {
    // The writer asks for large chunks, the limiter works in blocks of 256:
    // odd chunk sizes across block edges and section boundaries must give
    // exactly the same frames as one large request.
    const double seconds = 12;
    MusicSynth once(seconds), pieces(seconds);
    const size_t total = size_t(once.totalFrames());
    std::vector<float> a(total), b(total), c(total), d(total);
    once.render(a.data(), b.data(), int(total));
    size_t at = 0;
    const int sizes[] = {1, 255, 257, 1000, 4096, 7, 16384};
    for (int k = 0; at < total; ++k) {
        const size_t n = std::min(total - at, size_t(sizes[k % 7]));
        pieces.render(c.data() + at, d.data() + at, int(n));
        at += n;
    }
    EXPECT_TRUE(a == c);
    EXPECT_TRUE(b == d);
    EXPECT_EQ(pieces.position(), once.totalFrames());
    float peak = 0;
    for (float v : a) {
        peak = std::max(peak, std::fabs(v));
    }
    EXPECT_GT(peak, 0.05f);
    EXPECT_LE(peak, MusicSynth::Ceiling);
}

TEST(Progress, WritesPlainLinesWhenNotOnATerminal) {
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    {
        Progress progress("music", log);
        for (int i = 0; i <= 1000; ++i) {
            progress.update(i / 1000.0);
        }
        progress.finish("music: done");
    }
    std::rewind(log);
    std::vector<std::string> lines;
    char line[256];
    while (std::fgets(line, sizeof line, log)) {
        lines.emplace_back(line);
    }
    std::fclose(log);
    // One line per tenth from 10 % to 90 %, then the summary; no carriage
    // returns or bars, which would garble a log file.
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0].rfind("glint: content: music 10% after ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[8].rfind("glint: content: music 90% after ", 0), 0u) << lines[8];
    EXPECT_EQ(lines[9], "glint: content: music: done\n");
    for (const auto& l : lines) {
        EXPECT_EQ(l.find('\r'), std::string::npos);
    }
}
