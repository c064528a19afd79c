// Fuzzes the picture path without GL: the PNG structure check, the DevIL
// decode, and the pixel work the renderer's loaders do with a decoded
// picture (white made see-through, padding to powers of two, the row flip
// for raw images). A decoded picture must be one the renderer can upload.
// Mutated bytes almost never keep their chunk checksums, which the decoder
// checks first; each input is therefore also tried with its checksums
// mended, so the fuzzer reaches the picture data itself.
#include "engine/render/image.h"
#include "engine/render/png_check.h"
#include "engine/render/png_decode.h"
#include "fuzz/fuzz_check.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using glintFuzz::check;
using keltraWorks::Image;

namespace {

uint32_t bigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// A copy with the CRC of every whole chunk recomputed; empty when that
// changes nothing.
std::vector<uint8_t> withMendedChecksums(const uint8_t* data, size_t count) {
    std::vector<uint8_t> copy(data, data + count);
    bool changed = false;
    size_t pos = 8;
    while (count >= pos && count - pos >= 12) {
        const uint32_t length = bigEndian(&copy[pos]);
        if (length > count - pos - 12) {
            break;
        }
        uint8_t* crc = &copy[pos + 8 + length];
        const uint32_t sum = uint32_t(crc32(0, &copy[pos + 4], uInt(length + 4)));
        const uint8_t want[4] = {uint8_t(sum >> 24), uint8_t(sum >> 16), uint8_t(sum >> 8),
                                 uint8_t(sum)};
        for (int i = 0; i < 4; ++i) {
            changed = changed || crc[i] != want[i];
            crc[i] = want[i];
        }
        pos += 12 + length;
    }
    return changed ? copy : std::vector<uint8_t>();
}

void decodeAndUse(const uint8_t* data, size_t count) {
    const bool sound = keltraWorks::checkPngStructure(data, count);
    Image picture(true);
    const bool decoded = keltraWorks::decodePng(data, count, &picture);
    if (!decoded) {
        check(picture.pixels == nullptr, "a failed decode leaves the image untouched");
        return;
    }
    check(sound, "only structurally sound data is decoded");
    check(!picture.invalid && picture.pixels != nullptr, "a decoded picture is valid");
    check(picture.bitsPerPixel == 8 || picture.bitsPerPixel == 24 || picture.bitsPerPixel == 32,
          "decoded depths are 8, 24 or 32 bits");
    check(picture.dataSize == picture.width * picture.height * (picture.bitsPerPixel / 8),
          "dataSize matches the picture");
    // The copy reads every byte, so a short buffer shows up under
    // AddressSanitizer.
    const std::vector<uint8_t> pixels(picture.pixels, picture.pixels + picture.dataSize);
    const int32_t width = picture.width;
    const int32_t height = picture.height;
    const int32_t depth = picture.bitsPerPixel;
    // The raw-image path flips; flipping twice must give the rows back.
    check(picture.flipVertical(), "a decoded picture flips");
    check(picture.flipVertical(), "a decoded picture flips back");
    check(std::equal(pixels.begin(), pixels.end(), picture.pixels), "two flips change nothing");
    // The texture path: see-through white, then padding.
    check(picture.expandTo32Bits(), "a decoded picture can take alpha");
    check(picture.bitsPerPixel == (depth == 8 ? 8 : 32), "alpha is added to colour pictures");
    if (picture.padToPowerOfTwo()) {
        check(picture.imageWidth == width && picture.imageHeight == height,
              "padding keeps the picture's size");
        check(picture.width >= width && picture.height >= height, "padding only grows");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t count) {
    decodeAndUse(data, count);
    const std::vector<uint8_t> mended = withMendedChecksums(data, count);
    if (!mended.empty()) {
        decodeAndUse(mended.data(), mended.size());
    }
    return 0;
}
