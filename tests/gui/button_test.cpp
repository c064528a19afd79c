#include "engine/gui/button.h"

#include "engine/gui/static.h"
#include "tests/gui/gui_test_helpers.h"
#include "tests/support/render/recording_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glintTest::LoggingAction;
using keltraWorks::Button;
using keltraWorks::KindLeave;
using keltraWorks::KindPress;
using keltraWorks::KindRelease;
using keltraWorks::Object;
using keltraWorks::RecordingRenderer;

namespace {

using Ops = std::vector<std::string>;

class PopupMenu : public Object {
  public:
    using Object::Object;
    std::string getType() const override { return keltraWorks::PopupMenuType; }
};

// A button at (2, 2) .. (4, 3) inside a 10 x 10 root, driven the way the
// main window drives the tree: through the root, clearing the flags after
// each press and release.
class ButtonInput : public ::testing::Test {
  protected:
    ButtonInput() {
        root.setSize(vector2(10, 10));
        make(&root);
    }
    void make(Object* parent) {
        button = new Button(parent, "button");
        button->setPosition(vector2(2, 2));
        button->setSize(vector2(2, 1));
        button->addAction(new LoggingAction(KindPress, "button", &log));
        button->addAction(new LoggingAction(KindRelease, "button", &log));
        button->addAction(new LoggingAction(KindLeave, "button", &log));
    }
    void down(vector2 p) {
        root.onMouseDown(p, 0);
        keltraWorks::pressTaken = false;
    }
    void up(vector2 p) {
        root.onMouseUp(p, 0);
        keltraWorks::releaseTaken = false;
    }
    void click(vector2 p) {
        down(p);
        up(p);
    }

    glintTest::EventFlagsReset flags;
    std::vector<std::string> log;
    Object root{nullptr, "root"};
    Button* button = nullptr;
    const vector2 inside{2.3f, 2.3f}; // near the corner, where the label sits
    const vector2 outside{6, 6};
};

TEST_F(ButtonInput, HoverHighlightsAndRoutedLeaveClears) {
    root.onMouseMove(inside);
    EXPECT_TRUE(button->highlighted);
    root.onMouseMove(outside);
    EXPECT_FALSE(button->highlighted);
    EXPECT_EQ(log, Ops({"button:2"}));
}

TEST_F(ButtonInput, PressedUntilAReleaseInsideIt) {
    down(inside);
    EXPECT_TRUE(button->pressed);
    up(outside);
    EXPECT_TRUE(button->pressed);
    root.onMouseMove(inside);
    EXPECT_TRUE(button->pressed);
    up(inside);
    EXPECT_FALSE(button->pressed);
    // The label child never takes the button's clicks.
    EXPECT_EQ(log, Ops({"button:3", "button:4"}));
}

TEST_F(ButtonInput, ToggleLatchesOnFirstClickAndReleasesOnSecond) {
    button->toggle = true;
    click(inside);
    EXPECT_TRUE(button->pressed);
    EXPECT_TRUE(button->toggledOn);
    click(inside);
    EXPECT_FALSE(button->pressed);
    EXPECT_FALSE(button->toggledOn);
    EXPECT_EQ(log, Ops({"button:3", "button:4", "button:3", "button:4"}));
}

TEST_F(ButtonInput, PopupRuleLimitsClicksToVisiblePopups) {
    keltraWorks::popupVisible = true;
    click(inside);
    EXPECT_FALSE(button->pressed);
    EXPECT_TRUE(log.empty());

    // Its own visible popup lets it hear clicks again; a hidden one does not.
    PopupMenu menu(nullptr, "menu");
    button->popup = &menu;
    menu.hide();
    keltraWorks::popupVisible = true;
    click(inside);
    EXPECT_TRUE(log.empty());
    menu.show();
    down(inside);
    EXPECT_TRUE(button->pressed);
    EXPECT_EQ(log, Ops({"button:3"}));
}

TEST_F(ButtonInput, ButtonInsideVisiblePopupMenuAcceptsClicks) {
    auto* menu = new PopupMenu(&root, "menu");
    menu->setPosition(vector2(0, 0));
    menu->setSize(vector2(8, 8));
    menu->show(); // popupVisible
    // Leave the first button (a sibling of the menu) out of the way.
    button->hide();
    make(menu);
    click(inside);
    EXPECT_EQ(log, Ops({"button:3", "button:4"}));
}

// ---------------------------------------------------------------- drawing

class ButtonDraw : public ::testing::Test {
  protected:
    ButtonDraw() {
        normal = r.addTexture(64, 64);
        pushed = r.addTexture(64, 64);
        button.setPosition(vector2(1, 1));
        button.setSize(vector2(1, 1));
        button.setImage(&r, normal, false);
    }
    const keltraWorks::RecordedCall& rect() {
        r.clearCalls();
        button.draw(&r);
        const auto* first = &r.calls().front();
        for (const auto& call : r.calls()) {
            if (call.op == "drawRect") {
                first = &call;
                break;
            }
        }
        return *first;
    }

    RecordingRenderer r;
    int normal = 0;
    int pushed = 0;
    Button button{nullptr, "b"};
};

TEST_F(ButtonDraw, EachLookPicksItsColourAndImage) {
    button.setHoverColor(vector3(1, 0, 0));
    const auto plain = rect();
    EXPECT_EQ(plain.texture, normal);
    EXPECT_FLOAT_EQ(plain.color.x, 0.792f);
    EXPECT_EQ(plain.args.back(), float(normal));

    button.highlighted = true;
    const auto hover = rect();
    EXPECT_EQ(hover.color.x, 1.0f);
    EXPECT_EQ(hover.color.y, 0.0f);

    // Pressed wins over highlighted; without a pressed image, the normal one.
    button.pressed = true;
    const auto down = rect();
    EXPECT_FLOAT_EQ(down.color.x, 0.431f);
    EXPECT_EQ(down.texture, normal);

    button.setPressedImage(&r, pushed, false);
    EXPECT_EQ(rect().texture, pushed);
}

TEST_F(ButtonDraw, AlwaysSetsBlendEvenWithZeroFactors) {
    button.setBlendFunc(keltraWorks::BlendZero, keltraWorks::BlendZero);
    button.outlineWidth = 2;
    rect();
    const Ops all = r.opNames();
    ASSERT_GE(all.size(), 16u);
    const Ops own(all.begin(), all.begin() + 16);
    EXPECT_EQ(own,
              Ops({"pushState", "bindTexture", "setColor", "setBlend", "drawRect", "bindTexture",
                   "disableBlend", "pushState", "setBlend", "setColor", "setPolygonMode",
                   "setLineWidth", "drawRect", "disableBlend", "popState", "popState"}));
    const auto blends = r.callsNamed("setBlend");
    EXPECT_EQ(blends[0].args, std::vector<float>({0, 0}));
    EXPECT_EQ(blends[1].args, std::vector<float>({3, 7}));
    EXPECT_EQ(r.stateDepth(), 0);
}

TEST_F(ButtonDraw, AlphaSettersClampAndHiddenButtonDrawsNothing) {
    button.setAlpha(2);
    button.setPressedAlpha(0.5f);
    button.setHoverAlpha(-1);
    EXPECT_EQ(button.color.w, 1.0f);
    EXPECT_EQ(button.pressedColor.w, 0.5f);
    EXPECT_EQ(button.hoverColor.w, -1.0f);
    ASSERT_NE(button.label, nullptr);
    EXPECT_EQ(button.label->color.w, 0.0f);
    EXPECT_EQ(button.child(0), button.label);

    button.hide();
    r.clearCalls();
    button.draw(&r);
    EXPECT_TRUE(r.calls().empty());
}

} // namespace
