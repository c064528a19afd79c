// Joins MP3 streams that were encoded separately from overlapping stretches
// of one recording into one stream, without decoding: the output takes one
// stream's frames up to a seam and the next stream's frames from there on.
// The streams must share a frame grid (frame j of a stream whose input
// starts at sample 1152 * m is frame m + j of the whole), so the frames on
// both sides of a seam describe the same samples. A Layer III frame's main
// data may start in the regions of the frames before it (the bit
// reservoir); at a seam those bytes are copied over the part of the
// reservoir the earlier stream left unused. Frame indices are file frames
// (audio frames, the Info tag frame not counted) unless named otherwise.
// Pure byte work; one thread per joiner.
#pragma once

#include "tools/content/mp3_frames.h"

#include <cstdint>
#include <vector>

namespace keltraWorks {

// One encoded stream's audio frames (its Info tag frame left out) and where
// its first frame lies in the whole file.
struct Mp3Stream {
    const uint8_t* data = nullptr; // the bytes `frames` point into
    std::vector<Mp3Frame> frames;
    int64_t firstFrame = 0; // the file frame of frames[0]

    int64_t endFrame() const { return firstFrame + int64_t(frames.size()); }
    const Mp3Frame& at(int64_t fileFrame) const { return frames[size_t(fileFrame - firstFrame)]; }
    Mp3Frame& at(int64_t fileFrame) { return frames[size_t(fileFrame - firstFrame)]; }
};

struct Mp3Seam {
    int64_t frame = -1;        // the first file frame taken from the later stream
    bool windowsMatch = false; // both streams end frame - 1 with the same windows
};

// Whether file frame `seam` of `b` can follow frame seam - 1 of `a`: the
// main data b's frame reaches back for fits in what a's frames leave free.
bool seamFits(const Mp3Stream& a, const Mp3Stream& b, int64_t seam);

// Looks for a seam among file frames [from, to) (clipped to where both
// streams have frames on both sides): the first one that fits and where a's
// frame seam - 1 ends with the same window in each channel as b's frame
// seam - 1, so the decoder's overlap of the two frames' transforms is the
// one the later stream was encoded for; failing that the first that fits.
// frame -1 when none fits.
Mp3Seam findSeam(const Mp3Stream& a, const Mp3Stream& b, int64_t from, int64_t to);

// The joined stream, built front to back.
class Mp3Joiner {
  public:
    // Appends file frames [from, to) of `stream`. When the output already has
    // frames, the main data that `from` reaches back for is first copied from
    // before its region in `stream` over the end of the output's reservoir.
    // False, with the output unchanged, when it does not fit there or the
    // stream does not hold those bytes.
    bool append(const Mp3Stream& stream, int64_t from, int64_t to);

    const std::vector<uint8_t>& bytes() const { return out; }
    const std::vector<Mp3Frame>& frames() const { return outFrames; }

  private:
    std::vector<uint8_t> out;
    std::vector<Mp3Frame> outFrames; // offsets into `out`
};

} // namespace keltraWorks
