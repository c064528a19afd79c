#include "engine/render/image_info.h"

namespace keltraWorks {

ImageInfo::ImageInfo(int32_t w, int32_t h, int32_t b) {
    if (w == 0 || h == 0 || b == 0) {
        return;
    }
    width = imageWidth = w;
    height = imageHeight = h;
    bitsPerPixel = b;
    validate();
}

void ImageInfo::validate() {
    invalid = (width <= 0 || height <= 0 || bitsPerPixel < 8) ? 1 : 0;
}

void ImageInfo::setWidth(int32_t w) {
    if (w != 0) {
        width = w;
        validate();
    }
}

void ImageInfo::setHeight(int32_t h) {
    if (h != 0) {
        height = h;
        validate();
    }
}

void ImageInfo::setBitsPerPixel(int32_t b) {
    if (b != 0) {
        bitsPerPixel = b;
        validate();
    }
}

} // namespace keltraWorks
