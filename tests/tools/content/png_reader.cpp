#include "tests/tools/content/png_reader.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

namespace glintTest {

namespace {

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

} // namespace

PngFile readPng(const std::vector<uint8_t>& bytes) {
    PngFile png;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (bytes.size() < 8 || !std::equal(signature, signature + 8, bytes.begin())) {
        return png;
    }
    png.signatureOk = true;
    std::vector<uint8_t> idat;
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = be32(&bytes[at]);
        if (at + 12 + length > bytes.size()) {
            png.crcsOk = false;
            break;
        }
        const std::string type(bytes.begin() + long(at + 4), bytes.begin() + long(at + 8));
        const uint8_t* data = &bytes[at + 8];
        const uLong crc = crc32(crc32(0, Z_NULL, 0), &bytes[at + 4], uInt(4 + length));
        png.crcsOk = png.crcsOk && crc == be32(data + length);
        png.chunks.push_back(type);
        if (type == "IHDR" && length == 13) {
            png.width = be32(data);
            png.height = be32(data + 4);
            png.bitDepth = data[8];
            png.colourType = data[9];
            png.interlace = data[12];
        } else if (type == "IDAT") {
            idat.insert(idat.end(), data, data + length);
        }
        at += 12 + length;
    }
    const int bpp = png.channels();
    if (png.bitDepth != 8 || bpp == 0 || png.interlace != 0 || png.width == 0 || png.width > 8192 ||
        png.height > 8192) {
        return png;
    }
    const size_t stride = size_t(png.width) * size_t(bpp);
    std::vector<uint8_t> raw((stride + 1) * png.height);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, idat.data(), uLong(idat.size())) != Z_OK ||
        rawSize != raw.size()) {
        return png;
    }
    std::vector<uint8_t> out(stride * png.height);
    for (uint32_t y = 0; y < png.height; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        const uint8_t* in = &raw[y * (stride + 1) + 1];
        uint8_t* row = &out[y * stride];
        const uint8_t* above = y > 0 ? row - stride : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= size_t(bpp) ? row[i - size_t(bpp)] : 0;
            const int b = above ? above[i] : 0;
            const int c = above && i >= size_t(bpp) ? above[i - size_t(bpp)] : 0;
            int v = in[i];
            switch (filter) {
            case 0:
                break;
            case 1:
                v += a;
                break;
            case 2:
                v += b;
                break;
            case 3:
                v += (a + b) / 2;
                break;
            case 4:
                v += paeth(a, b, c);
                break;
            default:
                return png;
            }
            row[i] = uint8_t(v);
        }
    }
    png.pixels = std::move(out);
    return png;
}

PngFile readPngFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        std::fclose(f);
    }
    return readPng(bytes);
}

} // namespace glintTest
