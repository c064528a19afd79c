// Makes "glint.mp3": one thread synthesises the recording block by block into
// a bounded queue while the calling thread encodes the blocks as they come,
// so on two cores synthesis and encoding overlap fully. Shows progress on
// stderr. Blocking; call from one thread.
#pragma once

#include <cstdint>
#include <string>

namespace keltraWorks {

struct MusicReport {
    double wallSeconds = 0;
    uint64_t bytes = 0;
    int64_t frames = 0;
    float lowestLimiterGain = 1;
    double synthesisCpuSeconds = 0; // processor time of the synthesis thread
    double encodingCpuSeconds = 0;  // processor time spent in the encoder
};

// `seconds` is the recording's length (MusicSeconds for the real one; less
// for a quick recording with every section start scaled down alike).
bool writeMusic(const std::string& path, double seconds, MusicReport* report, std::string* error);

} // namespace keltraWorks
