// A fake tick source for tests: installs itself on construction, restores
// the system clock on destruction. Time moves only when the test says so.
#pragma once

#include <cstdint>

namespace glintTest {

class FakeClock {
  public:
    explicit FakeClock(uint32_t startMs = 0);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void set(uint32_t ms);
    void advance(uint32_t ms);
    void advanceSeconds(double seconds);
    uint32_t now() const;
};

} // namespace glintTest
