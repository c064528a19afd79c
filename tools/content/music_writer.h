// Makes "glint.mp3". The recording is cut into lanes, one per section: a
// lane is synthesised from its section's start with a limiter of its own and
// encoded by an encoder of its own into memory, running a few seconds into
// the next section. Two threads take the lanes longest first, so both cores
// stay busy to the end. The lanes' MP3 streams share one frame grid and are
// joined at seams in those overlaps (see Mp3Joiner), and the Info tag is
// filled in for the whole. When no seam can be found (sections shorter than
// the seam window, in very short recordings) the music is made again in one
// lane. The bytes depend only on the length asked for, never on thread
// timing. Shows progress on stderr. Blocking; call from one thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keltraWorks {

struct MusicReport {
    double wallSeconds = 0;
    uint64_t bytes = 0;
    int64_t frames = 0; // samples per channel in the recording
    float lowestLimiterGain = 1;
    double synthesisCpuSeconds = 0; // processor time synthesising, all threads
    double encodingCpuSeconds = 0;  // processor time in the encoders, all threads
    int lanes = 0;
    int seams = 0;
    int seamsWithOtherWindows = 0; // seams whose two sides end in different windows
    // For each seam, the first file frame (1152 samples each, counted from
    // the first audio frame) taken from the later lane.
    std::vector<int64_t> seamFrames;
};

// `seconds` is the recording's length (MusicSeconds for the real one; less
// for a quick recording with every section start scaled down alike).
bool writeMusic(const std::string& path, double seconds, MusicReport* report, std::string* error);

} // namespace keltraWorks
