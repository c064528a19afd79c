// SampleSource: where the oscilloscope (Analyzer) gets the sound being heard.
// The widget tree knows no audio library; the application hands the widget
// an implementation backed by one.
//
// Samples are interleaved 32-bit floats in about -1..1: the window being
// heard now, from the sample playing at this moment on (zeros while nothing
// plays). A count is in samples (frames times channels), not bytes. A source
// keeps no pointer to the buffers it is given.
// Called on the window's thread only, from the widget's draw.
#pragma once

#include <cstddef>

namespace keltraWorks {

class SampleSource {
  public:
    virtual ~SampleSource() = default;

    // The channel count of the sound heard now; 0 when there is none to read
    // (no music, or it has gone).
    virtual unsigned channels() = 0;
    // Writes at most `count` samples of the window heard now to `out` and sets
    // *written to how many it wrote. False, with *written untouched, when
    // the samples cannot be read.
    virtual bool read(float* out, std::size_t count, std::size_t* written) = 0;
};

} // namespace keltraWorks
