#include "engine/gui/object.h"

#include "engine/gui/mouse_dispatch.h"

#include "tests/gui/gui_test_helpers.h"
#include "tests/support/fake_clock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using glintTest::LoggingAction;
using keltraWorks::Controller;
using keltraWorks::KindLeave;
using keltraWorks::KindMove;
using keltraWorks::KindPaint;
using keltraWorks::KindPress;
using keltraWorks::KindRelease;
using keltraWorks::MouseEventKind;
using keltraWorks::Object;
using keltraWorks::SpeedCtrl;

namespace {

constexpr float Tol = 1e-5f;

#define EXPECT_VEC2(v, ex, ey)                                                                     \
    do {                                                                                           \
        const vector2 got_ = (v);                                                                  \
        EXPECT_NEAR(got_.x, (ex), Tol);                                                            \
        EXPECT_NEAR(got_.y, (ey), Tol);                                                            \
    } while (0)

Object* sized(Object* parent, const char* name, float w, float h) {
    Object* o = new Object(parent, name);
    o->setSize(vector2(w, h));
    return o;
}

Object* placed(Object* parent, const char* name, float x, float y, float w, float h) {
    Object* o = sized(parent, name, w, h);
    o->setPosition(vector2(x, y));
    return o;
}

// Children of a freshly sized container only take effect at its next layout.
void relayout(Object& o) {
    o.dirty = true;
    o.layout();
}

// ---------------------------------------------------------------- layout

TEST(ObjectLayout, HorizontalFlowFromTopLeft) {
    Object box(nullptr, "box");
    Object* a = sized(&box, "a", 1, 1);
    Object* b = sized(&box, "b", 2, 0.5f);
    relayout(box);
    // Width: padding twice, both widths, one spacing. Height: tallest child
    // plus padding, through the content size.
    EXPECT_VEC2(box.getSize(), 3.5f, 1.4f);
    EXPECT_VEC2(a->getPosition(), 0.2f, 0.2f);
    EXPECT_VEC2(b->getPosition(), 1.3f, 0.2f);
}

TEST(ObjectLayout, RightAndBottomAlignmentsFlowBackwards) {
    Object box(nullptr, "box");
    Object* a = sized(&box, "a", 1, 1);
    Object* b = sized(&box, "b", 2, 0.5f);
    box.setAlignment(3);
    relayout(box);
    EXPECT_VEC2(a->getPosition(), 2.3f, 0.2f);
    EXPECT_VEC2(b->getPosition(), 0.2f, 0.2f);

    // Vertical flow anchored bottom-left runs upward from the bottom edge.
    box.setDirection(1);
    box.setAlignment(4);
    box.layout();
    EXPECT_VEC2(box.getSize(), 2.4f, 2.0f);
    EXPECT_VEC2(a->getPosition(), 0.2f, 0.8f);
    EXPECT_VEC2(b->getPosition(), 0.2f, 0.2f);

    // An unknown alignment stacks everything at the box's own corner.
    box.setAlignment(7);
    box.layout();
    EXPECT_VEC2(a->getPosition(), 0.0f, 0.0f);
    EXPECT_VEC2(b->getPosition(), 0.0f, 0.0f);
}

TEST(ObjectLayout, ChildrenFollowParentOffset) {
    Object root(nullptr, "root");
    Object* box = new Object(&root, "box");
    box->setPosition(vector2(3, 4));
    Object* a = sized(box, "a", 1, 1);
    relayout(*box);
    EXPECT_VEC2(a->getPosition(), 3.2f, 4.2f);
    EXPECT_VEC2(a->getRelativePosition(), 0.2f, 0.2f);
}

TEST(ObjectLayout, ComputedSizeIsCappedAndLimitsAreSettable) {
    Object box(nullptr, "box");
    sized(&box, "a", 4, 1);
    sized(&box, "b", 6, 1);
    relayout(box);
    EXPECT_VEC2(box.getSize(), 8.0f, 1.4f);

    box.setMaxSize(vector2(20, 20));
    EXPECT_VEC2(box.getSize(), 10.5f, 1.4f);

    // The minimum size replaces the children's extent as content size, but the
    // flow still counts.
    box.setUseMinSize(true);
    box.setMinSize(vector2(12, 5));
    EXPECT_VEC2(box.getSize(), 12.0f, 5.0f);
    box.setMinSize(vector2(1, 1));
    EXPECT_VEC2(box.getSize(), 10.5f, 1.0f);
}

TEST(ObjectLayout, FloatingChildWidensButDoesNotPush) {
    Object box(nullptr, "box");
    Object* a = sized(&box, "a", 1, 1);
    Object* f = sized(&box, "f", 2, 1);
    f->setFloating();
    Object* c = sized(&box, "c", 1, 1);
    relayout(box);
    EXPECT_NEAR(box.getSize().x, 0.4f + 1 + 0.1f + 2 + 0.1f + 1, Tol);
    EXPECT_VEC2(f->getPosition(), 1.3f, 0.2f);
    EXPECT_VEC2(c->getPosition(), 1.3f, 0.2f);
    EXPECT_VEC2(a->getPosition(), 0.2f, 0.2f);
}

TEST(ObjectLayout, HiddenChildTakesNoRoomExceptContentAndTrailingSpacing) {
    Object box(nullptr, "box");
    sized(&box, "a", 1, 1);
    Object* h = sized(&box, "h", 2, 3);
    Object* c = sized(&box, "c", 1, 1);
    h->hide();
    relayout(box);
    // No width from the hidden child, but its height still reaches the box
    // through the content size.
    EXPECT_VEC2(box.getSize(), 0.4f + 1 + 0.1f + 1, 3.4f);
    EXPECT_VEC2(c->getPosition(), 1.3f, 0.2f);

    // A hidden last child leaves the spacing of the child before it.
    Object tail(nullptr, "tail");
    sized(&tail, "a", 1, 1);
    Object* last = sized(&tail, "last", 1, 1);
    last->hide();
    relayout(tail);
    EXPECT_NEAR(tail.getSize().x, 0.4f + 1 + 0.1f, Tol);
}

TEST(ObjectLayout, SettersMarkDirtyAndLockedValuesSurviveLayout) {
    Object box(nullptr, "box");
    Object* a = placed(&box, "a", 5, 5, 1, 1);
    box.setPadding(1.0f);
    EXPECT_TRUE(box.dirty);
    box.layout();
    EXPECT_FALSE(box.dirty);
    EXPECT_VEC2(a->getPosition(), 5.0f, 5.0f);
    EXPECT_VEC2(a->getSize(), 1.0f, 1.0f);
    EXPECT_VEC2(box.getSize(), 3.0f, 3.0f);
}

TEST(ObjectGeometry, HitTestIsStrictAndWritesOnlyOnHit) {
    Object o(nullptr, "o");
    o.setPosition(vector2(1, 1));
    o.setSize(vector2(2, 1));
    vector2 out(-7, -7);
    EXPECT_FALSE(o.hitTest(vector2(1, 1.5f), &out));
    EXPECT_FALSE(o.hitTest(vector2(3, 1.5f), &out));
    EXPECT_FALSE(o.hitTest(vector2(2, 2), &out));
    EXPECT_VEC2(out, -7.0f, -7.0f);
    EXPECT_TRUE(o.hitTest(vector2(2.5f, 1.5f), &out));
    EXPECT_VEC2(out, 2.5f, 1.5f);
    EXPECT_TRUE(o.hitTest(vector2(2, 1.5f)));
}

TEST(ObjectGeometry, NameIsCopiedAndBounded) {
    std::string longName(300, 'n');
    Object o(nullptr, longName.c_str());
    EXPECT_EQ(std::strlen(o.getName()), 255u);
    longName[0] = 'x';
    EXPECT_EQ(o.getName()[0], 'n');
    Object unnamed(nullptr, nullptr);
    EXPECT_STREQ(unnamed.getName(), "");
}

// ---------------------------------------------------------------- ownership

class CountedObject : public Object {
  public:
    CountedObject(Object* parent, int* destroyed)
        : Object(parent, "counted"), destroyed(destroyed) {}
    ~CountedObject() override { ++*destroyed; }

  private:
    int* destroyed;
};

TEST(ObjectOwnership, DestroyingFreesSubtreeActionsAndDerivedParts) {
    std::vector<std::string> log;
    int objects = 0;
    int actions = 0;
    {
        auto* root = new Object(nullptr, "root");
        auto* mid = new CountedObject(root, &objects);
        new CountedObject(mid, &objects);
        root->addAction(new LoggingAction(KindPaint, "root", &log, &actions));
        mid->addAction(new LoggingAction(KindRelease, "mid", &log, &actions));
        mid->moveTo(0, vector2(1, 1), 1.0f);
        Object* base = root; // through the base pointer
        delete base;
    }
    EXPECT_EQ(objects, 2);
    EXPECT_EQ(actions, 2);
}

TEST(ObjectOwnership, DeletingAChildUnhooksIt) {
    Object box(nullptr, "box");
    Object* a = sized(&box, "a", 1, 1);
    Object* b = sized(&box, "b", 1, 1);
    Object* c = sized(&box, "c", 1, 1);
    delete b;
    ASSERT_EQ(box.childCount(), 2u);
    EXPECT_EQ(box.child(1), c);
    EXPECT_EQ(c->getIndex(), 1);
    relayout(box);
    EXPECT_VEC2(c->getPosition(), 0.2f + 1 + 0.1f, 0.2f);
    EXPECT_EQ(a->getIndex(), 0);
}

TEST(ObjectActions, AddActionReplacesDeletesAndRejects) {
    std::vector<std::string> log;
    int destroyed = 0;
    Object o(nullptr, "o");
    EXPECT_TRUE(o.addAction(new LoggingAction(KindRelease, "first", &log, &destroyed)));
    EXPECT_TRUE(o.addAction(new LoggingAction(KindRelease, "second", &log, &destroyed)));
    EXPECT_EQ(destroyed, 1);
    ASSERT_NE(o.getAction(KindRelease), nullptr);
    o.getAction(KindRelease)->execute(&o, vector2(), 0);
    EXPECT_EQ(log, std::vector<std::string>({"second:4"}));

    EXPECT_FALSE(o.addAction(nullptr));
    auto stray = std::make_unique<LoggingAction>(9, "stray", &log, &destroyed);
    EXPECT_FALSE(o.addAction(stray.get()));
    EXPECT_EQ(o.getAction(9), nullptr);
    EXPECT_EQ(destroyed, 1);
}

// ---------------------------------------------------------------- visibility

class PopupMenu : public Object {
  public:
    using Object::Object;
    std::string getType() const override { return keltraWorks::PopupMenuType; }
};

TEST(ObjectVisibility, HideAndShowCoverTheSubtreeAndPopupFlag) {
    glintTest::EventFlagsReset flags;
    Object root(nullptr, "root");
    Object* a = new Object(&root, "a");
    Object* deep = new Object(a, "deep");
    auto* menu = new PopupMenu(&root, "menu");
    deep->hide();
    root.hide();
    EXPECT_TRUE(a->hidden && deep->hidden && menu->hidden);
    root.show();
    EXPECT_FALSE(root.hidden || a->hidden || deep->hidden || menu->hidden);
    EXPECT_TRUE(keltraWorks::popupVisible);
    menu->hide();
    EXPECT_FALSE(keltraWorks::popupVisible);
}

// ---------------------------------------------------------------- drawing

class DrawLogger : public Object {
  public:
    DrawLogger(Object* parent, const char* name, std::vector<std::string>* log,
               bool popupKind = false)
        : Object(parent, name), log(log), popupKind(popupKind) {}
    void draw(keltraWorks::Renderer* r) override {
        log->push_back(std::string("draw ") + getName());
        Object::draw(r);
    }
    std::string getType() const override {
        return popupKind ? keltraWorks::PopupMenuType : "Generic Object";
    }

  private:
    std::vector<std::string>* log;
    bool popupKind;
};

TEST(ObjectDraw, ChildrenInOrderThenPopupsThenPaintAction) {
    std::vector<std::string> log;
    Object root(nullptr, "root");
    new DrawLogger(&root, "a", &log);
    auto* menu = new DrawLogger(&root, "menu", &log, true);
    auto* b = new DrawLogger(&root, "b", &log);
    new DrawLogger(menu, "item", &log);
    b->popup = menu;
    root.addAction(new LoggingAction(KindPaint, "root", &log));
    root.draw(nullptr);
    EXPECT_EQ(log,
              std::vector<std::string>({"draw a", "draw b", "draw menu", "draw item", "root:5"}));
}

// ---------------------------------------------------------------- routing

class Routing : public ::testing::Test {
  protected:
    Routing() {
        root.setSize(vector2(10, 10));
        root.addAction(new LoggingAction(KindPress, "root", &log));
        root.addAction(new LoggingAction(KindRelease, "root", &log));
    }
    void watch(Object* o, const char* tag) {
        for (int kind = KindMove; kind <= KindRelease; ++kind) {
            o->addAction(new LoggingAction(kind, tag, &log));
        }
    }
    void click(vector2 p) {
        root.onMouseDown(p, 0);
        pressTakenAfterDown = keltraWorks::pressTaken;
        keltraWorks::pressTaken = false;
        root.onMouseUp(p, 0);
        releaseTakenAfterUp = keltraWorks::releaseTaken;
        keltraWorks::releaseTaken = false;
    }

    glintTest::EventFlagsReset flags;
    std::vector<std::string> log;
    Object root{nullptr, "root"};
    bool pressTakenAfterDown = false;
    bool releaseTakenAfterUp = false;
};

TEST_F(Routing, PressIsTakenByFirstVisibleSiblingAndItsDeepestChild) {
    Object* first = placed(&root, "first", 1, 1, 4, 4);
    Object* second = placed(&root, "second", 2, 2, 4, 4);
    watch(first, "first");
    watch(second, "second");
    click(vector2(3, 3));
    EXPECT_EQ(log, std::vector<std::string>({"first:3", "first:4"}));
    EXPECT_TRUE(pressTakenAfterDown);
    EXPECT_TRUE(releaseTakenAfterUp);

    log.clear();
    Object* inner = placed(first, "inner", 2.5f, 2.5f, 1, 1);
    watch(inner, "inner");
    click(vector2(3, 3));
    EXPECT_EQ(log, std::vector<std::string>({"inner:3", "inner:4"}));
}

TEST_F(Routing, PressOnActionlessObjectStillEndsTheSearch) {
    placed(&root, "bare", 1, 1, 4, 4);
    Object* later = placed(&root, "later", 1, 1, 4, 4);
    watch(later, "later");
    click(vector2(2, 2));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(pressTakenAfterDown);
    EXPECT_TRUE(releaseTakenAfterUp);
}

TEST_F(Routing, HiddenChildHearsMovesButNotClicks) {
    Object* ghost = placed(&root, "ghost", 1, 1, 4, 4);
    watch(ghost, "ghost");
    ghost->hide();
    root.onMouseMove(vector2(2, 2));
    EXPECT_TRUE(ghost->hovered);
    click(vector2(2, 2));
    // Every hit child is hidden, so the parent takes the click itself.
    EXPECT_EQ(log, std::vector<std::string>({"ghost:1", "root:3", "root:4"}));
}

TEST_F(Routing, MovesReachEveryHitSiblingAndLeaveFiresOnce) {
    Object* box = placed(&root, "box", 1, 1, 6, 6);
    Object* a = placed(box, "a", 2, 2, 2, 2);
    Object* b = placed(box, "b", 3, 3, 2, 2);
    watch(a, "a");
    watch(b, "b");
    watch(box, "box");
    root.onMouseMove(vector2(3.5f, 3.5f));
    EXPECT_EQ(log, std::vector<std::string>({"a:1", "b:1"}));
    EXPECT_TRUE(a->hovered && b->hovered);

    log.clear();
    root.onMouseMove(vector2(6, 6));    // inside box, outside both
    root.onMouseMove(vector2(6.5f, 6)); // still there: no second leave
    EXPECT_EQ(log, std::vector<std::string>({"a:2", "b:2", "box:1", "box:1"}));

    log.clear();
    root.onMouseMove(vector2(4.5f, 4.5f)); // into b only
    root.onMouseMove(vector2(9, 9));       // outside box in one move: b leaves, then box
    EXPECT_EQ(log, std::vector<std::string>({"b:1", "b:2", "box:2"}));
    EXPECT_FALSE(b->hovered || box->hovered);
}

TEST_F(Routing, LeavingTheRootOrTheWindowEndsEveryHover) {
    Object* box = placed(&root, "box", 1, 1, 6, 6);
    Object* a = placed(box, "a", 2, 2, 2, 2);
    watch(a, "a");
    watch(box, "box");
    for (MouseEventKind away : {MouseEventKind::Move, MouseEventKind::Leave}) {
        keltraWorks::dispatchMouseEvent(root, MouseEventKind::Move, vector2(3, 3));
        log.clear();
        // Far outside the root (or no point at all, for the window's leave).
        keltraWorks::dispatchMouseEvent(root, away, vector2(20, 20));
        EXPECT_EQ(log, std::vector<std::string>({"a:2", "box:2"}));
        EXPECT_FALSE(a->hovered || box->hovered);
    }
}

// ---------------------------------------------------------------- animation

class Animation : public ::testing::Test {
  protected:
    glintTest::FakeClock clock{1000};
};

TEST_F(Animation, MoveAtSpeedKeepsAStraightPathAndSettles) {
    Object o(nullptr, "o");
    o.moveTo(1, vector2(3, 4), 2.0f);
    auto* px = dynamic_cast<SpeedCtrl*>(o.getController("posx"));
    auto* py = dynamic_cast<SpeedCtrl*>(o.getController("posy"));
    ASSERT_NE(px, nullptr);
    ASSERT_NE(py, nullptr);
    EXPECT_NEAR(px->speed, 1.5f, Tol);
    EXPECT_NEAR(py->speed, 2.0f, Tol);

    clock.advance(1000);
    o.update();
    EXPECT_VEC2(o.position, 1.5f, 2.0f);
    EXPECT_TRUE(o.positionLocked);
    EXPECT_FALSE(o.dirty);

    clock.advance(1000);
    o.update(); // both axes reach their targets together
    EXPECT_VEC2(o.position, 3.0f, 4.0f);
    clock.advance(10);
    o.update(); // the controllers finish with the exact target...
    EXPECT_VEC2(o.position, 3.0f, 4.0f);
    EXPECT_NE(o.getController("posx"), nullptr);
    clock.advance(10);
    o.update(); // ...and are removed a frame later, the value staying put
    EXPECT_EQ(o.getController("posx"), nullptr);
    EXPECT_EQ(o.getController("posy"), nullptr);
    EXPECT_VEC2(o.getPosition(), 3.0f, 4.0f);
    EXPECT_TRUE(o.positionLocked);

    // With the longer leg along x, y is the axis slowed down.
    o.moveTo(1, vector2(11, 6), 2.0f);
    EXPECT_NEAR(dynamic_cast<SpeedCtrl*>(o.getController("posx"))->speed, 2.0f, Tol);
    EXPECT_NEAR(dynamic_cast<SpeedCtrl*>(o.getController("posy"))->speed, 0.5f, Tol);
}

TEST_F(Animation, MoveTargetsAreAbsoluteUnderAnOffsetParent) {
    Object root(nullptr, "root");
    Object* box = new Object(&root, "box");
    box->setPosition(vector2(2, 2));
    Object* item = sized(box, "item", 1, 1);
    relayout(*box);
    ASSERT_NE(item->getPosition().x, 0.0f);
    item->moveTo(0, vector2(5, 6), 1.0f);
    clock.advance(500);
    item->update();
    EXPECT_VEC2(item->position, (2.2f + 5) / 2, (2.2f + 6) / 2);
    clock.advance(500);
    item->update();
    EXPECT_VEC2(item->position, 5.0f, 6.0f);
}

TEST_F(Animation, ResizeLocksSizeAndOtherModesCancel) {
    Object box(nullptr, "box");
    Object* inner = sized(&box, "inner", 1, 1);
    relayout(box);
    box.resizeTo(0, vector2(4, 2), 2.0f);
    clock.advance(1000);
    box.draw(nullptr);
    EXPECT_TRUE(box.sizeLocked);
    EXPECT_VEC2(box.size, 2.7f, 1.7f); // halfway from the computed 1.4 x 1.4
    EXPECT_VEC2(inner->getPosition(), 0.2f, 0.2f);

    box.resizeTo(5, vector2(9, 9), 1.0f);
    EXPECT_EQ(box.getController("sizex"), nullptr);
    EXPECT_EQ(box.getController("sizey"), nullptr);
    clock.advance(1000);
    box.update();
    EXPECT_VEC2(box.size, 2.7f, 1.7f);
}

} // namespace
