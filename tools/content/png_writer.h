// Encodes 8-bit truecolour PNG files (colour type 2, RGB, or 6, RGBA),
// non-interlaced, with exactly three chunk kinds: IHDR, IDAT and IEND. No
// gamma, colour-space or palette chunk is ever written, so every decoder shows
// the stored bytes as they are. Pixels are straight (not premultiplied) rows,
// top first. Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keltraWorks {

// The PNG file bytes; empty when the size is not positive or the pixel count
// does not match.
std::vector<uint8_t> encodePng(int width, int height, bool withAlpha,
                               const std::vector<uint8_t>& pixels);

// Writes the bytes to `path` through a temporary file that is renamed into
// place, so a reader never sees half a file. False with `error` set on failure.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error);

} // namespace keltraWorks
