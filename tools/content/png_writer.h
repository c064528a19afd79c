// Encodes PNG files, for the content generator and for the tests that need
// pictures: any colour type and bit depth, non-interlaced, with an optional
// palette (PLTE) and transparency (tRNS) and no other ancillary chunk, so
// every decoder shows the stored samples as they are. Rows are given
// unfiltered, top first, packed as PNG stores them (high byte first for 16-
// bit samples); each is filtered with whichever of the five filters keeps it
// smallest. Also the pieces (signature, chunk, header) for files put
// together chunk by chunk. Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keltraWorks {

struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 8;
    uint8_t colourType = 2;            // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    std::vector<uint8_t> rows;         // height rows of packed samples
    std::vector<uint8_t> palette;      // RGB triples, written when not empty
    std::vector<uint8_t> transparency; // tRNS contents, written when not empty
};

// The PNG file bytes; empty when the size is zero, the colour type unknown
// or the rows do not hold exactly the picture's samples.
std::vector<uint8_t> encodePng(const PngPicture& picture);
// 8-bit RGB (3 bytes a pixel) or RGBA (4 bytes), straight (not
// premultiplied) colour; empty when the size is not positive or the pixel
// count does not match.
std::vector<uint8_t> encodePng(int width, int height, bool withAlpha,
                               const std::vector<uint8_t>& pixels);

std::vector<uint8_t> pngSignature();
// A whole chunk: length, type, data and CRC.
std::vector<uint8_t> pngChunk(const std::string& type, const std::vector<uint8_t>& data);
// The 13 bytes of an IHDR chunk's data.
std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height, uint8_t bitDepth,
                               uint8_t colourType);

// Writes the bytes to `path` through a temporary file that is renamed into
// place, so a reader never sees half a file. False with `error` set (when
// given) on failure.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error);

} // namespace keltraWorks
