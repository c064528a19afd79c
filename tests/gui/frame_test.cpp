#include "engine/gui/frame.h"

#include "engine/gui/static.h"
#include "tests/gui/gui_test_helpers.h"
#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glintTest::LoggingAction;
using keltraWorks::Frame;
using keltraWorks::KindPaint;
using keltraWorks::RecordingRenderer;
using keltraWorks::Static;

namespace {

using Ops = std::vector<std::string>;

Frame* placedFrame(keltraWorks::Object* parent) {
    auto* f = new Frame(parent, "frame");
    f->setPosition(vector2(1, 1));
    f->setSize(vector2(2, 1));
    return f;
}

TEST(FrameDraw, OutlineIsBlendedOnlyOnceAnAlphaWasSet) {
    RecordingRenderer r;
    Frame* f = placedFrame(nullptr);
    f->setColor(vector3(0, 0, 1));
    f->setLineWidth(3);
    f->draw(&r);
    EXPECT_EQ(r.opNames(), Ops({"pushState", "setColor", "setLineWidth", "setPolygonMode",
                                "drawRect", "popState"}));
    const auto* rect = r.last("drawRect");
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->args, std::vector<float>({1, 1, 3, 2, 1, 1}));
    EXPECT_EQ(rect->polygonMode, keltraWorks::PolygonLine);
    EXPECT_EQ(rect->lineWidth, 3.0f);
    EXPECT_EQ(rect->color.z, 1.0f);
    EXPECT_EQ(rect->color.w, 1.0f);
    EXPECT_FALSE(rect->blend);

    r.clearCalls();
    f->setAlpha(0.25f);
    f->setBlendFunc(keltraWorks::BlendDstColor, keltraWorks::BlendOneMinusSrcAlpha);
    f->draw(&r);
    EXPECT_EQ(r.opNames(), Ops({"pushState", "setBlend", "setColor", "setLineWidth",
                                "setPolygonMode", "drawRect", "disableBlend", "popState"}));
    rect = r.last("drawRect");
    EXPECT_TRUE(rect->blend);
    EXPECT_EQ(rect->blendSource, keltraWorks::BlendDstColor);
    EXPECT_EQ(rect->color.w, 0.25f);
    EXPECT_EQ(r.stateDepth(), 0);
    delete f;
}

TEST(FrameDraw, HiddenFrameRunsOnlyItsPaintAction) {
    RecordingRenderer r;
    std::vector<std::string> log;
    Frame* f = placedFrame(nullptr);
    auto* inside = new Static(f, "inside");
    inside->setAlpha(1);
    inside->addAction(new LoggingAction(KindPaint, "inside", &log));
    f->addAction(new LoggingAction(KindPaint, "frame", &log));
    f->hide();
    f->draw(&r);
    f->draw(&r);
    EXPECT_TRUE(r.calls().empty());
    EXPECT_EQ(log, Ops({"frame:5", "frame:5"}));

    // Shown again, the children draw before the frame's own action.
    log.clear();
    f->show();
    f->draw(&r);
    EXPECT_EQ(log, Ops({"inside:5", "frame:5"}));
    delete f;
}

TEST(FrameSetters, AlphaClampsFromAboveOnlyAndColourKeepsAlpha) {
    Frame f(nullptr, "f");
    f.setAlpha(1.5f);
    EXPECT_EQ(f.color.w, 1.0f);
    EXPECT_TRUE(f.blended);
    f.setAlpha(-0.5f);
    EXPECT_EQ(f.color.w, -0.5f);
    f.setColor(vector3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(f.color.w, -0.5f);
    EXPECT_EQ(f.color.y, 0.2f);
    EXPECT_EQ(f.getType(), "Frame Widget");
}

} // namespace
