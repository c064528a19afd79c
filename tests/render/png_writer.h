// Builds small PNG files in memory for the rendering tests: any colour type
// and bit depth, optional palette and transparency, and single chunks for
// hand-made broken files. Rows are given unfiltered, packed as the PNG
// format stores them (high byte first for 16-bit samples).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glintTest {

using Bytes = std::vector<uint8_t>;

struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 8;
    uint8_t colorType = 2; // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    Bytes rows;            // height rows of packed samples, no filter bytes
    Bytes palette;         // RGB triples for colour type 3
    Bytes transparency;    // tRNS contents, when not empty
};

// A chunk with its length and CRC.
Bytes pngChunk(const std::string& type, const Bytes& data);
// The 13 bytes of an IHDR chunk's data.
Bytes pngHeader(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType);
Bytes pngSignature();
Bytes encodePng(const PngPicture& picture);

// 8-bit RGB (3 bytes a pixel) or RGBA (4 bytes) pixels, rows top first.
Bytes rgbPng(uint32_t width, uint32_t height, const Bytes& pixels);
Bytes rgbaPng(uint32_t width, uint32_t height, const Bytes& pixels);

bool writeFile(const std::string& path, const Bytes& bytes);

} // namespace glintTest
