#include "tests/e2e/png_fixture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace glintE2e {

namespace {

uint32_t crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

uint32_t adler32(const std::string& bytes) {
    uint32_t a = 1, b = 0;
    for (unsigned char c : bytes) {
        a = (a + c) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

void putBe32(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v >> 24));
    out->push_back(static_cast<char>(v >> 16));
    out->push_back(static_cast<char>(v >> 8));
    out->push_back(static_cast<char>(v));
}

void putChunk(std::string* png, const char* type, const std::string& data) {
    putBe32(png, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    png->append(typed);
    putBe32(png, crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(const std::string& raw) {
    std::string out("\x78\x01", 2);
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<char>(n & 0xFF));
        out.push_back(static_cast<char>(n >> 8));
        out.push_back(static_cast<char>(~n & 0xFF));
        out.push_back(static_cast<char>((~n >> 8) & 0xFF));
        out.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    putBe32(&out, adler32(raw));
    return out;
}

} // namespace

std::string makePng(int width, int height, PngKind kind) {
    int colourType = 0, depth = 8, channels = 1;
    switch (kind) {
    case PngKind::Palette8:
        colourType = 3;
        break;
    case PngKind::Grey8:
        colourType = 0;
        break;
    case PngKind::GreyAlpha8:
        colourType = 4;
        channels = 2;
        break;
    case PngKind::Rgb16:
        colourType = 2;
        depth = 16;
        channels = 3;
        break;
    case PngKind::Rgba16:
        colourType = 6;
        depth = 16;
        channels = 4;
        break;
    }
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    putBe32(&header, static_cast<uint32_t>(width));
    putBe32(&header, static_cast<uint32_t>(height));
    header += static_cast<char>(depth);
    header += static_cast<char>(colourType);
    header += std::string(3, '\0'); // deflate, adaptive filtering, no interlace
    putChunk(&png, "IHDR", header);
    if (kind == PngKind::Palette8) {
        std::string palette;
        for (int i = 0; i < 256; ++i) {
            palette += static_cast<char>(i);
            palette += static_cast<char>(255 - i);
            palette += static_cast<char>((i * 3) & 0xFF);
        }
        putChunk(&png, "PLTE", palette);
    }
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int value = (x + y + c * 40) & 0xFF;
                raw.push_back(static_cast<char>(value));
                if (depth == 16) {
                    raw.push_back(static_cast<char>(value ^ 0x5A));
                }
            }
        }
    }
    putChunk(&png, "IDAT", zlibStored(raw));
    putChunk(&png, "IEND", "");
    return png;
}

std::string garbageBytes(size_t count, unsigned seed) {
    std::string out(count, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (char& c : out) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return out;
}

} // namespace glintE2e
