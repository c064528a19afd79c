#include "engine/gui/analyzer.h"

#include "tests/gui/gui_test_helpers.h"
#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

using glintTest::LoggingAction;
using keltraWorks::Analyzer;
using keltraWorks::KindPaint;
using keltraWorks::RecordedCall;
using keltraWorks::RecordingRenderer;
using keltraWorks::SampleSource;

namespace {

// Hands out its `samples` (as many as fit) and notes every request.
class FakeSource : public SampleSource {
  public:
    unsigned channels() override {
        ++channelAsks;
        return chans;
    }
    bool read(float* out, std::size_t count, std::size_t* written) override {
        requests.push_back(count);
        if (fails) {
            return false;
        }
        *written = std::min(count, samples.size());
        std::copy(samples.begin(), samples.begin() + std::ptrdiff_t(*written), out);
        return true;
    }

    unsigned chans = 2;
    bool fails = false;
    std::vector<float> samples;
    int channelAsks = 0;
    std::vector<std::size_t> requests;
};

// The vertices of each line batch, in order.
std::vector<std::vector<RecordedCall>> traces(const RecordingRenderer& r) {
    std::vector<std::vector<RecordedCall>> out;
    for (const auto& call : r.calls()) {
        if (call.op == "begin") {
            out.emplace_back();
        } else if (call.op == "vertex" && !out.empty()) {
            out.back().push_back(call);
        }
    }
    return out;
}

class AnalyzerDraw : public ::testing::Test {
  protected:
    AnalyzerDraw() {
        scope.setPosition(vector2(1, 2));
        scope.setSize(vector2(3, 0.5f));
        scope.setAlpha(0.75f);
        auto owned = std::make_unique<FakeSource>();
        source = owned.get();
        scope.setSource(std::move(owned));
    }
    // Samples 0.001 * index, so every vertex names the sample it came from.
    void feed(unsigned chans, std::size_t count) {
        source->chans = chans;
        source->samples.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            source->samples[i] = 0.001f * float(i);
        }
    }

    RecordingRenderer r;
    Analyzer scope{nullptr, "scope"};
    FakeSource* source = nullptr; // owned by scope
};

TEST_F(AnalyzerDraw, StereoTracesFollowEachChannelFromTheLeftEdge) {
    feed(2, 2048);
    scope.draw(&r);

    // 1024 frames of two channels, asked for once.
    EXPECT_EQ(source->requests, std::vector<std::size_t>({2048}));
    const auto lines = traces(r);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 2u * 1023);
    EXPECT_EQ(lines[1].size(), 2u * 1022);

    // Drawn in a frame translated to the widget's corner; x steps by the right
    // edge / 1022 per interleaved sample; the first trace is unscaled, the
    // second scaled by the height.
    const float sx = 4.0f / 1022.0f;
    const RecordedCall& a = lines[0][1];
    EXPECT_FLOAT_EQ(a.arg(0), 2 * sx);
    EXPECT_FLOAT_EQ(a.arg(1), 0.002f);
    EXPECT_FLOAT_EQ(a.transform.tx, 1.0f);
    EXPECT_FLOAT_EQ(a.transform.ty, 2.0f);
    EXPECT_EQ(a.color.x, 1.0f);
    EXPECT_EQ(a.color.y, 0.0f);
    EXPECT_EQ(a.color.w, 0.75f);
    const RecordedCall& b = lines[1].back();
    EXPECT_FLOAT_EQ(b.arg(0), 2045 * sx);
    EXPECT_FLOAT_EQ(b.arg(1), 0.001f * 2045 * 0.5f);
    EXPECT_FLOAT_EQ(b.color.y, 0.5647f);
    EXPECT_EQ(r.stateDepth(), 0);
    EXPECT_FALSE(r.batchOpen());
}

TEST_F(AnalyzerDraw, MonoTracesSpanTwoSamplesPerSegment) {
    feed(1, 1024);
    scope.draw(&r);
    EXPECT_EQ(source->requests, std::vector<std::size_t>({1024}));
    const auto lines = traces(r);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 2u * 1022);
    EXPECT_EQ(lines[1].size(), 2u * 1019);
    EXPECT_FLOAT_EQ(lines[0].back().arg(1), 0.001f * 1023);
}

TEST_F(AnalyzerDraw, NothingToReadDrawsNoTracesButKeepsChildrenAndAction) {
    std::vector<std::string> log;
    scope.addAction(new LoggingAction(KindPaint, "scope", &log));
    feed(0, 2048);
    scope.draw(&r); // no channels: never read
    EXPECT_TRUE(source->requests.empty());
    feed(33, 2048);
    scope.draw(&r); // not believable
    feed(2, 2048);
    source->fails = true;
    scope.draw(&r);
    scope.setSource(nullptr);
    scope.draw(&r);
    EXPECT_EQ(r.count("begin"), 0u);
    EXPECT_EQ(r.count("vertex"), 0u);
    EXPECT_EQ(log, std::vector<std::string>(4, "scope:5"));
    EXPECT_EQ(r.stateDepth(), 0);
}

TEST_F(AnalyzerDraw, HiddenAnalyzerTouchesNeitherSourceNorRenderer) {
    feed(2, 2048);
    scope.hide();
    scope.draw(&r);
    EXPECT_EQ(source->channelAsks, 0);
    EXPECT_TRUE(source->requests.empty());
    EXPECT_TRUE(r.calls().empty());
    EXPECT_EQ(scope.getType(), "Analyzer Widget");
}

} // namespace
