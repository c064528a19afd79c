#include "engine/render/renderer.h"

#include "engine/render/picture_decode_ahead.h"
#include "engine/render/png_decode.h"
#include "engine/vfs/vfs.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace keltraWorks {

namespace {

// Pictures decoded ahead during start-up are taken when the bytes match.
bool decodePicture(const std::vector<uint8_t>& bytes, Image* out) {
    return PictureDecodeAhead::take(bytes.data(), bytes.size(), out) ||
           decodePng(bytes.data(), bytes.size(), out);
}

} // namespace

Renderer::Renderer(int32_t pixelWidth, int32_t pixelHeight)
    : pixelWidth(pixelWidth), pixelHeight(pixelHeight), pictureWidth(pixelWidth),
      pictureHeight(pixelHeight) {
    picture = wholeWindow();
}

Renderer::~Renderer() = default;

void Renderer::setDrawableSize(int32_t w, int32_t h) {
    pixelWidth = w;
    pixelHeight = h;
    picture = wholeWindow();
    if (pictureWidth > 0 && pictureHeight > 0 && w > 0 && h > 0) {
        // Pass 1: the largest scale at which the picture fits both ways.
        const double scale = std::min(double(w) / pictureWidth, double(h) / pictureHeight);
        // Pass 2: whole pixels, centred; the leftover pixel of an odd
        // margin goes to the right and the top.
        const int32_t boxWidth = std::min(w, int32_t(std::lround(pictureWidth * scale)));
        const int32_t boxHeight = std::min(h, int32_t(std::lround(pictureHeight * scale)));
        picture.x0 = (w - boxWidth) / 2;
        picture.y0 = (h - boxHeight) / 2;
        picture.x1 = picture.x0 + boxWidth;
        picture.y1 = picture.y0 + boxHeight;
    }
    if (status == StatusReady) {
        setProjection(logicalWidth, logicalHeight);
    }
}

bool Renderer::hasBars() const {
    return picture.x0 > 0 || picture.y0 > 0 || picture.x1 < pixelWidth || picture.y1 < pixelHeight;
}

float Renderer::pictureScaleX() const {
    return pictureWidth > 0 ? float(picture.x1 - picture.x0) / float(pictureWidth) : 1.0f;
}

float Renderer::pictureScaleY() const {
    return pictureHeight > 0 ? float(picture.y1 - picture.y0) / float(pictureHeight) : 1.0f;
}

vector2 Renderer::windowToLogical(int x, int y) const {
    const float boxWidth = float(picture.x1 - picture.x0);
    const float boxHeight = float(picture.y1 - picture.y0);
    if (boxWidth <= 0.0f || boxHeight <= 0.0f) {
        return vector2(0.0f, 0.0f);
    }
    // The box's top edge, counted from the drawable's top.
    const int top = pixelHeight - picture.y1;
    return vector2(float(x - picture.x0) * logicalWidth / boxWidth,
                   float(y - top) * logicalHeight / boxHeight);
}

void Renderer::logicalToWindow(vector2 point, int* x, int* y) const {
    if (logicalWidth <= 0.0f || logicalHeight <= 0.0f) {
        *x = 0;
        *y = 0;
        return;
    }
    const int top = pixelHeight - picture.y1;
    *x = picture.x0 + int(point.x * float(picture.x1 - picture.x0) / logicalWidth);
    *y = top + int(point.y * float(picture.y1 - picture.y0) / logicalHeight);
}

void Renderer::getPixelSize(int32_t* w, int32_t* h) const {
    *w = pixelWidth;
    *h = pixelHeight;
}

FrameRecording::Box Renderer::wholeWindow() const {
    FrameRecording::Box whole;
    whole.x1 = pixelWidth;
    whole.y1 = pixelHeight;
    return whole;
}

void Renderer::getLogicalSize(float* w, float* h) const {
    *w = logicalWidth;
    *h = logicalHeight;
}

void Renderer::getUnitsPerPixel(float* x, float* y) const {
    *x = unitsPerPixelX;
    *y = unitsPerPixelY;
}

void Renderer::setLogicalSize(float w, float h) {
    logicalWidth = w;
    logicalHeight = h;
    // A window without pixels has no meaningful ratio; 0 keeps every later
    // conversion finite instead of dividing by zero.
    unitsPerPixelX = pictureWidth != 0 ? w / static_cast<float>(pictureWidth) : 0.0f;
    unitsPerPixelY = pictureHeight != 0 ? h / static_cast<float>(pictureHeight) : 0.0f;
    setProjection(w, h);
}

const ImageInfo* Renderer::getTextureInfo(int texture) const {
    if (texture <= 0 || texture > textureCount()) {
        return nullptr;
    }
    return &textureInfos[static_cast<size_t>(texture - 1)];
}

vector2 Renderer::getTextureExtent(int texture) const {
    const ImageInfo* info = getTextureInfo(texture);
    if (info == nullptr || info->width == 0 || info->height == 0) {
        return vector2(0.0f, 0.0f);
    }
    return vector2(static_cast<float>(info->imageWidth) / static_cast<float>(info->width),
                   static_cast<float>(info->imageHeight) / static_cast<float>(info->height));
}

const FontInfo* Renderer::getFontInfo(int font) const {
    if (font < 0 || font >= fontCount()) {
        return nullptr;
    }
    return &fontInfos[static_cast<size_t>(font)];
}

const Image* Renderer::getImage(int image) const {
    if (image <= 0 || image > imageCount()) {
        return nullptr;
    }
    return &images[static_cast<size_t>(image - 1)];
}

bool Renderer::decodeImage(std::FILE* stream, int32_t byteCount, int32_t* width, int32_t* height,
                           int32_t* bitsPerPixel, uint8_t** pixels) {
    if (stream == nullptr || byteCount <= 0 || byteCount > MaxResourceBytes) {
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(byteCount));
    Image decoded(true);
    if (std::fread(bytes.data(), 1, bytes.size(), stream) != bytes.size() ||
        !decodePicture(bytes, &decoded)) {
        return false;
    }
    *width = decoded.width;
    *height = decoded.height;
    *bitsPerPixel = decoded.bitsPerPixel;
    *pixels = decoded.takePixels();
    return true;
}

bool Renderer::loadPicture(const std::string& path, Image* out) {
    // With an archive mounted, its entries are the only source: a name it
    // lacks is a failed load, not a reason to look on disk.
    std::vector<uint8_t> bytes;
    const ResourceStatus status = Vfs::readResource(path, &bytes);
    if (status == ResourceStatus::CannotOpen) {
        const int openError = errno;
        if (!missingPictureReported) {
            const std::string why = Vfs::isMounted() ? std::string(" in the archive")
                                                     : ": " + std::string(std::strerror(openError));
            std::fprintf(stderr,
                         "glint: render: cannot open \"%s\"%s; pictures that cannot be opened "
                         "after it are not named\n",
                         path.c_str(), why.c_str());
            missingPictureReported = true;
        }
        return false;
    }
    if (status != ResourceStatus::Ok) {
        std::fprintf(stderr, "glint: render: \"%s\" %s\n", path.c_str(), describe(status));
        return false;
    }
    Image decoded(true);
    if (!decodePicture(bytes, &decoded)) {
        std::fprintf(stderr, "glint: render: cannot decode \"%s\"\n", path.c_str());
        return false;
    }
    decoded.validate();
    *out = std::move(decoded);
    return true;
}

void Renderer::destroyContext() {
    status = StatusDestroyed;
}

bool Renderer::isAvailable() {
    return false;
}

bool Renderer::setPartialFrames(bool) {
    return false;
}

FrameRecording::Box Renderer::endFrame() {
    return wholeWindow();
}

} // namespace keltraWorks
