#include "engine/render/image.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace keltraWorks {

namespace {

// Byte count of a width x height picture at `bytesPerPixel`, or -1 when it
// does not fit the 32-bit size fields.
int64_t byteCount(int64_t width, int64_t height, int64_t bytesPerPixel) {
    const int64_t bytes = width * height * bytesPerPixel;
    return bytes > INT32_MAX ? -1 : bytes;
}

uint8_t* allocate(int64_t bytes) {
    uint8_t* p = new (std::nothrow) uint8_t[static_cast<size_t>(bytes)];
    if (p != nullptr) {
        std::memset(p, 0, static_cast<size_t>(bytes));
    }
    return p;
}

} // namespace

int32_t roundUpToPowerOfTwo(int32_t v) {
    if (v > 2048) {
        return v;
    }
    int32_t p = 16;
    while (p < v) {
        p *= 2;
    }
    return p;
}

Image::Image(bool ownsPixels) : ownsPixels(ownsPixels) {}

Image::Image(int32_t w, int32_t h, int32_t b, bool ownsPixels)
    : ImageInfo(w, h, b), ownsPixels(ownsPixels) {
    validate();
    if (!invalid && dataSize > 0) {
        pixels = allocate(dataSize);
    }
}

Image::~Image() {
    if (ownsPixels) {
        delete[] pixels;
    }
}

Image::Image(Image&& other) noexcept
    : ImageInfo(other), pixels(other.pixels), dataSize(other.dataSize),
      ownsPixels(other.ownsPixels) {
    other.pixels = nullptr;
    other.ownsPixels = false;
}

Image& Image::operator=(Image&& other) noexcept {
    if (this != &other) {
        if (ownsPixels) {
            delete[] pixels;
        }
        static_cast<ImageInfo&>(*this) = other;
        pixels = std::exchange(other.pixels, nullptr);
        dataSize = other.dataSize;
        ownsPixels = std::exchange(other.ownsPixels, false);
    }
    return *this;
}

void Image::validate() {
    ImageInfo::validate();
    if (invalid) {
        return;
    }
    const int64_t bytes = byteCount(width, height, bitsPerPixel / 8);
    if (bytes < 0) {
        invalid = 1;
        return;
    }
    dataSize = static_cast<int32_t>(bytes);
}

void Image::replacePixels(uint8_t* fresh) {
    if (ownsPixels) {
        delete[] pixels;
    }
    pixels = fresh;
    ownsPixels = true;
}

uint8_t* Image::takePixels() {
    ownsPixels = false;
    return std::exchange(pixels, nullptr);
}

bool Image::flipVertical() {
    validate();
    if (invalid || dataSize == 0 || pixels == nullptr) {
        return false;
    }
    const size_t row = static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel / 8);
    uint8_t* flipped = allocate(dataSize);
    if (flipped == nullptr) {
        return false;
    }
    for (int32_t r = 0; r < height; ++r) {
        std::memcpy(flipped + static_cast<size_t>(r) * row,
                    pixels + static_cast<size_t>(height - 1 - r) * row, row);
    }
    replacePixels(flipped);
    return true;
}

bool Image::expandTo32Bits() {
    validate();
    if (invalid || dataSize == 0 || pixels == nullptr) {
        return false;
    }
    if (bitsPerPixel != 24 && bitsPerPixel != 32) {
        return true;
    }
    const int64_t bytes = byteCount(width, height, 4);
    if (bytes < 0) {
        return false;
    }
    uint8_t* expanded = allocate(bytes);
    if (expanded == nullptr) {
        return false;
    }
    // Pure white marks the see-through parts of pictures drawn this way; a
    // 32-bit picture keeps its own alpha everywhere else.
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    const size_t step = static_cast<size_t>(bitsPerPixel / 8);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* src = pixels + i * step;
        uint8_t* dst = expanded + i * 4;
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
        const bool white = src[0] == 255 && src[1] == 255 && src[2] == 255;
        const uint8_t kept = step == 4 ? src[3] : 255;
        dst[3] = white ? 0 : kept;
    }
    replacePixels(expanded);
    bitsPerPixel = 32;
    validate();
    return true;
}

bool Image::padToPowerOfTwo() {
    validate();
    if (invalid || dataSize == 0 || pixels == nullptr) {
        return false;
    }
    const int32_t paddedWidth = roundUpToPowerOfTwo(width);
    const int32_t paddedHeight = roundUpToPowerOfTwo(height);
    const int64_t bpp = bitsPerPixel / 8;
    const int64_t bytes = byteCount(paddedWidth, paddedHeight, bpp);
    if (bytes < 0) {
        return false;
    }
    uint8_t* padded = allocate(bytes);
    if (padded == nullptr) {
        return false;
    }
    // The picture sits in the top-left corner; the rest stays zero, which is
    // transparent black for 32-bit pictures.
    const size_t srcRow = static_cast<size_t>(width * bpp);
    const size_t dstRow = static_cast<size_t>(paddedWidth * bpp);
    for (int32_t r = 0; r < height; ++r) {
        std::memcpy(padded + static_cast<size_t>(r) * dstRow,
                    pixels + static_cast<size_t>(r) * srcRow, srcRow);
    }
    replacePixels(padded);
    imageWidth = width;
    imageHeight = height;
    width = paddedWidth;
    height = paddedHeight;
    validate();
    return true;
}

} // namespace keltraWorks
