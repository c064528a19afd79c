#include "engine/gui/analyzer.h"

#include "tests/gui/gui_test_helpers.h"
#include "tests/support/audio/audio_recorder.h"
#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

using glintTest::AudioRecorder;
using glintTest::LoggingAction;
using keltraWorks::Analyzer;
using keltraWorks::KindPaint;
using keltraWorks::RecordedCall;
using keltraWorks::RecordingRenderer;

namespace {

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
    }
    // Samples 0.001 * index, so every vertex names the sample it came from.
    void feed(HSTREAM handle, std::size_t count) {
        auto& samples = audio.stream(handle).samples;
        samples.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            samples[i] = 0.001f * float(i);
        }
    }

    AudioRecorder audio;
    RecordingRenderer r;
    Analyzer scope{nullptr, "scope"};
};

TEST_F(AnalyzerDraw, StereoTracesFollowEachChannelFromTheLeftEdge) {
    const HSTREAM stereo = audio.addStream(2);
    feed(stereo, 2048);
    scope.setStream(stereo);
    scope.draw(&r);

    const std::string handle = std::to_string(stereo);
    EXPECT_EQ(audio.callTexts(),
              std::vector<std::string>({"BASS_ChannelGetInfo(" + handle + ",info)",
                                        "BASS_ChannelGetData(" + handle + ",buf,0x40002000)"}));
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
    const HSTREAM mono = audio.addStream(1);
    feed(mono, 1024);
    scope.setStream(mono);
    scope.draw(&r);
    EXPECT_EQ(audio.calls().back().text,
              "BASS_ChannelGetData(" + std::to_string(mono) + ",buf,0x40001000)");
    const auto lines = traces(r);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 2u * 1022);
    EXPECT_EQ(lines[1].size(), 2u * 1019);
    EXPECT_FLOAT_EQ(lines[0].back().arg(1), 0.001f * 1023);
}

TEST_F(AnalyzerDraw, InvalidStreamDrawsNoTracesButKeepsChildrenAndAction) {
    std::vector<std::string> log;
    scope.addAction(new LoggingAction(KindPaint, "scope", &log));
    const HSTREAM gone = audio.addStream(2);
    audio.free(gone);
    for (HSTREAM handle : {HSTREAM(0), gone}) {
        scope.setStream(handle);
        scope.draw(&r);
    }
    EXPECT_EQ(audio.count("BASS_ChannelGetData"), 0u);
    EXPECT_EQ(r.count("begin"), 0u);
    EXPECT_EQ(r.count("vertex"), 0u);
    EXPECT_EQ(log, std::vector<std::string>({"scope:5", "scope:5"}));
    EXPECT_EQ(r.stateDepth(), 0);
}

TEST_F(AnalyzerDraw, HiddenAnalyzerTouchesNeitherAudioNorRenderer) {
    scope.setStream(audio.addStream(2));
    scope.hide();
    scope.draw(&r);
    EXPECT_TRUE(audio.calls().empty());
    EXPECT_TRUE(r.calls().empty());
    EXPECT_EQ(scope.getType(), "Analyzer Widget");
}

} // namespace
