// The decoded frames of one stream around the position being heard: a ring
// of float frames (the stream's own channels, interleaved) that knows the
// absolute frame number of everything it holds. The output path reads its
// next frames from here, and BASS_ChannelGetData copies the frames being
// heard from here without consuming them.
//
// Ownership: owns its buffer, allocated once at construction.
// Units: sample frames, absolute from the start of the file.
// Threads: not locked itself; its owner (Stream) uses it on the audio
// callback thread or under the device lock. Nothing here allocates after
// construction.
#pragma once

#include <cstdint>
#include <vector>

namespace keltraWorks {

class HistoryRing {
  public:
    // Room for at least minFrames frames of `channels` samples.
    HistoryRing(int minFrames, int channels);

    // Empties the ring; the next appended frame is number `frame`.
    void reset(int64_t frame);
    // Oldest frame still held and one past the newest.
    int64_t begin() const { return first; }
    int64_t end() const { return last; }
    int capacity() const { return size; }

    // Where the next frames go: up to *frames contiguous frames (never 0).
    // Appending past the capacity drops the oldest frames.
    float* appendSpace(int* frames);
    void commit(int frames);

    // The samples of a frame held in the ring (begin() <= frame < end()).
    const float* frame(int64_t frame) const;
    // Copies `frames` frames from absolute frame `from` into out; frames not
    // held (before begin, at or after end) are zeros.
    void copy(int64_t from, int frames, float* out) const;

  private:
    std::vector<float> samples;
    int size = 0; // frames, a power of two
    int mask = 0;
    int channels = 0;
    int64_t first = 0;
    int64_t last = 0;
};

} // namespace keltraWorks
