// The oscilloscope's samples from a stream of the audio library: what the
// Analyzer widget reads each frame, taken with BASS_ChannelGetInfo and
// BASS_ChannelGetData (float samples) on one stream handle.
//
// Ownership: made by buildPlayerScreen and owned by the Analyzer it is given
// to. The stream is not owned (the track player opens and frees it); handle 0
// or a freed stream has no channels and cannot be read, so nothing is drawn.
// Threads: the window's thread, like the widget.
#pragma once

#include "audio/bass.h"
#include "engine/gui/sample_source.h"

class StreamSampleSource : public keltraWorks::SampleSource {
  public:
    explicit StreamSampleSource(HSTREAM stream) : handle(stream) {}

    unsigned channels() override;
    bool read(float* out, std::size_t count, std::size_t* written) override;
    HSTREAM stream() const { return handle; }

  private:
    HSTREAM handle;
};
