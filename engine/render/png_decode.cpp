#include "engine/render/png_decode.h"

#include "engine/render/png_check.h"

#include <IL/il.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace keltraWorks {

namespace {

// DevIL keeps an error stack that nothing else reads; empty it so stale
// errors never pile up across loads.
void drainErrors() {
    while (ilGetError() != IL_NO_ERROR) {
    }
}

// Owns one DevIL image name for the length of a decode.
class BoundImage {
  public:
    BoundImage() {
        ilGenImages(1, &name);
        ilBindImage(name);
    }
    ~BoundImage() {
        ilDeleteImages(1, &name);
        drainErrors();
    }
    BoundImage(const BoundImage&) = delete;
    BoundImage& operator=(const BoundImage&) = delete;

  private:
    ILuint name = 0;
};

// The 8-bit layout the renderer can upload for what DevIL delivered. Colour
// indices would draw black if uploaded as such, so palettes are expanded.
ILenum targetFormat(ILint format) {
    switch (format) {
    case IL_COLOUR_INDEX: {
        const ILint palette = ilGetInteger(IL_PALETTE_TYPE);
        return (palette == IL_PAL_RGBA32 || palette == IL_PAL_BGRA32) ? IL_RGBA : IL_RGB;
    }
    case IL_LUMINANCE:
        return IL_LUMINANCE;
    case IL_RGB:
    case IL_BGR:
        return IL_RGB;
    default: // RGBA, BGRA, grey with alpha, alpha alone
        return IL_RGBA;
    }
}

} // namespace

bool decodePng(const uint8_t* bytes, size_t count, Image* out, bool quiet) {
    std::string reason;
    if (!checkPngStructure(bytes, count, &reason)) {
        if (!quiet) {
            std::fprintf(stderr, "glint: render: refusing PNG data: %s\n", reason.c_str());
        }
        return false;
    }
    if (count > 0xFFFFFFFFu) {
        return false;
    }
    BoundImage image;
    if (!ilLoadL(IL_PNG, bytes, static_cast<ILuint>(count))) {
        return false;
    }
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    const ILenum wanted = targetFormat(format);
    if (ILenum(format) != wanted || ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE) {
        if (!ilConvertImage(wanted, IL_UNSIGNED_BYTE)) {
            return false;
        }
    }

    const int64_t width = ilGetInteger(IL_IMAGE_WIDTH);
    const int64_t height = ilGetInteger(IL_IMAGE_HEIGHT);
    const int64_t bytesPerPixel = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    if (width <= 0 || height <= 0 || ilGetInteger(IL_IMAGE_DEPTH) != 1 ||
        (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return false;
    }
    const int64_t size = width * height * bytesPerPixel;
    const ILubyte* data = ilGetData();
    if (size > INT32_MAX || data == nullptr || ilGetInteger(IL_IMAGE_SIZE_OF_DATA) < size) {
        return false;
    }
    uint8_t* pixels = new (std::nothrow) uint8_t[static_cast<size_t>(size)];
    if (pixels == nullptr) {
        return false;
    }
    // PNG rows come top row first; should the decoder ever report the other
    // origin, the rows are put back in that order here.
    const size_t row = static_cast<size_t>(width * bytesPerPixel);
    const bool bottomUp = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
    for (int64_t r = 0; r < height; ++r) {
        const int64_t from = bottomUp ? height - 1 - r : r;
        std::memcpy(pixels + static_cast<size_t>(r) * row, data + static_cast<size_t>(from) * row,
                    row);
    }

    Image decoded(true);
    decoded.width = static_cast<int32_t>(width);
    decoded.height = static_cast<int32_t>(height);
    decoded.bitsPerPixel = static_cast<int32_t>(bytesPerPixel * 8);
    decoded.pixels = pixels;
    decoded.validate();
    *out = std::move(decoded);
    return true;
}

} // namespace keltraWorks
