// The linear resampler between a stream's frames and the device: reads the
// stream's frames (mono or stereo, its own rate) from a HistoryRing at a
// fractional position and writes stereo frames at the device rate. Mono
// goes to both sides. At equal rates (step 1, whole positions) it copies
// the samples exactly.
//
// Units: positions in stream frames, step in stream frames per device frame.
// Threads: a pure function of its arguments; used on the audio callback.
#pragma once

#include "audio/history_ring.h"

namespace keltraWorks {

// Writes up to `frames` stereo frames into out, device frame j taken at
// stream position from + j * step. Stops early where the ring holds no
// frame for position j; past the last frame of the file (`fileEnd`) the
// final frame is held instead of interpolating into nothing. Returns the
// frames written.
int resampleToStereo(const HistoryRing& ring, int channels, double from, double step, int frames,
                     int64_t fileEnd, float* out);

} // namespace keltraWorks
