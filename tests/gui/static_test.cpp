#include "engine/gui/static.h"

#include "engine/gui/colors.h"
#include "tests/gui/gui_test_helpers.h"
#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glintTest::LoggingAction;
using keltraWorks::KindPaint;
using keltraWorks::Object;
using keltraWorks::RecordingRenderer;
using keltraWorks::Static;

namespace {

using Ops = std::vector<std::string>;

TEST(StaticDefaults, InvisibleUntilAlphaIsRaisedAndUnpadded) {
    Static s(nullptr, "s");
    EXPECT_EQ(s.color.w, 0.0f);
    EXPECT_EQ(s.color.x, keltraWorks::colorGrey.x);
    EXPECT_EQ(s.padding, 0.0f);
    s.setAlpha(1.5f);
    EXPECT_EQ(s.color.w, 1.0f);
    s.setAlpha(-0.25f);
    EXPECT_EQ(s.color.w, -0.25f);
    s.setColor(keltraWorks::colorYellow);
    EXPECT_EQ(s.color.z, 0.0f);
    EXPECT_EQ(s.color.w, -0.25f);
    // Unpadded: an empty Static lays out to nothing.
    EXPECT_EQ(s.getSize().x, 0.0f);
}

TEST(StaticDraw, FullSequenceWithTextureOutlineAndText) {
    RecordingRenderer r;
    Static s(nullptr, "s");
    s.setPosition(vector2(2, 3));
    s.setSize(vector2(4, 2));
    s.setAlpha(1);
    s.texture = r.addTexture(64, 64);
    s.outlineWidth = 2;
    s.outlineBlended = true;
    s.textBlended = true;
    s.textOffset = 0.5f;
    s.font = 1;
    s.draw(&r);
    EXPECT_EQ(
        r.opNames(),
        Ops({"pushState",    "setColor",     "setBlend", "bindTexture",    "drawRect",
             "bindTexture",
             "disableBlend", // picture
             "pushState",    "setBlend",     "setColor", "setPolygonMode", "setLineWidth",
             "drawRect",     "disableBlend", "popState",                                  // outline
             "setBlend",     "setColor",     "drawText", "disableBlend",   "popState"})); // text
    const auto rects = r.callsNamed("drawRect");
    EXPECT_EQ(rects[0].args, std::vector<float>({2, 3, 6, 5, float(s.texture)}));
    EXPECT_EQ(rects[0].texture, s.texture);
    EXPECT_EQ(rects[1].args, std::vector<float>({2, 3, 6, 5, 1, 1}));
    EXPECT_EQ(rects[1].lineWidth, 2.0f);
    EXPECT_EQ(rects[1].polygonMode, keltraWorks::PolygonLine);
    // The empty text is still drawn, from textOffset above the bottom edge.
    const auto* text = r.last("drawText");
    EXPECT_EQ(text->args, std::vector<float>({1, 2, 4.5f}));
    EXPECT_EQ(text->text, "");
    EXPECT_TRUE(text->blend);
    EXPECT_EQ(text->texture, 0);
}

TEST(StaticDraw, BothBlendFactorsZeroDrawsUnblended) {
    RecordingRenderer r;
    Static s(nullptr, "s");
    s.setSize(vector2(1, 1));
    s.setAlpha(1);
    s.setBlendFunc(keltraWorks::BlendZero, keltraWorks::BlendZero);
    s.draw(&r);
    EXPECT_EQ(r.count("setBlend"), 0u);
    const auto* rect = r.last("drawRect");
    ASSERT_NE(rect, nullptr);
    EXPECT_FALSE(rect->blend);
    EXPECT_EQ(rect->args.back(), 0.0f); // no texture: a plain rectangle
    EXPECT_EQ(rect->color.w, 1.0f);
}

TEST(StaticDraw, HiddenStaticRunsNothing) {
    RecordingRenderer r;
    std::vector<std::string> log;
    Static s(nullptr, "s");
    s.addAction(new LoggingAction(KindPaint, "s", &log));
    s.hide();
    s.draw(&r);
    EXPECT_TRUE(r.calls().empty());
    EXPECT_TRUE(log.empty());
}

TEST(StaticImage, FitGrowsToThePictureButNeverShrinks) {
    RecordingRenderer r;
    const int wide = r.addTexture(128, 64); // 2 x 1 units
    Object box(nullptr, "box");
    auto* small = new Static(&box, "small");
    auto* large = new Static(&box, "large");
    large->setSize(vector2(3, 3));
    large->setImage(&r, wide, true);
    EXPECT_EQ(large->getSize().x, 3.0f);
    EXPECT_EQ(large->getSize().y, 3.0f);

    small->setImage(&r, wide, true);
    EXPECT_EQ(small->texture, wide);
    EXPECT_FLOAT_EQ(small->getSize().x, 2.0f);
    EXPECT_FLOAT_EQ(small->getSize().y, 1.0f);
    EXPECT_TRUE(small->sizeLocked);
    // The parent is laid out again at once around the new size.
    EXPECT_FLOAT_EQ(box.size.x, 0.4f + 2 + 0.1f + 3);
    EXPECT_FLOAT_EQ(large->position.x, 0.2f + 2 + 0.1f);

    // An index without a record changes nothing but the texture.
    const vector2 fitted = small->fitToImage(&r, 99);
    EXPECT_EQ(fitted.x, 0.0f);
    small->setImage(&r, 99, true);
    EXPECT_EQ(small->texture, 99);
    EXPECT_FLOAT_EQ(small->getSize().x, 2.0f);
}

} // namespace
