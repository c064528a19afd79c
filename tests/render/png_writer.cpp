#include "tests/render/png_writer.h"

#include <zlib.h>

#include <cstdio>

namespace glintTest {

namespace {

void putBigEndian(Bytes* out, uint32_t v) {
    out->push_back(uint8_t(v >> 24));
    out->push_back(uint8_t(v >> 16));
    out->push_back(uint8_t(v >> 8));
    out->push_back(uint8_t(v));
}

void append(Bytes* out, const Bytes& more) {
    out->insert(out->end(), more.begin(), more.end());
}

size_t samplesPerPixel(uint8_t colorType) {
    switch (colorType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

} // namespace

Bytes pngSignature() {
    return Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
}

Bytes pngChunk(const std::string& type, const Bytes& data) {
    Bytes chunk;
    putBigEndian(&chunk, uint32_t(data.size()));
    Bytes body(type.begin(), type.end());
    append(&body, data);
    append(&chunk, body);
    putBigEndian(&chunk, uint32_t(crc32(0L, body.data(), uInt(body.size()))));
    return chunk;
}

Bytes pngHeader(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType) {
    Bytes data;
    putBigEndian(&data, width);
    putBigEndian(&data, height);
    data.push_back(bitDepth);
    data.push_back(colorType);
    data.push_back(0); // deflate
    data.push_back(0); // adaptive filtering
    data.push_back(0); // no interlace
    return data;
}

Bytes encodePng(const PngPicture& p) {
    const size_t bitsPerRow = size_t(p.width) * samplesPerPixel(p.colorType) * p.bitDepth;
    const size_t rowBytes = (bitsPerRow + 7) / 8;
    Bytes raw;
    for (uint32_t r = 0; r < p.height; ++r) {
        raw.push_back(0); // filter type None
        raw.insert(raw.end(), p.rows.begin() + long(r * rowBytes),
                   p.rows.begin() + long((r + 1) * rowBytes));
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), uLong(raw.size()));
    packed.resize(packedSize);

    Bytes png = pngSignature();
    append(&png, pngChunk("IHDR", pngHeader(p.width, p.height, p.bitDepth, p.colorType)));
    if (!p.palette.empty()) {
        append(&png, pngChunk("PLTE", p.palette));
    }
    if (!p.transparency.empty()) {
        append(&png, pngChunk("tRNS", p.transparency));
    }
    append(&png, pngChunk("IDAT", packed));
    append(&png, pngChunk("IEND", {}));
    return png;
}

Bytes rgbPng(uint32_t width, uint32_t height, const Bytes& pixels) {
    PngPicture p;
    p.width = width;
    p.height = height;
    p.colorType = 2;
    p.rows = pixels;
    return encodePng(p);
}

Bytes rgbaPng(uint32_t width, uint32_t height, const Bytes& pixels) {
    PngPicture p;
    p.width = width;
    p.height = height;
    p.colorType = 6;
    p.rows = pixels;
    return encodePng(p);
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace glintTest
