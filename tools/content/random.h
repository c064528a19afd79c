// A small deterministic pseudo-random generator (SplitMix64). The content
// must come out byte for byte the same on every run, so nothing here reads
// the clock or the C library's rand(); every user seeds its own generator.
// Not thread-safe; one generator per thread.
#pragma once

#include <cstdint>

namespace keltraWorks {

class Random {
  public:
    explicit Random(uint64_t seed) : state(seed) {}

    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [0, n); n must be positive.
    int below(int n) { return int(next() % uint64_t(n)); }
    bool chance(double p) { return uniform() < p; }

  private:
    uint64_t state;
};

} // namespace keltraWorks
