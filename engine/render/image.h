// A picture in memory: an ImageInfo with its pixel buffer. Rows are packed
// without padding, first row first, bitsPerPixel/8 bytes per pixel in the
// order the decoder delivered them (R, G, B[, A], or one grey byte).
// Ownership: when `ownsPixels` is true the Image frees `pixels` (delete[]) on
// destruction. The transforming operations replace the buffer; they free the
// old one only when it was owned, and the Image always owns the new one.
// Images move but do not copy. Units: pixels and bytes. Single-threaded.
#pragma once

#include "engine/render/image_info.h"

#include <cstdint>

namespace keltraWorks {

// Texture sizes: below 16 become 16; 16..2048 become the smallest power of
// two not below them; above 2048 are left unchanged.
int32_t roundUpToPowerOfTwo(int32_t v);

class Image : public ImageInfo {
  public:
    // Invalid, no pixels.
    explicit Image(bool ownsPixels);
    // Sizes as for ImageInfo; when valid, a zeroed buffer of dataSize bytes
    // is allocated (pixels stays null if that fails or the sizes are invalid).
    Image(int32_t width, int32_t height, int32_t bitsPerPixel, bool ownsPixels);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;

    // The ImageInfo rule; when valid also recomputes dataSize. Sizes whose
    // byte count does not fit in 32 bits make the image invalid.
    void validate();

    // Each first validates and does nothing (false) when the image is
    // invalid, has no pixels or the new buffer cannot be allocated.
    // Reverses the order of the rows.
    bool flipVertical();
    // 24 bits: adds alpha 0 to pure white pixels and 255 to the rest.
    // 32 bits: pure white (alpha aside) gets alpha 0, others keep theirs.
    // Other depths are left unchanged (true).
    bool expandTo32Bits();
    // Pads to roundUpToPowerOfTwo sizes with zero bytes right and below;
    // imageWidth/imageHeight keep the picture's size.
    bool padToPowerOfTwo();

    // Hands the buffer to the caller (who frees it with delete[]); the image
    // is left without pixels.
    uint8_t* takePixels();

    uint8_t* pixels = nullptr;
    int32_t dataSize = 0;
    bool ownsPixels = false;

  private:
    void replacePixels(uint8_t* fresh);
};

} // namespace keltraWorks
