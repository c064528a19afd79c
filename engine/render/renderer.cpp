#include "engine/render/renderer.h"

#include "engine/render/picture_decode_ahead.h"
#include "engine/render/png_decode.h"
#include "engine/vfs/vfs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <utility>

namespace keltraWorks {

namespace {

// Owns a stream for the length of one load, so every path closes it.
class StreamCloser {
  public:
    explicit StreamCloser(std::FILE* stream) : stream(stream) {}
    ~StreamCloser() {
        if (stream != nullptr) {
            std::fclose(stream);
        }
    }
    StreamCloser(const StreamCloser&) = delete;
    StreamCloser& operator=(const StreamCloser&) = delete;

  private:
    std::FILE* stream;
};

// Byte count of a file opened from disk; -1 when it cannot be measured.
long long diskFileSize(std::FILE* stream) {
    if (std::fseek(stream, 0, SEEK_END) != 0) {
        return -1;
    }
    const long size = std::ftell(stream);
    if (size < 0 || std::fseek(stream, 0, SEEK_SET) != 0) {
        return -1;
    }
    return size;
}

// Bytes from the stream's position to the end of its file; -1 when unknown.
long long bytesLeft(std::FILE* stream) {
    struct stat st {};
    const long at = std::ftell(stream);
    if (at < 0 || ::fstat(fileno(stream), &st) != 0) {
        return -1;
    }
    return static_cast<long long>(st.st_size) - at;
}

} // namespace

Renderer::Renderer(int32_t pixelWidth, int32_t pixelHeight)
    : pixelWidth(pixelWidth), pixelHeight(pixelHeight) {}

Renderer::~Renderer() = default;

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
    unitsPerPixelX = pixelWidth != 0 ? w / static_cast<float>(pixelWidth) : 0.0f;
    unitsPerPixelY = pixelHeight != 0 ? h / static_cast<float>(pixelHeight) : 0.0f;
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
    if (stream == nullptr || byteCount <= 0) {
        return false;
    }
    uint8_t* buffer = new (std::nothrow) uint8_t[static_cast<size_t>(byteCount)];
    if (buffer == nullptr) {
        return false;
    }
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(byteCount), stream);
    Image decoded(true);
    // Pictures decoded ahead during start-up are taken when the bytes match.
    const bool ok = got == static_cast<size_t>(byteCount) &&
                    (PictureDecodeAhead::take(buffer, static_cast<size_t>(byteCount), &decoded) ||
                     decodePng(buffer, static_cast<size_t>(byteCount), &decoded));
    delete[] buffer;
    if (!ok) {
        return false;
    }
    *width = decoded.width;
    *height = decoded.height;
    *bitsPerPixel = decoded.bitsPerPixel;
    *pixels = decoded.takePixels();
    return true;
}

bool Renderer::loadPicture(const std::string& path, Image* out) {
    std::FILE* stream = nullptr;
    long long size = -1;
    int openError = 0;
    // With an archive mounted, its entries are the only source: a name it
    // lacks is a failed load, not a reason to look on disk.
    if (Vfs::isMounted()) {
        stream = Vfs::openFile(path);
        size = Vfs::fileSize(path);
    } else {
        stream = std::fopen(path.c_str(), "rb");
        openError = errno;
        if (stream != nullptr) {
            size = diskFileSize(stream);
        }
    }
    if (stream == nullptr) {
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
    StreamCloser closer(stream);
    if (size <= 0 || size > INT32_MAX) {
        std::fprintf(stderr, "glint: render: \"%s\" has an unusable size\n", path.c_str());
        return false;
    }
    // An archive entry's size comes from the archive itself: a damaged or
    // hostile one may claim up to 2 GiB. Such a read could only come up
    // short, so it is refused before the buffer for it is allocated.
    if (size > bytesLeft(stream)) {
        std::fprintf(stderr, "glint: render: \"%s\" runs past the end of its file\n",
                     path.c_str());
        return false;
    }
    Image decoded(true);
    if (!decodeImage(stream, static_cast<int32_t>(size), &decoded.width, &decoded.height,
                     &decoded.bitsPerPixel, &decoded.pixels)) {
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
