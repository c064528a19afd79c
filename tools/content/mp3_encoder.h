// Encodes stereo float frames (44100 a second, -1..1) into an MP3 file with
// LAME: MPEG-1 Layer III, joint stereo, constant 96 kbit/s, quality 7, no
// ID3 tag, and the LAME/Info tag written over the first frame when the file
// is finished, so decoders know the exact length (without it every position
// shifts by the encoder's delay). The file is written as "<path>.part" and
// renamed into place by `finish`; a destroyed unfinished encoder removes its
// part file. One thread per encoder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct lame_global_struct;

namespace keltraWorks {

class Mp3Encoder {
  public:
    Mp3Encoder() = default;
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    bool open(const std::string& path, std::string* error);
    bool encode(const float* left, const float* right, int frames, std::string* error);
    bool finish(std::string* error);

    uint64_t bytesWritten() const { return written; }

  private:
    bool put(const unsigned char* bytes, size_t n, std::string* error);
    void abandon();

    lame_global_struct* lame = nullptr;
    std::FILE* file = nullptr;
    std::string finalPath, partPath;
    std::vector<unsigned char> buffer;
    uint64_t written = 0;
};

} // namespace keltraWorks
