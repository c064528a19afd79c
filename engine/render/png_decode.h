// Decodes PNG bytes held in memory into an Image with the DevIL library.
// The bytes are first checked with checkPngStructure, because the decoder can
// hang on some broken files. Results are always 8-bit channels, first row
// first: plain grey as 8 bits (one luminance byte), colour as 24-bit RGB,
// anything with transparency (palette with tRNS, grey+alpha, RGBA) as 32-bit
// RGBA; palette pictures are expanded and 16-bit channels reduced.
// Ownership: on success `out` owns a fresh pixel buffer; on failure `out` is
// untouched and nothing stays allocated. DevIL is used without a set-up call.
// Not thread-safe: DevIL has process-wide state; call from one thread.
#pragma once

#include "engine/render/image.h"

#include <cstddef>
#include <cstdint>

namespace keltraWorks {

// A refused file gets one line on stderr saying why, unless `quiet`.
bool decodePng(const uint8_t* bytes, size_t count, Image* out, bool quiet = false);

} // namespace keltraWorks
