// Size record of a picture or texture: six 32-bit signed integers, no virtual
// operations. Units are pixels (and bits for bitsPerPixel).
//   width/height             size as stored (a power of two once padded)
//   imageWidth/imageHeight   size of the picture itself before padding
//   bitsPerPixel             8, 24 or 32 for the pictures the renderer handles
//   invalid                  1 when width or height is not positive or
//                            bitsPerPixel is below 8, else 0
// A plain value; copy freely. Not thread-aware (single-threaded program).
#pragma once

#include <cstdint>

namespace keltraWorks {

class ImageInfo {
  public:
    // All fields 0 and invalid.
    ImageInfo() = default;
    // When all three are non-zero: stored and (re)validated, with
    // imageWidth/imageHeight equal to width/height. Otherwise as the default.
    ImageInfo(int32_t width, int32_t height, int32_t bitsPerPixel);

    // Recomputes `invalid` from the sizes and depth.
    void validate();
    // A zero argument is ignored; otherwise the value is stored and `invalid`
    // recomputed.
    void setWidth(int32_t w);
    void setHeight(int32_t h);
    void setBitsPerPixel(int32_t b);

    int32_t width = 0;
    int32_t imageWidth = 0;
    int32_t height = 0;
    int32_t imageHeight = 0;
    int32_t bitsPerPixel = 0;
    int32_t invalid = 1;
};

} // namespace keltraWorks
