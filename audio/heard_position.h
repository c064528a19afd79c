// Where a stream's sound is at the listener's ear. Each buffer the output
// is given is marked with the stream frame it starts with, how many device
// frames of it carry this stream, the step in stream frames per device
// frame, and the moment its first frame is heard (the hand-over plus the
// output's latency). Several buffers are queued at once behind a latency:
// the position at a given time is interpolated within the newest buffer
// heard by then and stops at its end, so it never runs ahead of the sound.
// Before the oldest buffer is heard the position stands where it was.
//
// Units: stream frames (absolute, may be fractional while resampling);
// time in nanoseconds of a monotonic clock; device frames at deviceRate.
// Capacity: MaxMarks buffers; a newer one pushes out the oldest, long heard.
// Threads: plain data, never allocating; its owner (Stream) guards it with
// the output lock.
#pragma once

#include <array>
#include <cstdint>

namespace keltraWorks {

class HeardPosition {
  public:
    static constexpr int MaxMarks = 256;

    // A buffer of `frames` device frames starting at stream frame `start`
    // is heard from `heardNs` on; each device frame advances the stream by
    // `step` frames.
    void mark(double start, int frames, double step, uint64_t heardNs);
    // The position stands at `frame` (after a seek, in silence, or when the
    // queued buffers were lost); every mark is forgotten.
    void freeze(double frame);
    // The stream position heard at `nowNs`, and the same rounded down.
    double positionAt(uint64_t nowNs, int deviceRate) const;
    int64_t frameAt(uint64_t nowNs, int deviceRate) const;

  private:
    struct Mark {
        double start;
        int frames;
        double step;
        uint64_t heardNs;
    };
    std::array<Mark, MaxMarks> marks{};
    int oldest = 0;
    int count = 0;
    double standing = 0.0; // the position before the oldest mark is heard
};

} // namespace keltraWorks
