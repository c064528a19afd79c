// Structural check of PNG bytes before they are handed to the decoder, which
// can loop forever or overrun on some broken files. Pure function: no I/O,
// no allocation, safe on any input of any length.
// Accepts only: the 8-byte signature; a chain of chunks each lying entirely
// inside the buffer (length up to 2^31 - 1) with a correct checksum; IHDR
// first with 13 bytes and sane dimensions; at least one IDAT, together big
// enough to inflate to the picture's size; IEND. Bytes after IEND are
// ignored.
// Thread-safe (no state).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace keltraWorks {

// Pictures whose decoded size could exceed this at the deepest PNG format
// (8 bytes per pixel) are refused, so no size the decoder or we compute can
// overflow 32 bits.
constexpr int64_t PngMaxDecodedBytes = INT32_MAX;

// True when the structure is sound. On false, `reason` (when given) says why
// in a few words, for a log line.
bool checkPngStructure(const uint8_t* bytes, size_t count, std::string* reason = nullptr);

} // namespace keltraWorks
