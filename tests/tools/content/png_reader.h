// Test helper: an independent reader for the PNG files the generator writes.
// It lists every chunk (checking each CRC), reads IHDR and, for 8-bit RGB or
// RGBA non-interlaced pictures, inflates and unfilters the pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glintTest {

struct PngFile {
    bool signatureOk = false;
    bool crcsOk = true;
    std::vector<std::string> chunks; // chunk types in file order
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = -1, interlace = -1;
    std::vector<uint8_t> pixels; // rows top first; empty when not decodable
    int channels() const { return colourType == 6 ? 4 : colourType == 2 ? 3 : 0; }
    const uint8_t* pixel(uint32_t x, uint32_t y) const {
        return pixels.data() + (size_t(y) * width + x) * size_t(channels());
    }
};

PngFile readPng(const std::vector<uint8_t>& bytes);
PngFile readPngFile(const std::string& path);

} // namespace glintTest
