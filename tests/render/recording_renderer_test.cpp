#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using keltraWorks::RecordedCall;
using keltraWorks::RecordingRenderer;

TEST(RecordingRenderer, RecordsCallsWithTheStateInForce) {
    RecordingRenderer r;
    const int texture = r.addTexture(640, 480, 24);
    r.pushState();
    r.bindTexture(texture);
    r.setColor(1, 0, 0, 0.5f);
    r.setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
    r.drawRect(vector2(1, 2), vector2(3, 4), texture);
    r.popState();
    r.drawRect(vector2(0, 0), vector2(1, 1), vector2(1, 1));

    EXPECT_EQ(r.opNames(),
              (std::vector<std::string>{"pushState", "bindTexture", "setColor", "setBlend",
                                        "drawRect", "popState", "drawRect"}));
    const std::vector<RecordedCall> rects = r.callsNamed("drawRect");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].args, (std::vector<float>{1, 2, 3, 4, float(texture)}));
    EXPECT_EQ(rects[0].texture, texture);
    EXPECT_FLOAT_EQ(rects[0].color.w, 0.5f);
    EXPECT_TRUE(rects[0].blend);
    EXPECT_EQ(rects[0].depth, 1);
    // popState restored what pushState saved.
    EXPECT_EQ(rects[1].texture, 0);
    EXPECT_FALSE(rects[1].blend);
    EXPECT_FLOAT_EQ(rects[1].color.y, 1.0f);
    EXPECT_EQ(rects[1].depth, 0);
}

TEST(RecordingRenderer, TextureRecordsAnswerLikeTheRealRenderer) {
    RecordingRenderer r;
    r.setPictureSize("data/gui/logo.png", 640, 480, 24);
    const int logo = r.loadTexture("data/gui/logo.png", 1, true);
    ASSERT_EQ(logo, 1);
    EXPECT_EQ(r.getTextureInfo(logo)->width, 1024);
    EXPECT_EQ(r.getTextureInfo(logo)->bitsPerPixel, 32); // white made transparent
    EXPECT_FLOAT_EQ(r.getTextureExtent(logo).y, 0.9375f);
    EXPECT_EQ(r.last("loadTexture")->result, 1.0f);
    EXPECT_EQ(r.last("loadTexture")->text, "data/gui/logo.png");

    EXPECT_EQ(r.loadTexture("nowhere.png", 0, false), 0);
    EXPECT_TRUE(r.deleteTexture(logo));
    EXPECT_FALSE(r.deleteTexture(logo));
    r.bindTexture(logo);
    EXPECT_EQ(r.boundTexture(), 0);
    EXPECT_NE(r.getTextureInfo(logo), nullptr);
    EXPECT_EQ(r.createTexture(4, 4, 16, 0), 0);
}

TEST(RecordingRenderer, BatchesAndPixelMappingFollowTheRules) {
    RecordingRenderer r;
    EXPECT_TRUE(r.begin(7));
    EXPECT_FALSE(r.begin(0));
    EXPECT_TRUE(r.end());
    EXPECT_FALSE(r.end());

    EXPECT_FLOAT_EQ(r.unproject(512, 384).x, 8.0f);
    EXPECT_FLOAT_EQ(r.unproject(512, 384).y, 6.0f);
    r.translate(1, 2);
    const vector2 p = r.unproject(512, 384);
    EXPECT_FLOAT_EQ(p.x, 7.0f);
    EXPECT_FLOAT_EQ(p.y, 4.0f);
    int x = 0, y = 0;
    r.project(vector2(7, 4), &x, &y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 384);
    r.scale(0, 0); // singular: falls back to the plain mapping
    EXPECT_FLOAT_EQ(r.unproject(64, 64).x, 1.0f);
}
