// Small, deterministic PNG files in the formats the player's own pictures
// never use (palette, grey, grey with alpha, 16 bits per channel), encoded
// by the content generator's PNG writer. The pixels are a plain diagonal
// gradient. Sizes are pixels.
#pragma once

#include <string>

namespace glintE2e {

enum class PngKind {
    Palette8,   // colour type 3, 8-bit indices into a 256-entry palette
    Grey8,      // colour type 0, 8 bits
    GreyAlpha8, // colour type 4, 8 bits per channel
    Rgb16,      // colour type 2, 16 bits per channel
    Rgba16,     // colour type 6, 16 bits per channel
};

std::string makePng(int width, int height, PngKind kind);

// Deterministic bytes that are no known file format.
std::string garbageBytes(size_t count, unsigned seed);

} // namespace glintE2e
