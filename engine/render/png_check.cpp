#include "engine/render/png_check.h"

#include <cstring>

namespace keltraWorks {

namespace {

constexpr uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t ChunkOverhead = 12; // length, type, CRC

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
            first = false;
        } else if (isChunkType(type, "IHDR")) {
            return fail(reason, "second IHDR chunk");
        } else if (isChunkType(type, "IDAT")) {
            sawData = true;
        } else if (isChunkType(type, "IEND")) {
            return sawData ? true : fail(reason, "no IDAT chunk");
        }
        pos += ChunkOverhead + length;
    }
}

} // namespace keltraWorks
