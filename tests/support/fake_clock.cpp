#include "tests/support/fake_clock.h"

#include "engine/core/clock.h"

#include <cmath>

namespace glintTest {

namespace {
uint32_t fakeNow = 0;
uint32_t fakeTicks() { return fakeNow; }
} // namespace

FakeClock::FakeClock(uint32_t startMs) {
    fakeNow = startMs;
    keltraWorks::setTickSource(fakeTicks);
}

FakeClock::~FakeClock() { keltraWorks::setTickSource(nullptr); }

void FakeClock::set(uint32_t ms) { fakeNow = ms; }

void FakeClock::advance(uint32_t ms) { fakeNow += ms; }

void FakeClock::advanceSeconds(double seconds) { fakeNow += uint32_t(std::lround(seconds * 1000.0)); }

uint32_t FakeClock::now() const { return fakeNow; }

} // namespace glintTest
