#include "engine/render/render_gl.h"

#include "engine/render/font_rasterizer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace keltraWorks {

namespace {

// Factor numbers 0..9 name the GL factors; anything else is taken to be a GL
// factor value already.
GLenum blendFactor(int number) {
    static const GLenum factors[10] = {
        GL_ZERO,
        GL_ONE,
        GL_SRC_COLOR,
        GL_SRC_ALPHA,
        GL_DST_COLOR,
        GL_DST_ALPHA,
        GL_ONE_MINUS_SRC_COLOR,
        GL_ONE_MINUS_SRC_ALPHA,
        GL_ONE_MINUS_DST_COLOR,
        GL_ONE_MINUS_DST_ALPHA,
    };
    return (number >= 0 && number < 10) ? factors[number] : static_cast<GLenum>(number);
}

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

// Window coordinates are truncated toward zero, except that a value within
// rounding noise of a whole pixel counts as that pixel: 575.99999 from the
// matrix arithmetic means 576.
int truncatePixel(double v) {
    const double whole = std::round(v);
    return std::fabs(v - whole) < 1e-3 ? static_cast<int>(whole) : static_cast<int>(v);
}

void clearGlErrors() {
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

} // namespace

RenderGL::RenderGL(int32_t pixelWidth, int32_t pixelHeight, float logicalWidth, float logicalHeight)
    : Renderer(pixelWidth, pixelHeight) {
    // Without a current context the GL answers no version string.
    if (glGetString(GL_VERSION) == nullptr) {
        status = StatusNoContext;
        return;
    }
    setLogicalSize(logicalWidth, logicalHeight);
    setInitialState();
}

void RenderGL::destroyContext() {
    previousValid = false;
    recording = false;
    if (status == StatusReady) {
        for (GLuint& name : textureNames) {
            if (name != 0) {
                glDeleteTextures(1, &name);
                name = 0;
            }
        }
        for (GLuint& base : fontListBases) {
            if (base != 0) {
                glDeleteLists(base, 256);
                base = 0;
            }
        }
    }
    status = StatusDestroyed;
}

void RenderGL::setInitialState() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(0.0);
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    // Every pixel buffer the renderer uploads is packed without row padding;
    // the GL's default 4-byte row alignment would skew odd-width pictures.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

void RenderGL::setProjection(float w, float h) {
    previousValid = false;
    glViewport(0, 0, pixelWidth, pixelHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, w, h, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void RenderGL::setPolygonMode(int mode) {
    if (recording) {
        if (mode >= 0 && mode < 3) {
            record(FrameRecording::Op::PolygonMode, mode);
        }
        return;
    }
    static const GLenum modes[3] = {GL_FILL, GL_LINE, GL_POINT};
    if (mode >= 0 && mode < 3) {
        glPolygonMode(GL_FRONT_AND_BACK, modes[mode]);
    }
}

void RenderGL::clear(vector4 colour) {
    if (recording) {
        record(FrameRecording::Op::Clear, 0, 0, {colour.x, colour.y, colour.z, colour.w});
        return;
    }
    glClearColor(colour.x, colour.y, colour.z, colour.w);
    glClear(GL_COLOR_BUFFER_BIT);
}

void RenderGL::loadIdentity() {
    if (recording) {
        record(FrameRecording::Op::LoadIdentity);
        return;
    }
    glLoadIdentity();
}

void RenderGL::translate(float x, float y) {
    if (recording) {
        record(FrameRecording::Op::Translate, 0, 0, {x, y});
        return;
    }
    glTranslatef(x, y, 0.0f);
}

// The z factor is 0 on purpose: the scene is flat and callers expect it.
void RenderGL::scale(float x, float y) {
    if (recording) {
        record(FrameRecording::Op::Scale, 0, 0, {x, y});
        return;
    }
    glScalef(x, y, 0.0f);
}

void RenderGL::rotate(float degrees) {
    if (recording) {
        record(FrameRecording::Op::Rotate, 0, 0, {degrees});
        return;
    }
    glRotatef(degrees, 0.0f, 0.0f, 1.0f);
}

bool RenderGL::begin(int primitive) {
    if (inBatch) {
        return false;
    }
    static const GLenum primitives[4] = {GL_POINTS, GL_LINES, GL_TRIANGLES, GL_QUADS};
    if (recording) {
        record(FrameRecording::Op::Begin, primitive);
        primitiveOpen = primitive >= 0 && primitive < 4;
        inBatch = true;
        return true;
    }
    // An unknown primitive still opens a batch, but with nothing to draw.
    if (primitive >= 0 && primitive < 4) {
        glBegin(primitives[primitive]);
        primitiveOpen = true;
    }
    inBatch = true;
    return true;
}

bool RenderGL::end() {
    if (!inBatch) {
        return false;
    }
    if (recording) {
        record(FrameRecording::Op::End);
        primitiveOpen = false;
        inBatch = false;
        return true;
    }
    if (primitiveOpen) {
        glEnd();
        primitiveOpen = false;
    }
    inBatch = false;
    return true;
}

void RenderGL::vertex(float x, float y) {
    if (recording) {
        record(FrameRecording::Op::Vertex, 0, 0, {x, y});
        return;
    }
    glVertex2f(x, y);
}

void RenderGL::texCoord(float s, float t) {
    if (recording) {
        record(FrameRecording::Op::TexCoord, 0, 0, {s, t});
        return;
    }
    glTexCoord2f(s, t);
}

// In both textured primitives each vertex is issued before the texture
// coordinate that follows it, and the call ends on (0, 0): the first vertex
// then picks up (0, 0) left by the previous call. Intended; drawRect relies on
// it to map the top-left corner to (0, 0).
void RenderGL::drawTriangle(vector2 a, vector2 b, vector2 c) {
    if (inBatch) {
        return;
    }
    if (recording) {
        record(FrameRecording::Op::Triangle, 0, 0, {a.x, a.y, b.x, b.y, c.x, c.y});
        return;
    }
    glBegin(GL_TRIANGLES);
    glVertex2f(a.x, a.y);
    glTexCoord2f(0.5f, 1.0f);
    glVertex2f(b.x, b.y);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(c.x, c.y);
    glTexCoord2f(0.0f, 0.0f);
    glEnd();
}

void RenderGL::drawQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent) {
    if (inBatch) {
        return;
    }
    if (recording) {
        record(FrameRecording::Op::Quad, 0, 0,
               {a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y, extent.x, extent.y});
        return;
    }
    glBegin(GL_QUADS);
    glVertex2f(a.x, a.y);
    glTexCoord2f(extent.x, 0.0f);
    glVertex2f(b.x, b.y);
    glTexCoord2f(extent.x, extent.y);
    glVertex2f(c.x, c.y);
    glTexCoord2f(0.0f, extent.y);
    glVertex2f(d.x, d.y);
    glTexCoord2f(0.0f, 0.0f);
    glEnd();
}

void RenderGL::drawRect(vector2 topLeft, vector2 bottomRight, int texture) {
    if (recording) {
        if (!inBatch) {
            record(FrameRecording::Op::RectTexture, texture, 0,
                   {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
        }
        return;
    }
    if (!inBatch) {
        if (texture == 0 && clearsInstead(topLeft, bottomRight)) {
            // The texture coordinate the quad would have left behind.
            glTexCoord2f(0.0f, 0.0f);
            return;
        }
        if (texture > 0) {
            matchFilterToPlacement(texture, topLeft, bottomRight);
            if (blendKeepsOnlyTheSource(texture)) {
                glDisable(GL_BLEND);
                drawRect(topLeft, bottomRight, getTextureExtent(texture));
                glEnable(GL_BLEND);
                return;
            }
        }
    }
    drawRect(topLeft, bottomRight, getTextureExtent(texture));
}

bool RenderGL::blendKeepsOnlyTheSource(int texture) const {
    const ImageInfo* info = getTextureInfo(texture);
    if (info == nullptr || (info->bitsPerPixel != 24 && info->bitsPerPixel != 8) ||
        !glIsEnabled(GL_BLEND) ||
        !glIsEnabled(GL_TEXTURE_2D)) {
        return false;
    }
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    if (static_cast<GLuint>(binding) != textureNames[size_t(texture - 1)] || binding == 0) {
        return false;
    }
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    if (environment != GL_MODULATE && environment != GL_REPLACE) {
        return false;
    }
    // A picture without alpha (RGB or grey) keeps the colour's alpha: it
    // must be opaque.
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    if (colour[3] != 1.0f) {
        return false;
    }
    GLint source = 0, destination = 0, equation = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_BLEND_EQUATION, &equation);
    return (source == GL_SRC_ALPHA || source == GL_ONE) &&
           (destination == GL_ONE_MINUS_SRC_ALPHA || destination == GL_ZERO) &&
           equation == GL_FUNC_ADD;
}

bool RenderGL::windowBox(vector2 topLeft, vector2 bottomRight, float box[4]) const {
    GLfloat modelview[16];
    GLfloat projection[16];
    GLint viewport[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Both matrices must scale and translate only (column-major storage).
    for (const GLfloat* m : {modelview, projection}) {
        if (m[1] != 0.0f || m[4] != 0.0f || m[3] != 0.0f || m[7] != 0.0f || m[15] != 1.0f) {
            return false;
        }
    }
    const vector2 corners[2] = {topLeft, bottomRight};
    for (int i = 0; i < 2; ++i) {
        const float eyeX = modelview[0] * corners[i].x + modelview[12];
        const float eyeY = modelview[5] * corners[i].y + modelview[13];
        const float ndcX = projection[0] * eyeX + projection[12];
        const float ndcY = projection[5] * eyeY + projection[13];
        box[i * 2] = static_cast<float>(viewport[0]) + (ndcX + 1.0f) * 0.5f * viewport[2];
        box[i * 2 + 1] = static_cast<float>(viewport[1]) + (ndcY + 1.0f) * 0.5f * viewport[3];
    }
    return true;
}

bool RenderGL::clearsInstead(vector2 topLeft, vector2 bottomRight) {
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    if (binding != 0 && glIsEnabled(GL_TEXTURE_2D)) {
        return false;
    }
    // The scissor clips a clear as it clips the rectangle: it may be on.
    for (GLenum capability : {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST,
                              GL_COLOR_LOGIC_OP, GL_LIGHTING, GL_FOG, GL_CULL_FACE,
                              GL_POLYGON_STIPPLE, GL_TEXTURE_1D, GL_TEXTURE_GEN_S,
                              GL_TEXTURE_GEN_T}) {
        if (glIsEnabled(capability)) {
            return false;
        }
    }
    // An opaque colour whose channels the framebuffer stores exactly.
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    if (colour[3] != 1.0f) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        const float level = colour[i] * 255.0f;
        if (colour[i] < 0.0f || colour[i] > 1.0f || std::fabs(level - std::round(level)) > 1e-4f) {
            return false;
        }
    }
    // Blending off, or blending that keeps only an opaque source.
    if (glIsEnabled(GL_BLEND)) {
        GLint source = 0, destination = 0, equation = 0;
        glGetIntegerv(GL_BLEND_SRC, &source);
        glGetIntegerv(GL_BLEND_DST, &destination);
        glGetIntegerv(GL_BLEND_EQUATION, &equation);
        const bool takesSource = source == GL_SRC_ALPHA || source == GL_ONE;
        const bool dropsDestination = destination == GL_ONE_MINUS_SRC_ALPHA || destination == GL_ZERO;
        if (!takesSource || !dropsDestination || equation != GL_FUNC_ADD) {
            return false;
        }
    }
    GLint polygonModes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, polygonModes);
    GLboolean writes[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, writes);
    if (polygonModes[0] != GL_FILL || polygonModes[1] != GL_FILL || !writes[0] || !writes[1] ||
        !writes[2] || !writes[3]) {
        return false;
    }
    // The rectangle must cover the whole drawable, which is what a clear
    // touches, whatever the viewport.
    float box[4];
    if (pixelWidth <= 0 || pixelHeight <= 0 || !windowBox(topLeft, bottomRight, box)) {
        return false;
    }
    const float left = std::min(box[0], box[2]);
    const float right = std::max(box[0], box[2]);
    const float bottom = std::min(box[1], box[3]);
    const float top = std::max(box[1], box[3]);
    if (left > 0.0f || bottom > 0.0f || right < static_cast<float>(pixelWidth) ||
        top < static_cast<float>(pixelHeight)) {
        return false;
    }
    GLfloat previous[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
    glClearColor(colour[0], colour[1], colour[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(previous[0], previous[1], previous[2], previous[3]);
    return true;
}

void RenderGL::matchFilterToPlacement(int texture, vector2 topLeft, vector2 bottomRight) {
    const size_t index = static_cast<size_t>(texture - 1);
    if (texture > textureCount() || index >= textureLinear.size() || !textureLinear[index] ||
        textureNames[index] == 0) {
        return;
    }
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    if (static_cast<GLuint>(binding) != textureNames[index]) {
        return;
    }
    const ImageInfo* info = getTextureInfo(texture);
    float box[4];
    bool exact = info != nullptr && windowBox(topLeft, bottomRight, box);
    if (exact) {
        // Not mirrored, the picture's own size, corners on whole pixels.
        const float width = box[2] - box[0];
        const float height = box[1] - box[3]; // window y grows upwards
        const auto whole = [](float v) { return std::fabs(v - std::round(v)) < 1e-3f; };
        exact = std::fabs(width - static_cast<float>(info->imageWidth)) < 1e-3f &&
                std::fabs(height - static_cast<float>(info->imageHeight)) < 1e-3f &&
                whole(box[0]) && whole(box[3]);
    }
    if (exact == textureNearestNow[index]) {
        return;
    }
    const GLint mode = exact ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mode);
    textureNearestNow[index] = exact;
}

void RenderGL::drawRect(vector2 topLeft, vector2 bottomRight, vector2 extent) {
    drawQuad(topLeft, vector2(bottomRight.x, topLeft.y), bottomRight,
             vector2(topLeft.x, bottomRight.y), extent);
}

void RenderGL::setColor(float r, float g, float b, float a) {
    if (recording) {
        record(FrameRecording::Op::Color, 0, 0, {r, g, b, a});
        return;
    }
    glColor4f(r, g, b, a);
}

void RenderGL::setBlend(int source, int destination) {
    if (recording) {
        record(FrameRecording::Op::Blend, static_cast<int>(blendFactor(source)),
               static_cast<int>(blendFactor(destination)));
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(blendFactor(source), blendFactor(destination));
}

void RenderGL::disableBlend() {
    if (recording) {
        record(FrameRecording::Op::NoBlend);
        return;
    }
    glDisable(GL_BLEND);
}

void RenderGL::drawImage(int image) {
    if (recording) {
        record(FrameRecording::Op::Image, image);
        return;
    }
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
    glDrawPixels(picture->width, picture->height, format, GL_UNSIGNED_BYTE, picture->pixels);
    glPopAttrib();
}

void RenderGL::bindTexture(int texture) {
    if (recording) {
        if (texture >= 0 && texture <= textureCount()) {
            record(FrameRecording::Op::BindTexture, texture);
        }
        return;
    }
    if (texture == 0) {
        glBindTexture(GL_TEXTURE_2D, 0);
    } else if (texture > 0 && texture <= textureCount()) {
        glBindTexture(GL_TEXTURE_2D, textureNames[size_t(texture - 1)]);
    }
}

void RenderGL::setPointSize(float size) {
    if (recording) {
        record(FrameRecording::Op::PointSize, 0, 0, {size});
        return;
    }
    glPointSize(size);
}

void RenderGL::setLineWidth(float width) {
    if (recording) {
        record(FrameRecording::Op::LineWidth, 0, 0, {width});
        return;
    }
    glLineWidth(width);
}

void RenderGL::drawText(int font, float x, float y, std::string text) {
    if (text.empty() || font < 0 || font >= fontCount()) {
        return;
    }
    if (recording) {
        frames[current].addText(font, x, y, text);
        return;
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glRasterPos2f(x, y); // the first glyph's baseline origin
    glListBase(fontListBases[size_t(font)]);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    glPopAttrib();
}

void RenderGL::pushState() {
    if (recording) {
        record(FrameRecording::Op::PushState);
        return;
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
}

void RenderGL::popState() {
    if (recording) {
        record(FrameRecording::Op::PopState);
        return;
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

// Window pixels arrive with y from the top; the GL counts from the bottom, so
// y is flipped in window space before unprojecting. (Flipping the result in
// logical space instead would only be right for an identity modelview.)
vector2 RenderGL::unproject(int x, int y) {
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble objX = 0;
    GLdouble objY = 0;
    GLdouble objZ = 0;
    if (gluUnProject(x, GLdouble(pixelHeight) - y, 0.0, model, projection, viewport, &objX, &objY,
                     &objZ) != GL_TRUE) {
        // A singular matrix (say after scale(0, 0)): the plain mapping of an
        // untransformed scene instead of undefined output.
        return vector2(static_cast<float>(x) * unitsPerPixelX,
                       static_cast<float>(y) * unitsPerPixelY);
    }
    return vector2(static_cast<float>(objX), static_cast<float>(objY));
}

void RenderGL::project(vector2 point, int* x, int* y) {
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble winX = 0;
    GLdouble winY = 0;
    GLdouble winZ = 0;
    if (gluProject(point.x, point.y, 0.0, model, projection, viewport, &winX, &winY, &winZ) !=
        GL_TRUE) {
        *x = unitsPerPixelX != 0.0f ? static_cast<int>(point.x / unitsPerPixelX) : 0;
        *y = unitsPerPixelY != 0.0f ? static_cast<int>(point.y / unitsPerPixelY) : 0;
        return;
    }
    *x = truncatePixel(winX);
    *y = pixelHeight - truncatePixel(winY);
}

// Fills the bound texture with `pixels` (record.imageWidth x imageHeight)
// in its top-left corner and zero bytes right of and below it, as uploading
// a zero-padded copy would, without making that copy. False when the GL
// cannot hold the zeros' buffer.
namespace {

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
    textureLinear.push_back(filter == FilterLinear);
    textureNearestNow.push_back(false);
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
    textureLinear.push_back(filter == FilterLinear);
    textureNearestNow.push_back(false);
    textureGenerations.push_back(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return textureCount();
}

bool RenderGL::updateTexture(int texture, const uint8_t* pixels) {
    if (recording) {
        // Uploads are made at once, also while a frame is being recorded.
        recording = false;
        const bool done = updateTexture(texture, pixels);
        recording = true;
        return done;
    }
    touchTexture(texture);
    bindTexture(texture);
    const ImageInfo* record = getTextureInfo(texture);
    if (record == nullptr) {
        return false;
    }
    // A deleted texture would otherwise upload into texture object 0.
    if (textureNames[size_t(texture - 1)] == 0 || pixels == nullptr) {
        bindTexture(0);
        return false;
    }
    const int bytesPerPixel = record->bitsPerPixel / 8;
    const GLenum format = pixelFormat(bytesPerPixel);
    const size_t dstRow = size_t(record->width) * size_t(bytesPerPixel);
    const size_t srcRow = size_t(record->imageWidth) * size_t(bytesPerPixel);
    const size_t bytes = dstRow * size_t(record->height);
    uint8_t* buffer = new (std::nothrow) uint8_t[bytes];
    if (buffer == nullptr || format == 0) {
        delete[] buffer;
        bindTexture(0);
        return false;
    }
    std::memset(buffer, 0, bytes);
    for (int32_t r = 0; r < record->imageHeight; ++r) {
        std::memcpy(buffer + size_t(r) * dstRow, pixels + size_t(r) * srcRow, srcRow);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, bytesPerPixel, record->width, record->height, 0, format,
                 GL_UNSIGNED_BYTE, buffer);
    bindTexture(0);
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

bool RenderGL::isAvailable() {
    return true;
}

void RenderGL::touchTexture(int texture) {
    if (texture > 0 && static_cast<size_t>(texture) <= textureGenerations.size()) {
        ++textureGenerations[static_cast<size_t>(texture - 1)];
    }
}

void RenderGL::record(FrameRecording::Op op, int i0, int i1, std::initializer_list<float> floats) {
    FrameRecording::Command command;
    command.op = op;
    command.i[0] = i0;
    command.i[1] = i1;
    size_t k = 0;
    for (float f : floats) {
        if (k < sizeof command.f / sizeof command.f[0]) {
            command.f[k++] = f;
        }
    }
    frames[current].add(command);
}

FrameRecording::State RenderGL::currentState() const {
    FrameRecording::State state;
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    state.matrix[0] = modelview[0];
    state.matrix[1] = modelview[1];
    state.matrix[2] = modelview[4];
    state.matrix[3] = modelview[5];
    state.matrix[4] = modelview[12];
    state.matrix[5] = modelview[13];
    glGetFloatv(GL_CURRENT_COLOR, state.color);
    GLfloat coords[4] = {0, 0, 0, 1};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords);
    state.texCoord[0] = coords[0];
    state.texCoord[1] = coords[1];
    state.blend = glIsEnabled(GL_BLEND) == GL_TRUE;
    GLint value = 0;
    glGetIntegerv(GL_BLEND_SRC, &value);
    state.blendSource = value;
    glGetIntegerv(GL_BLEND_DST, &value);
    state.blendDestination = value;
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    state.texture = 0;
    for (size_t i = 0; binding != 0 && i < textureNames.size(); ++i) {
        if (textureNames[i] == static_cast<GLuint>(binding)) {
            state.texture = static_cast<int32_t>(i + 1);
        }
    }
    GLint modes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    state.polygonMode = modes[0] == GL_LINE ? 1 : modes[0] == GL_POINT ? 2 : 0;
    glGetFloatv(GL_LINE_WIDTH, &state.lineWidth);
    glGetFloatv(GL_POINT_SIZE, &state.pointSize);
    return state;
}

bool RenderGL::setPartialFrames(bool on) {
    partial = on;
    recording = false;
    previousValid = false;
    return partial;
}

void RenderGL::beginFrame() {
    if (!partial || recording || status != StatusReady) {
        return;
    }
    frames[current].reset(currentState());
    batchAtStart = inBatch;
    primitiveAtStart = primitiveOpen;
    recording = true;
}

FrameRecording::Box RenderGL::endFrame() {
    const FrameRecording::Box whole = wholeWindow();
    if (!recording) {
        return whole;
    }
    recording = false;
    FrameRecording& now = frames[current];
    FrameRecording::View view;
    view.pixelsPerUnitX = logicalWidth > 0.0f ? static_cast<float>(pixelWidth) / logicalWidth : 1.0f;
    view.pixelsPerUnitY =
        logicalHeight > 0.0f ? static_cast<float>(pixelHeight) / logicalHeight : 1.0f;
    view.width = pixelWidth;
    view.height = pixelHeight;
    now.finish(view, [this](int texture) {
        return texture > 0 && static_cast<size_t>(texture) <= textureGenerations.size()
                   ? textureGenerations[static_cast<size_t>(texture - 1)]
                   : 0u;
    });
    // A batch left open or closed across the frame's edge is drawn whole.
    const bool balanced = inBatch == batchAtStart && primitiveOpen == primitiveAtStart;
    FrameRecording::Box box =
        previousValid && balanced ? now.damageSince(frames[1 - current]) : whole;
    if (!box.empty()) {
        inBatch = batchAtStart;
        primitiveOpen = primitiveAtStart;
        // Textures loaded or updated during the frame changed the binding;
        // the drawing starts from the one the frame started with.
        const int bound = now.startState().texture;
        glBindTexture(GL_TEXTURE_2D, bound > 0 ? textureNames[size_t(bound - 1)] : 0);
        // The whole window is drawn as without recording: clipping can
        // change how a software rasteriser rounds blended colours.
        const bool clip = box.x0 > 0 || box.y0 > 0 || box.x1 < pixelWidth || box.y1 < pixelHeight;
        if (clip) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
        }
        replay(now);
        if (clip) {
            glDisable(GL_SCISSOR_TEST);
        }
    }
    previousValid = true;
    current = 1 - current;
    return box;
}

void RenderGL::replay(const FrameRecording& frame) {
    using Op = FrameRecording::Op;
    for (const FrameRecording::Command& c : frame.commands()) {
        const float* f = c.f;
        switch (c.op) {
        case Op::PolygonMode:
            setPolygonMode(c.i[0]);
            break;
        case Op::Clear:
            clear(vector4(f[0], f[1], f[2], f[3]));
            break;
        case Op::LoadIdentity:
            loadIdentity();
            break;
        case Op::Translate:
            translate(f[0], f[1]);
            break;
        case Op::Scale:
            scale(f[0], f[1]);
            break;
        case Op::Rotate:
            rotate(f[0]);
            break;
        case Op::Begin:
            begin(c.i[0]);
            break;
        case Op::End:
            end();
            break;
        case Op::Vertex:
            vertex(f[0], f[1]);
            break;
        case Op::TexCoord:
            texCoord(f[0], f[1]);
            break;
        case Op::Triangle:
            drawTriangle(vector2(f[0], f[1]), vector2(f[2], f[3]), vector2(f[4], f[5]));
            break;
        case Op::Quad:
            drawQuad(vector2(f[0], f[1]), vector2(f[2], f[3]), vector2(f[4], f[5]),
                     vector2(f[6], f[7]), vector2(f[8], f[9]));
            break;
        case Op::RectTexture:
            drawRect(vector2(f[0], f[1]), vector2(f[2], f[3]), c.i[0]);
            break;
        case Op::Color:
            setColor(f[0], f[1], f[2], f[3]);
            break;
        case Op::Blend:
            // Recorded as GL factors, which setBlend passes through.
            glEnable(GL_BLEND);
            glBlendFunc(static_cast<GLenum>(c.i[0]), static_cast<GLenum>(c.i[1]));
            break;
        case Op::NoBlend:
            disableBlend();
            break;
        case Op::Image:
            drawImage(c.i[0]);
            break;
        case Op::BindTexture:
            bindTexture(c.i[0]);
            break;
        case Op::PointSize:
            setPointSize(f[0]);
            break;
        case Op::LineWidth:
            setLineWidth(f[0]);
            break;
        case Op::Text:
            drawText(c.i[0], f[0], f[1], frame.text(c.i[1]));
            break;
        case Op::PushState:
            pushState();
            break;
        case Op::PopState:
            popState();
            break;
        }
    }
}

uint32_t RenderGL::textureName(int texture) const {
    if (texture <= 0 || texture > static_cast<int>(textureNames.size())) {
        return 0;
    }
    return textureNames[size_t(texture - 1)];
}

} // namespace keltraWorks
