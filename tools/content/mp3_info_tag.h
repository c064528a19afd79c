// Fills in the LAME/Info tag frame that opens an MP3 file for the stream that
// follows it: the frame and byte counts, the 100-entry seek table, the
// encoder padding that, with the encoder delay already in the tag, gives the
// exact number of samples, the music length and CRC, and the tag's own CRC,
// each computed the way LAME computes them for a stream it encoded in one
// piece. Every other field (version, quality, lowpass, delay, ...) is kept.
// Bytes; pure functions; safe from any thread.
#pragma once

#include "tools/content/mp3_frames.h"

#include <cstdint>
#include <string>
#include <vector>

namespace keltraWorks {

// CRC-16 (polynomial 0x8005, bits reflected, starting from 0) as the LAME tag
// uses for its music and tag checksums.
uint16_t lameCrc16(uint16_t crc, const uint8_t* data, size_t size);

// Rewrites `tag` (a whole Info tag frame from LAME) for `audio`: the audio
// frames `frames` (offsets into `audio`, which holds them back to back) that
// decode to `samples` samples per channel. False, with `error`, when `tag`
// is not an Info/Xing frame with a LAME extension or the padding the sample
// count needs does not fit the tag.
bool fillInfoTag(std::vector<uint8_t>* tag, const uint8_t* audio,
                 const std::vector<Mp3Frame>& frames, int64_t samples, std::string* error);

} // namespace keltraWorks
