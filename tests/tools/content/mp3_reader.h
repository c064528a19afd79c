// Test helper: decodes an MP3 file with libmpg123 (gapless, so the encoder's
// delay and padding are removed as its LAME/Info tag says) and reports the
// stream's format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glintTest {

struct Mp3Audio {
    bool opened = false;
    long rate = 0;
    int channels = 0;
    int mpegVersion = -1; // 0: MPEG-1
    int layer = 0;
    int mode = -1;   // 1: joint stereo
    int bitrate = 0; // kbit/s of the first audio frame
    bool constantBitrate = false;
    std::vector<float> samples; // interleaved
    size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

Mp3Audio decodeMp3(const std::string& path);

} // namespace glintTest
