#include "engine/core/timer.h"

#include "tests/support/fake_clock.h"

#include <gtest/gtest.h>

using keltraWorks::Timer;
using glintTest::FakeClock;

TEST(Timer, NewTimerReadsZeroAndIsStopped) {
    FakeClock clock(5000);
    Timer t;
    EXPECT_FALSE(t.running);
    EXPECT_EQ(t.elapsed(), 0.0f);
    clock.advance(1000);
    EXPECT_EQ(t.elapsed(), 0.0f);
}

TEST(Timer, ElapsedCountsSecondsFromStart) {
    FakeClock clock(1000);
    Timer t;
    t.start();
    clock.advance(1234);
    EXPECT_FLOAT_EQ(t.elapsed(), 1.234f);
}

TEST(Timer, StartRestartsARunningClockAndKeepsPauseTick) {
    FakeClock clock(100);
    Timer t;
    t.start();
    clock.advance(500);
    t.pause();
    EXPECT_EQ(t.pauseTick, 600u);
    t.start();
    EXPECT_EQ(t.pauseTick, 600u);
    clock.advance(250);
    EXPECT_FLOAT_EQ(t.elapsed(), 0.25f);
}

TEST(Timer, PauseAndResumeSkipThePausedTime) {
    FakeClock clock(0);
    Timer t;
    t.start();
    clock.advance(1500);
    t.pause();
    clock.advance(2000);
    EXPECT_FLOAT_EQ(t.elapsed(), 1.5f);
    t.resume();
    EXPECT_FLOAT_EQ(t.elapsed(), 1.5f);
    EXPECT_EQ(t.pauseTick, 0u);
    clock.advance(500);
    EXPECT_FLOAT_EQ(t.elapsed(), 2.0f);
}

TEST(Timer, SecondPauseAndSecondResumeChangeNothing) {
    FakeClock clock(0);
    Timer t;
    t.start();
    clock.advance(1000);
    t.pause();
    clock.advance(700);
    t.pause(); // keeps the first pause tick
    EXPECT_EQ(t.pauseTick, 1000u);
    clock.advance(300);
    t.resume();
    const uint32_t startAfterFirstResume = t.startTick;
    clock.advance(400);
    t.resume(); // running: startTick moves only once
    EXPECT_EQ(t.startTick, startAfterFirstResume);
    EXPECT_FLOAT_EQ(t.elapsed(), 1.4f);
}

TEST(Timer, ResumeOnNeverStartedTimerStartsIt) {
    FakeClock clock(42000);
    Timer t;
    t.resume();
    EXPECT_TRUE(t.running);
    EXPECT_EQ(t.startTick, 42000u);
    clock.advance(3000);
    EXPECT_FLOAT_EQ(t.elapsed(), 3.0f);
}

TEST(Timer, ElapsedIsCorrectAcrossTheTickCountWrap) {
    FakeClock clock(0xFFFFFF00u); // 256 ms before the 32-bit count wraps
    Timer t;
    t.start();
    clock.advance(1256);
    EXPECT_LT(clock.now(), 0x1000u);
    EXPECT_FLOAT_EQ(t.elapsed(), 1.256f);
    t.pause();
    clock.advance(5000);
    t.resume();
    clock.advance(744);
    EXPECT_FLOAT_EQ(t.elapsed(), 2.0f);
}

TEST(Timer, SystemClockIsMonotonic) {
    Timer t;
    t.start();
    const float a = t.elapsed();
    const float b = t.elapsed();
    EXPECT_GE(a, 0.0f);
    EXPECT_GE(b, a);
    EXPECT_LT(b, 60.0f);
}
