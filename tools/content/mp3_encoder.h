// Encodes stereo float frames (44100 a second, -1..1) into an MP3 stream in
// memory with LAME: MPEG-1 Layer III, joint stereo, constant 96 kbit/s,
// quality 7, no ID3 tag, and LAME's own Info tag frame first, filled in when
// the stream is finished, so decoders know the exact length (without it
// every position shifts by the encoder's delay). Independent encoders of
// the same settings share a frame grid: frame j of a stream whose input
// starts at sample 1152 * m covers what frame m + j of one long stream
// would. One thread per encoder; encoders on different threads are
// independent.
#pragma once

#include <cstdint>
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

    bool open(std::string* error);
    bool encode(const float* left, const float* right, int frames, std::string* error);
    // Flushes the encoder and writes the Info tag over its placeholder.
    bool finish(std::string* error);

    // The stream so far; after `finish`, the whole file.
    const std::vector<uint8_t>& bytes() const { return stream; }
    std::vector<uint8_t> takeBytes() { return std::move(stream); }

  private:
    void close();

    lame_global_struct* lame = nullptr;
    std::vector<uint8_t> stream;
    std::vector<unsigned char> buffer;
};

} // namespace keltraWorks
