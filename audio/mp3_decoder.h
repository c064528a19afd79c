// One libmpg123 decoder over a ByteSource: the file's own rate and channel
// count, float or 16-bit samples, sample-exact length and seeking (the
// whole file is scanned at open; gapless trimming on; never fuzzy seeks).
//
// Ownership: owns the mpg123 handle and the source.
// Units: sample frames (one sample per channel) at the file's rate.
// Threads: open() runs on the caller's thread before anyone else sees the
// decoder. read() and seek() run on the audio callback thread or under the
// device lock; they never allocate, open files or print (mpg123 is quiet).
// The format queries are constant after open and safe from any thread.
#pragma once

#include "audio/byte_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct mpg123_handle_struct;

namespace keltraWorks {

class Mp3Decoder {
  public:
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Null with a reason in *error when the bytes are not an MP3 with audio,
    // or float samples were asked for and the decoder cannot give them.
    static std::unique_ptr<Mp3Decoder> open(std::unique_ptr<ByteSource> source, bool floatSamples,
                                            std::string* error);

    int rate() const { return sampleRate; }
    int channels() const { return channelCount; }
    bool floatSamples() const { return isFloat; }
    int bytesPerSample() const { return isFloat ? 4 : 2; }
    int64_t lengthFrames() const { return length; }

    // Decodes up to `frames` frames as floats in -1..1 into out (interleaved
    // by channel), whatever the stream's sample format. Returns the frames
    // written; fewer than asked only at the end of the file or on a
    // decoding fault, after which atEnd() holds until the next seek.
    int read(float* out, int frames);
    bool atEnd() const { return ended; }
    // Positions the decoder at the exact frame; false when it cannot.
    bool seek(int64_t frame);

  private:
    Mp3Decoder() = default;

    mpg123_handle_struct* handle = nullptr;
    std::unique_ptr<ByteSource> source;
    std::vector<int16_t> scratch; // 16-bit samples before conversion
    int sampleRate = 0;
    int channelCount = 0;
    int encoding = 0;
    bool isFloat = false;
    int64_t length = 0;
    bool ended = false;
};

} // namespace keltraWorks
