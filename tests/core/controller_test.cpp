#include "engine/core/controller.h"

#include "tests/support/fake_clock.h"

#include <gtest/gtest.h>

using keltraWorks::SpeedCtrl;
using keltraWorks::TimeCtrl;
using glintTest::FakeClock;

TEST(TimeCtrl, StartsAtFromAndAnimatesFromConstruction) {
    FakeClock clock(1000);
    TimeCtrl c(0.0f, 8.0f, 2.0f);
    EXPECT_EQ(c.value, 0.0f);
    EXPECT_TRUE(c.timer.running);
    clock.advance(500);
    c.update();
    EXPECT_FLOAT_EQ(c.value, 2.0f);
}

TEST(TimeCtrl, ReachesExactlyTheTargetAndStays) {
    FakeClock clock(0);
    TimeCtrl c(0.0f, 8.0f, 2.0f);
    clock.advance(1999);
    c.update();
    EXPECT_LT(c.value, 8.0f);
    clock.advance(1);
    c.update();
    EXPECT_EQ(c.value, 8.0f);
    EXPECT_FALSE(c.timer.running);
    clock.advance(10000);
    c.update();
    EXPECT_EQ(c.value, 8.0f);
}

TEST(TimeCtrl, NeverPassesTheTargetEvenWhenUpdatedLate) {
    FakeClock clock(0);
    TimeCtrl c(3.0f, -1.0f, 1.0f);
    clock.advance(5000);
    c.update();
    EXPECT_EQ(c.value, -1.0f);
}

TEST(TimeCtrl, ZeroDurationFinishesAtFirstUpdate) {
    FakeClock clock(0);
    TimeCtrl c(1.0f, 4.0f, 0.0f);
    c.update();
    EXPECT_EQ(c.value, 4.0f);
    EXPECT_FALSE(c.timer.running);
}

TEST(TimeCtrl, PausedTimerFreezesTheValueAndResumeContinues) {
    FakeClock clock(0);
    TimeCtrl c(0.0f, 10.0f, 10.0f);
    clock.advance(3000);
    c.update();
    EXPECT_FLOAT_EQ(c.value, 3.0f);
    c.timer.pause();
    clock.advance(4000);
    c.update();
    EXPECT_FLOAT_EQ(c.value, 3.0f);
    c.timer.resume();
    clock.advance(1000);
    c.update();
    EXPECT_FLOAT_EQ(c.value, 4.0f);
}

TEST(SpeedCtrl, RisingOvershootsForOneUpdateThenSnaps) {
    FakeClock clock(0);
    SpeedCtrl c(0.0f, 10.0f, 4.0f);
    clock.advance(2600);
    c.update();
    EXPECT_FLOAT_EQ(c.value, 10.4f);
    EXPECT_TRUE(c.timer.running);
    clock.advance(10);
    c.update();
    EXPECT_EQ(c.value, 10.0f);
    EXPECT_FALSE(c.timer.running);
    clock.advance(1000);
    c.update();
    EXPECT_EQ(c.value, 10.0f);
}

TEST(SpeedCtrl, FallingReachesOrPassesThenSetsExactTarget) {
    FakeClock clock(0);
    SpeedCtrl c(10.0f, 2.0f, 4.0f);
    clock.advance(1000);
    c.update();
    EXPECT_FLOAT_EQ(c.value, 6.0f);
    clock.advance(1000);
    c.update();
    EXPECT_LE(c.value, 2.0f);
    EXPECT_TRUE(c.timer.running);
    clock.advance(10);
    c.update();
    EXPECT_EQ(c.value, 2.0f);
    EXPECT_FALSE(c.timer.running);
}

TEST(SpeedCtrl, FromEqualToFinishesAtFirstUpdate) {
    FakeClock clock(0);
    SpeedCtrl c(5.0f, 5.0f, 1.0f);
    c.update();
    EXPECT_EQ(c.value, 5.0f);
    EXPECT_FALSE(c.timer.running);
}

TEST(SpeedCtrl, ZeroSpeedStaysAtStart) {
    FakeClock clock(0);
    SpeedCtrl c(0.0f, 1.0f, 0.0f);
    for (int i = 0; i < 5; ++i) {
        clock.advance(1000);
        c.update();
    }
    EXPECT_EQ(c.value, 0.0f);
    EXPECT_TRUE(c.timer.running);
}

TEST(SpeedCtrl, PausedTimerFreezesTheValue) {
    FakeClock clock(0);
    SpeedCtrl c(0.0f, 100.0f, 10.0f);
    clock.advance(1000);
    c.update();
    c.timer.pause();
    clock.advance(5000);
    c.update();
    EXPECT_FLOAT_EQ(c.value, 10.0f);
}
