#include "engine/render/png_check.h"

#include <cstring>

namespace keltraWorks {

namespace {

constexpr uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t ChunkOverhead = 12; // length, type, CRC
// Deflate cannot expand one compressed byte to more than 1032 bytes.
constexpr uint64_t MaxInflateRatio = 1032;

// The CRC-32 of PNG chunks (the polynomial of ISO 3309 and zlib).
struct CrcTable {
    uint32_t entry[256] = {};
    constexpr CrcTable() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            entry[n] = c;
        }
    }
};
constexpr CrcTable Crc;

uint32_t chunkCrc(const uint8_t* typeAndData, size_t count) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) {
        c = Crc.entry[(c ^ typeAndData[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

// Samples per pixel of a PNG colour type; 1 for unknown types, which the
// decoder refuses by itself.
uint32_t samplesPerPixel(uint8_t colourType) {
    switch (colourType) {
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

uint32_t readBigEndian(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

bool fail(std::string* reason, const char* why) {
    if (reason != nullptr) {
        *reason = why;
    }
    return false;
}

bool isChunkType(const uint8_t* type, const char* name) {
    return std::memcmp(type, name, 4) == 0;
}

bool typeIsLetters(const uint8_t* type) {
    for (int i = 0; i < 4; ++i) {
        const uint8_t c = type[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            return false;
        }
    }
    return true;
}

} // namespace

bool checkPngStructure(const uint8_t* bytes, size_t count, std::string* reason) {
    if (bytes == nullptr || count < sizeof(Signature) ||
        std::memcmp(bytes, Signature, sizeof(Signature)) != 0) {
        return fail(reason, "no PNG signature");
    }
    size_t pos = sizeof(Signature);
    bool first = true;
    bool sawData = false;
    uint64_t pictureBytes = 0; // the least the picture's pixels take
    uint64_t dataBytes = 0;    // compressed bytes in all IDAT chunks
    while (true) {
        // Compare remaining sizes rather than sums, so no addition can wrap.
        if (count - pos < ChunkOverhead) {
            return fail(reason, "no IEND chunk");
        }
        const uint32_t length = readBigEndian(bytes + pos);
        const uint8_t* type = bytes + pos + 4;
        if (length > 0x7FFFFFFFu) {
            return fail(reason, "chunk length out of range");
        }
        if (length > count - pos - ChunkOverhead) {
            return fail(reason, "chunk runs past the end of the data");
        }
        if (!typeIsLetters(type)) {
            return fail(reason, "bad chunk type");
        }
        const uint8_t* data = type + 4;
        // The decoder checks the sums only once it is decoding, and DevIL
        // then loses its row table; damaged data is refused here instead.
        if (chunkCrc(type, 4 + size_t(length)) != readBigEndian(data + length)) {
            return fail(reason, "chunk checksum mismatch");
        }
        if (first) {
            if (!isChunkType(type, "IHDR") || length != 13) {
                return fail(reason, "IHDR is not the first chunk");
            }
            const uint32_t width = readBigEndian(data);
            const uint32_t height = readBigEndian(data + 4);
            if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
                return fail(reason, "bad picture size");
            }
            if (int64_t(width) * int64_t(height) > PngMaxDecodedBytes / 8) {
                return fail(reason, "picture too large");
            }
            const uint64_t bitsPerPixel = uint64_t(data[8]) * samplesPerPixel(data[9]);
            const bool interlaced = data[12] != 0;
            // Rows in order start with a filter byte each; interlaced rows
            // are counted by their pixel bits alone.
            pictureBytes = interlaced ? width * bitsPerPixel * height / 8
                                      : (1 + (width * bitsPerPixel + 7) / 8) * height;
            first = false;
        } else if (isChunkType(type, "IHDR")) {
            return fail(reason, "second IHDR chunk");
        } else if (isChunkType(type, "IDAT")) {
            sawData = true;
            dataBytes += length;
        } else if (isChunkType(type, "IEND")) {
            if (!sawData) {
                return fail(reason, "no IDAT chunk");
            }
            // A few hundred bytes claiming a picture of hundreds of
            // megabytes would have the decoder allocate all of it first.
            if (pictureBytes > dataBytes * MaxInflateRatio) {
                return fail(reason, "picture data too short for its size");
            }
            return true;
        }
        pos += ChunkOverhead + length;
    }
}

} // namespace keltraWorks
