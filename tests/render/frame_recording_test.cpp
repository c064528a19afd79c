// Which pixels a frame can change compared with the frame before: the box
// the renderer redraws and the window shows when only part of a frame moves.
#include "engine/render/frame_recording.h"

#include <gtest/gtest.h>

#include <map>

using keltraWorks::FrameRecording;
using Op = FrameRecording::Op;
using Box = FrameRecording::Box;

namespace {

// 16 x 12 units over 1024 x 768 pixels, as the player draws.
FrameRecording::View playerView() {
    FrameRecording::View view;
    view.pixelsPerUnitX = 64.0f;
    view.pixelsPerUnitY = 64.0f;
    view.width = 1024;
    view.height = 768;
    return view;
}

FrameRecording::Command command(Op op, std::initializer_list<float> f = {}, int i0 = 0,
                                int i1 = 0) {
    FrameRecording::Command c;
    c.op = op;
    c.i[0] = i0;
    c.i[1] = i1;
    int k = 0;
    for (float v : f) {
        c.f[k++] = v;
    }
    return c;
}

// A small scene: a full-window background, a picture and a line batch, each
// inside pushState/popState, with what varies between frames as arguments.
struct Scene {
    float pictureX = 2.0f;
    float lineY = 6.0f;
    float tint = 1.0f;
    int picture = 3;
    bool withText = false;
};

FrameRecording record(const Scene& scene, FrameRecording::State start = {}) {
    FrameRecording r;
    r.reset(start);
    r.add(command(Op::LoadIdentity));
    r.add(command(Op::PushState));
    r.add(command(Op::Color, {1, 1, 1, 1}));
    r.add(command(Op::RectTexture, {0, 0, 16, 12}, 1));
    r.add(command(Op::PopState));

    r.add(command(Op::PushState));
    r.add(command(Op::Translate, {scene.pictureX, 1.0f}));
    r.add(command(Op::Color, {scene.tint, scene.tint, scene.tint, 1}));
    r.add(command(Op::BindTexture, {}, scene.picture));
    r.add(command(Op::RectTexture, {0, 0, 1, 1}, scene.picture)); // 64 x 64 px
    r.add(command(Op::PopState));

    r.add(command(Op::PushState));
    r.add(command(Op::LineWidth, {1.0f}));
    r.add(command(Op::Begin, {}, 1));
    r.add(command(Op::Vertex, {1.0f, scene.lineY}));
    r.add(command(Op::Vertex, {3.0f, scene.lineY}));
    r.add(command(Op::End));
    r.add(command(Op::PopState));
    if (scene.withText) {
        r.addText(0, 1.0f, 1.0f, "00:42");
    }
    return r;
}

Box damage(const Scene& before, const Scene& after,
           std::map<int, uint32_t> generationsBefore = {},
           std::map<int, uint32_t> generationsAfter = {}) {
    FrameRecording a = record(before);
    FrameRecording b = record(after);
    a.finish(playerView(), [&](int t) { return generationsBefore[t]; });
    b.finish(playerView(), [&](int t) { return generationsAfter[t]; });
    return b.damageSince(a);
}

bool contains(const Box& outer, int x0, int y0, int x1, int y1) {
    return outer.x0 <= x0 && outer.y0 <= y0 && outer.x1 >= x1 && outer.y1 >= y1;
}

} // namespace

TEST(FrameRecording, IdenticalFramesChangeNothing) {
    EXPECT_TRUE(damage(Scene(), Scene()).empty());
    Scene text;
    text.withText = true;
    EXPECT_TRUE(damage(text, text).empty());
}

TEST(FrameRecording, AMovedPictureDamagesWhereItWasAndWhereItIs) {
    Scene moved;
    moved.pictureX = 5.0f;
    const Box box = damage(Scene(), moved);
    // Pixels 128..192 before, 320..384 after; y from the bottom: 768 - 128 .. 768 - 64.
    EXPECT_TRUE(contains(box, 128, 640, 384, 704)) << box.x0 << " " << box.y0 << " " << box.x1
                                                   << " " << box.y1;
    // ... and no more than a couple of pixels around them.
    EXPECT_GE(box.x0, 124);
    EXPECT_LE(box.x1, 388);
    EXPECT_GE(box.y0, 636);
    EXPECT_LE(box.y1, 708);
}

TEST(FrameRecording, StateAndContentChangesDamageOnlyTheDrawingsTheyReach) {
    Scene tinted;
    tinted.tint = 0.5f;
    Box box = damage(Scene(), tinted);
    EXPECT_TRUE(contains(box, 128, 640, 192, 704));
    EXPECT_LE(box.x1 - box.x0, 70) << "the tint reaches the picture, not the background";

    Scene other;
    other.picture = 4;
    EXPECT_TRUE(contains(damage(Scene(), other), 128, 640, 192, 704));

    // New pixels in the picture's texture, same calls.
    box = damage(Scene(), Scene(), {{3, 1}}, {{3, 2}});
    EXPECT_TRUE(contains(box, 128, 640, 192, 704));
    EXPECT_LE(box.x1 - box.x0, 70);
    // New pixels in the background's: the whole window.
    box = damage(Scene(), Scene(), {{1, 1}}, {{1, 2}});
    EXPECT_TRUE(contains(box, 0, 0, 1024, 768));
}

TEST(FrameRecording, LinesDamageTheirSpanWidenedByTheirWidth) {
    Scene lower;
    lower.lineY = 7.0f;
    const Box box = damage(Scene(), lower);
    // The line from x 64 to 192 at y 384 (from the top) moves to 448.
    EXPECT_TRUE(contains(box, 64, 768 - 448 - 1, 193, 768 - 384 + 1));
    EXPECT_LE(box.x1 - box.x0, 140);
}

TEST(FrameRecording, ADifferentShapeOfFrameIsTheWholeWindow) {
    Scene text;
    text.withText = true;
    EXPECT_TRUE(contains(damage(Scene(), text), 0, 0, 1024, 768));
    // A different starting state reaches the first drawings.
    FrameRecording a = record(Scene());
    FrameRecording::State red;
    red.color[1] = 0.0f;
    FrameRecording b;
    b.reset(red);
    b.add(command(Op::Quad, {0, 0, 1, 0, 1, 1, 0, 1, 1, 1}));
    FrameRecording c;
    c.reset(FrameRecording::State());
    c.add(command(Op::Quad, {0, 0, 1, 0, 1, 1, 0, 1, 1, 1}));
    b.finish(playerView(), [](int) { return 0u; });
    c.finish(playerView(), [](int) { return 0u; });
    EXPECT_TRUE(contains(c.damageSince(b), 0, 704, 64, 768));
}

TEST(FrameRecording, TransformsAndStateStacksAreFollowed) {
    // Scale then translate inside a pushed state; the pop brings the
    // identity back for the second rectangle, which does not move.
    const auto scene = [](float shift) {
        FrameRecording r;
        r.reset(FrameRecording::State());
        r.add(command(Op::PushState));
        r.add(command(Op::Scale, {2, 2}));
        r.add(command(Op::Translate, {shift, 0}));
        r.add(command(Op::Quad, {0, 0, 1, 0, 1, 1, 0, 1, 1, 1}));
        r.add(command(Op::PopState));
        r.add(command(Op::Quad, {10, 10, 11, 10, 11, 11, 10, 11, 1, 1}));
        r.finish(playerView(), [](int) { return 0u; });
        return r;
    };
    const Box box = scene(1.0f).damageSince(scene(2.0f));
    // Before: units 2..4 (pixels 128..256); after: 4..6 (256..384); 2 units high.
    EXPECT_TRUE(contains(box, 128, 768 - 128, 384, 768));
    EXPECT_LE(box.x1, 388);
    EXPECT_GE(box.y0, 768 - 132) << "the second rectangle did not change";

    // Shapes inside an open batch are refused by the GL, so they draw
    // nothing and change nothing.
    const auto batch = [](float x) {
        FrameRecording r;
        r.reset(FrameRecording::State());
        r.add(command(Op::Begin, {}, 7));
        r.add(command(Op::Quad, {x, 0, x + 1, 0, x + 1, 1, x, 1, 1, 1}));
        r.add(command(Op::End));
        r.finish(playerView(), [](int) { return 0u; });
        return r;
    };
    EXPECT_TRUE(batch(1.0f).damageSince(batch(5.0f)).empty());
}
