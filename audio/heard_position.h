// Where a stream's sound is at the listener's ear. Each time the output
// callback hands over a buffer it marks the stream frame that buffer starts
// with, how many device frames of it carry this stream, the step in stream
// frames per device frame, and the time of hand-over. The frame heard at a
// later time is interpolated within that buffer and stops at its end, so the
// position never runs ahead of the sound that was handed over.
//
// Units: stream frames (absolute, may be fractional while resampling);
// time in nanoseconds of a monotonic clock; device frames at deviceRate.
// Threads: plain data; its owner (Stream) guards it with the device lock.
#pragma once

#include <cstdint>

namespace keltraWorks {

class HeardPosition {
  public:
    // A buffer of `frames` device frames starting at stream frame `start`
    // was handed to the device at `nowNs`; each device frame advances the
    // stream by `step` frames.
    void mark(double start, int frames, double step, uint64_t nowNs);
    // The position stands still at `frame` (after a seek, or in silence).
    void freeze(double frame);
    // The stream frame being heard at `nowNs` (rounded down).
    int64_t frameAt(uint64_t nowNs, int deviceRate) const;
    // The frame where the marked buffer ends.
    double endFrame() const { return start + frames * step; }

  private:
    double start = 0.0;
    int frames = 0;
    double step = 1.0;
    uint64_t handedNs = 0;
};

} // namespace keltraWorks
