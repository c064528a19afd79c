// Reads the frame structure of an MPEG-1 Layer III stream held in memory:
// where each frame starts, its size, and the side-information fields that
// say where its main data lies in the bit reservoir (main_data_begin, the
// bits its granules use) and which window its last granule ends with. Also
// checks that a whole stream's main data is consistent. Offsets and sizes are
// in bytes unless named bits. Pure functions over the caller's bytes; safe
// from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace keltraWorks {

struct Mp3Frame {
    size_t offset = 0;   // of the frame header within the stream
    int size = 0;        // the whole frame, header included
    int regionStart = 0; // bytes from the header to the main-data region
    int bitrateKbps = 0;
    int sampleRate = 0;
    int channels = 0;
    int modeExtension = 0;
    int mainDataBegin = 0; // bytes of main data that lie before this frame's region
    int mainDataBits = 0;  // part2_3_length summed over granules and channels
    // Block type of granule 1 for each channel (0: the normal long window).
    std::array<int, 2> lastBlockType{};

    int regionSize() const { return size - regionStart; }
    int mainDataBytes() const { return (mainDataBits + 7) / 8; }
    // Bytes at the end of the reservoir, up to this frame's region end, that
    // neither this frame nor any before it uses.
    int freeAfter() const { return regionSize() + mainDataBegin - mainDataBytes(); }
};

// Samples per channel in one MPEG-1 Layer III frame.
constexpr int Mp3FrameSamples = 1152;

// Parses one frame header and its side information at `data` (`size` bytes
// available). False when it is not a whole MPEG-1 Layer III frame.
bool parseMp3Frame(const uint8_t* data, size_t size, Mp3Frame* frame);

// Parses the frames that fill `data` back to back. False, with `error`
// naming the offset, at the first thing that is not a whole frame.
bool parseMp3Frames(const uint8_t* data, size_t size, std::vector<Mp3Frame>* frames,
                    std::string* error);

// Walks frames [first, end) as a decoder would and checks the bit
// reservoir: each frame's main data starts within the regions before it (of
// frames from `first` on), after the previous frame's data, and ends within
// its own region. False, with `error` naming the frame, otherwise.
bool checkMainData(const std::vector<Mp3Frame>& frames, size_t first, std::string* error);

} // namespace keltraWorks
