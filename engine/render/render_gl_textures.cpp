// RenderGL: textures, raw images and fonts, and the drawing of raw images
// and text. Uploads are issued at once, also while a frame is recorded.
#include "engine/render/render_gl.h"

#include "engine/render/font_rasterizer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace keltraWorks {

namespace {

// Pixel layout for uploads by bytes per pixel. One byte is grey: uploading it
// as colour indices would draw black. 0 for depths the renderer cannot draw.
GLenum pixelFormat(int bytesPerPixel) {
    switch (bytesPerPixel) {
    case 4:
        return GL_RGBA;
    case 3:
        return GL_RGB;
    case 1:
        return GL_LUMINANCE;
    default:
        return 0;
    }
}

void clearGlErrors() {
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// Fills the bound texture with `pixels` (record.imageWidth x imageHeight)
// in its top-left corner and zero bytes right of and below it, as uploading
// a zero-padded copy would, without making that copy. False when the GL
// cannot hold the zeros' buffer.

bool uploadPadded(const ImageInfo& record, GLenum format, const uint8_t* pixels) {
    const int bytesPerPixel = record.bitsPerPixel / 8;
    glTexImage2D(GL_TEXTURE_2D, 0, bytesPerPixel, record.width, record.height, 0, format,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, record.imageWidth, record.imageHeight, format,
                    GL_UNSIGNED_BYTE, pixels);
    const int32_t right = record.width - record.imageWidth;
    const int32_t below = record.height - record.imageHeight;
    if (right == 0 && below == 0) {
        return true;
    }
    // Untouched zeroed memory costs nothing until it is written.
    const size_t rightBytes = size_t(right) * size_t(record.imageHeight);
    const size_t belowBytes = size_t(record.width) * size_t(below);
    std::unique_ptr<uint8_t, void (*)(void*)> zeros(
        static_cast<uint8_t*>(std::calloc(std::max(rightBytes, belowBytes), size_t(bytesPerPixel))),
        std::free);
    if (!zeros) {
        return false;
    }
    if (right > 0) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, record.imageWidth, 0, right, record.imageHeight, format,
                        GL_UNSIGNED_BYTE, zeros.get());
    }
    if (below > 0) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, record.imageHeight, record.width, below, format,
                        GL_UNSIGNED_BYTE, zeros.get());
    }
    return true;
}

} // namespace

int RenderGL::loadTexture(const std::string& path, int filter, bool whiteIsTransparent) {
    // Pass 1: decode, optionally turn white see-through, size to powers of two.
    Image picture(true);
    if (!loadPicture(path, &picture)) {
        return 0;
    }
    if (whiteIsTransparent && !picture.expandTo32Bits()) {
        return 0;
    }
    // Mipmaps are built from a padded copy; other textures get the same
    // texels written straight into a texture of the padded size.
    const bool mipmapped = filter == FilterMipmap;
    if (mipmapped && !picture.padToPowerOfTwo()) {
        return 0;
    }
    ImageInfo record = picture; // padded size, picture size and depth
    if (!mipmapped) {
        record.imageWidth = picture.width;
        record.imageHeight = picture.height;
        record.width = roundUpToPowerOfTwo(picture.width);
        record.height = roundUpToPowerOfTwo(picture.height);
    }
    record.validate();
    const GLenum format = pixelFormat(record.bitsPerPixel / 8);
    if (record.invalid || format == 0 || picture.pixels == nullptr) {
        return 0;
    }

    // Pass 2: upload, checking that the GL took it.
    const GLint components = record.bitsPerPixel / 8;
    GLuint name = 0;
    clearGlErrors();
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    bool uploaded = true;
    if (mipmapped) {
        uploaded = gluBuild2DMipmaps(GL_TEXTURE_2D, components, record.width, record.height, format,
                                     GL_UNSIGNED_BYTE, picture.pixels) == 0;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    } else {
        uploaded = uploadPadded(record, format, picture.pixels);
        if (filter == FilterNearest || filter == FilterLinear) {
            const GLint mode = filter == FilterLinear ? GL_LINEAR : GL_NEAREST;
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mode);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mode);
        }
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    uploaded = uploaded && glGetError() == GL_NO_ERROR;
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!uploaded) {
        std::fprintf(stderr, "glint: render: the GL refused the texture \"%s\"\n", path.c_str());
        glDeleteTextures(1, &name);
        return 0;
    }
    textureInfos.push_back(record);
    textureNames.push_back(name);
    textureFilters.push_back(filter);
    textureNearestNow.push_back(filter == FilterNearest);
    textureGenerations.push_back(0);
    return textureCount();
}

int RenderGL::createTexture(int width, int height, int bitsPerPixel, int filter) {
    ImageInfo record(width, height, bitsPerPixel);
    if (record.invalid || bitsPerPixel % 8 != 0 || pixelFormat(bitsPerPixel / 8) == 0) {
        return 0;
    }
    record.width = roundUpToPowerOfTwo(width);
    record.height = roundUpToPowerOfTwo(height);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLint mode = (filter == FilterLinear || filter == FilterMipmap) ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mode);
    textureInfos.push_back(record);
    textureNames.push_back(name);
    textureFilters.push_back(filter);
    textureNearestNow.push_back(mode == GL_NEAREST);
    textureGenerations.push_back(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return textureCount();
}

// Binds with glBindTexture directly rather than through bindTexture: an
// upload is not part of any frame's drawing.
bool RenderGL::updateTexture(int texture, const uint8_t* pixels) {
    const ImageInfo* record = getTextureInfo(texture);
    if (record == nullptr) {
        return false;
    }
    touchTexture(texture);
    // A deleted texture would otherwise upload into texture object 0.
    const GLuint name = textureName(texture);
    if (name == 0 || pixels == nullptr) {
        glBindTexture(GL_TEXTURE_2D, 0);
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    const int bytesPerPixel = record->bitsPerPixel / 8;
    const GLenum format = pixelFormat(bytesPerPixel);
    const size_t dstRow = size_t(record->width) * size_t(bytesPerPixel);
    const size_t srcRow = size_t(record->imageWidth) * size_t(bytesPerPixel);
    const size_t bytes = dstRow * size_t(record->height);
    uint8_t* buffer = new (std::nothrow) uint8_t[bytes];
    if (buffer == nullptr || format == 0) {
        delete[] buffer;
        glBindTexture(GL_TEXTURE_2D, 0);
        return false;
    }
    std::memset(buffer, 0, bytes);
    for (int32_t r = 0; r < record->imageHeight; ++r) {
        std::memcpy(buffer + size_t(r) * dstRow, pixels + size_t(r) * srcRow, srcRow);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, bytesPerPixel, record->width, record->height, 0, format,
                 GL_UNSIGNED_BYTE, buffer);
    glBindTexture(GL_TEXTURE_2D, 0);
    delete[] buffer;
    return true;
}

bool RenderGL::deleteTexture(int texture) {
    if (texture <= 0 || texture > static_cast<int>(textureNames.size())) {
        return false;
    }
    GLuint& name = textureNames[size_t(texture - 1)];
    if (name == 0 || !glIsTexture(name)) {
        return false;
    }
    glDeleteTextures(1, &name);
    name = 0; // the index stays reserved; binding it now binds nothing
    touchTexture(texture);
    return true;
}

int RenderGL::loadImage(const std::string& path) {
    Image picture(true);
    if (!loadPicture(path, &picture)) {
        return 0;
    }
    // glDrawPixels draws the first row at the bottom; decoded rows come top
    // first.
    if (!picture.flipVertical()) {
        return 0;
    }
    images.push_back(std::move(picture));
    return imageCount();
}

int RenderGL::createFont(const std::string& faceName, int height, bool bold, bool italic,
                         bool underline) {
    const GLuint base = glGenLists(256);
    const int index = static_cast<int>(fontListBases.size());
    FontInfo info;
    GlyphSet glyphs;
    rasterizeFont(faceName, height, bold, italic, underline, &info, &glyphs);
    if (base != 0) {
        // Bitmaps are captured when the list is compiled, under the client's
        // unpack state; make sure it is the plain byte-aligned layout.
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        for (GLuint c = 0; c < 256; ++c) {
            const GlyphBitmap& g = glyphs[c];
            glNewList(base + c, GL_COMPILE);
            // A face that could not be loaded leaves every list empty.
            if (g.advance != 0.0f || g.width > 0) {
                glBitmap(g.width, g.height, g.xOrigin, g.yOrigin, g.advance, 0.0f,
                         g.rows.empty() ? nullptr : g.rows.data());
            }
            glEndList();
        }
        glPopClientAttrib();
    }
    fontInfos.push_back(info);
    fontListBases.push_back(base);
    return index;
}

uint32_t RenderGL::textureName(int texture) const {
    if (texture <= 0 || texture > static_cast<int>(textureNames.size())) {
        return 0;
    }
    return textureNames[size_t(texture - 1)];
}

void RenderGL::issueImage(int image) {
    const Image* picture = getImage(image);
    if (picture == nullptr) {
        return;
    }
    const GLenum format = pixelFormat(picture->bitsPerPixel / 8);
    if (format == 0 || picture->bitsPerPixel % 8 != 0) {
        return;
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glRasterPos2f(0.0f, logicalHeight); // bottom-left corner of the client area
    glPixelZoom(pictureScaleX(), pictureScaleY());
    glDrawPixels(picture->width, picture->height, format, GL_UNSIGNED_BYTE, picture->pixels);
    glPopAttrib();
}

void RenderGL::issueText(int font, float x, float y, const std::string& text) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glRasterPos2f(x, y); // the first glyph's baseline origin
    glListBase(fontListBases[size_t(font)]);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    glPopAttrib();
}

} // namespace keltraWorks
