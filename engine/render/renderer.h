// The engine's abstract drawing interface: virtual operations covering a
// fixed 2D orthographic projection, matrix and attribute state, immediate-mode
// primitives, textured rectangles, colour and blending, bitmap text, textures,
// raw images, fonts and frames. RenderGL is the OpenGL back end; tests use the
// recording renderer (tests/support/render). The renderer never makes the
// window or its drawing context: the platform does, and hands over the
// drawable's size in pixels.
//
// Units: drawing is in logical units. The logical area is logicalWidth x
// logicalHeight units (16 x 12 in the player), origin top-left, x right,
// y down. The pixel size given at construction is the picture's own size
// (1024 x 768 in the player): a picture is shown 1:1 there, and widgets
// size pictures by it. The drawable may later have another size: the
// logical area then fills the largest box of the same proportions centred
// in it (pictureBox), with black bars around. unproject/project convert to
// and from window pixels (y from top) through that box.
//
// Indices: textures and raw images are 1-based (0 = none or failure); fonts
// are 0-based in creation order. Records are never removed, so an index stays
// valid for the renderer's lifetime. The renderer owns every texture, image
// and font record it made. Failures are return values (false, 0).
//
// Threading: single-threaded; every call on the thread that created the
// renderer (for RenderGL, the thread whose GL context is current).
#pragma once

#include "engine/core/vector.h"
#include "engine/render/font_info.h"
#include "engine/render/frame_recording.h"
#include "engine/render/image.h"
#include "engine/render/image_info.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace keltraWorks {

// Blend factor numbers for setBlend (both arguments). Any other number is
// passed to the GL unchanged, so GL factor values may be given directly.
constexpr int BlendZero = 0;
constexpr int BlendOne = 1;
constexpr int BlendSrcColor = 2;
constexpr int BlendSrcAlpha = 3;
constexpr int BlendDstColor = 4;
constexpr int BlendDstAlpha = 5;
constexpr int BlendOneMinusSrcColor = 6;
constexpr int BlendOneMinusSrcAlpha = 7;
constexpr int BlendOneMinusDstColor = 8;
constexpr int BlendOneMinusDstAlpha = 9;

// Primitive numbers for begin(); any other number opens a batch with no GL
// primitive.
constexpr int PrimitivePoints = 0;
constexpr int PrimitiveLines = 1;
constexpr int PrimitiveTriangles = 2;
constexpr int PrimitiveQuads = 3;

// Modes for setPolygonMode; other values change nothing.
constexpr int PolygonFill = 0;
constexpr int PolygonLine = 1;
constexpr int PolygonPoint = 2;

// Texture filters for loadTexture/createTexture.
constexpr int FilterNearest = 0;
constexpr int FilterLinear = 1;
constexpr int FilterMipmap = 2; // linear with mipmaps (loadTexture only)

// Values of getStatus().
constexpr int StatusReady = 0;
constexpr int StatusNoContext = 1;
constexpr int StatusDestroyed = 2;

class Renderer {
  public:
    // The pixel size is the picture's own size and the drawable's size
    // until setDrawableSize gives another.
    Renderer(int32_t pixelWidth, int32_t pixelHeight);
    virtual ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // --- non-virtual operations ---
    int getStatus() const { return status; }
    // The drawable's size.
    void getPixelSize(int32_t* w, int32_t* h) const;
    // The box of every window pixel (window pixels, y up).
    FrameRecording::Box wholeWindow() const;
    // The drawable was resized: the logical area is fitted into it again
    // and setProjection is called (the next frame is drawn whole).
    void setDrawableSize(int32_t w, int32_t h);
    // The window pixels (y up) the logical area fills: the whole drawable
    // when it has the picture's size or proportions.
    FrameRecording::Box pictureBox() const { return picture; }
    // Window pixels (y from the top) to logical units through pictureBox,
    // ignoring the modelview, and back (truncated to whole pixels). A pixel
    // on a bar maps outside the logical area.
    vector2 windowToLogical(int x, int y) const;
    void logicalToWindow(vector2 point, int* x, int* y) const;
    void getLogicalSize(float* w, float* h) const;
    // Logical units per pixel of a picture shown at its own size (the pixel
    // size given at construction); 0 when that size is 0.
    void getUnitsPerPixel(float* x, float* y) const;
    // Stores the size, recomputes units per pixel, calls setProjection.
    void setLogicalSize(float w, float h);
    // Null for 0 or an index above the count of textures.
    const ImageInfo* getTextureInfo(int texture) const;
    // (imageWidth / width, imageHeight / height): the texture-coordinate
    // extent that shows exactly the picture part of a padded texture;
    // (0, 0) for an unknown index.
    vector2 getTextureExtent(int texture) const;
    // Null for an unknown (negative or too large) font index.
    const FontInfo* getFontInfo(int font) const;
    // Null for 0 or an index above the count of raw images.
    const Image* getImage(int image) const;
    int textureCount() const { return static_cast<int>(textureInfos.size()); }
    int imageCount() const { return static_cast<int>(images.size()); }
    int fontCount() const { return static_cast<int>(fontInfos.size()); }

    // Reads `byteCount` bytes of PNG data from the stream's current position
    // and decodes them to 8-, 24- or 32-bit pixels (grey, RGB, RGBA), first
    // row first. On success the caller owns *pixels (delete[]). False for a
    // null stream, a count above MaxResourceBytes, a short read, broken PNG
    // structure or a decode failure; the stream is left open for the caller.
    bool decodeImage(std::FILE* stream, int32_t byteCount, int32_t* width, int32_t* height,
                     int32_t* bitsPerPixel, uint8_t** pixels);

    // --- the virtual operations ---
    // Each vector form below forwards to the number form beside it, so a
    // back end overrides the number form only (and names the vector form in
    // its own scope with a using-declaration).
    //
    // Releases what the renderer made in the drawing context while that
    // context is still current (its owner deletes the context afterwards);
    // the status becomes StatusDestroyed.
    virtual void destroyContext();
    virtual void setProjection(float w, float h) = 0;
    virtual void setPolygonMode(int mode) = 0;
    virtual void clear(vector4 colour) = 0;
    // Matrices (the modelview in normal use).
    virtual void loadIdentity() = 0;
    virtual void translate(float x, float y) = 0;
    void translate(vector2 offset) { translate(offset.x, offset.y); }
    virtual void scale(float x, float y) = 0; // the z factor is 0
    void scale(vector2 factor) { scale(factor.x, factor.y); }
    virtual void rotate(float degrees) = 0;
    // Batches: begin fails inside a batch, end fails outside one.
    virtual bool begin(int primitive) = 0;
    virtual bool end() = 0;
    void vertex(vector2 point) { vertex(point.x, point.y); }
    virtual void vertex(float x, float y) = 0;
    void texCoord(vector2 coord) { texCoord(coord.x, coord.y); }
    virtual void texCoord(float s, float t) = 0;
    // Self-contained textured primitives; they draw nothing inside a batch.
    // The quad maps a to (0, 0), b to (extent.x, 0), c to the extent and d to
    // (0, extent.y).
    virtual void drawTriangle(vector2 a, vector2 b, vector2 c) = 0;
    virtual void drawQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent) = 0;
    // Rectangle from top-left to bottom-right, with the texture's extent (it
    // binds nothing itself) or with an explicit extent.
    virtual void drawRect(vector2 topLeft, vector2 bottomRight, int texture) = 0;
    virtual void drawRect(vector2 topLeft, vector2 bottomRight, vector2 extent) = 0;
    // Colour and blending (red, green, blue, alpha, each 0..1).
    void setColor(vector4 colour) { setColor(colour.x, colour.y, colour.z, colour.w); }
    virtual void setColor(float r, float g, float b, float a) = 0;
    virtual void setBlend(int source, int destination) = 0;
    virtual void disableBlend() = 0;
    // Raw images (1-based): drawn at pixel size, anchored bottom-left.
    virtual void drawImage(int image) = 0;
    // 0 unbinds; an unknown index leaves the binding as it is.
    virtual void bindTexture(int texture) = 0;
    virtual void setPointSize(float size) = 0;
    virtual void setLineWidth(float width) = 0;
    // Single-byte (Windows-1252) text from the baseline origin, in the
    // current colour. Bad font index or empty text draws nothing.
    virtual void drawText(int font, float x, float y, std::string text) = 0;
    void drawText(int font, vector2 position, std::string text) {
        drawText(font, position.x, position.y, std::move(text));
    }
    // Save/restore every attribute and the modelview matrix.
    virtual void pushState() = 0;
    virtual void popState() = 0;
    // Window pixels (y from the top) to logical units, and back.
    virtual vector2 unproject(int x, int y) = 0;
    virtual void project(vector2 point, int* x, int* y) = 0;
    // Textures: files come from the archive when it is mounted (no fallback
    // to disk), otherwise from disk. Result 0 / false on any failure.
    virtual int loadTexture(const std::string& path, int filter, bool whiteIsTransparent) = 0;
    virtual int createTexture(int width, int height, int bitsPerPixel, int filter) = 0;
    // `pixels` holds imageWidth x imageHeight packed pixels of the texture's
    // depth. False for an unknown or deleted texture.
    virtual bool updateTexture(int texture, const uint8_t* pixels) = 0;
    // The index stays reserved; deleting twice gives false.
    virtual bool deleteTexture(int texture) = 0;
    virtual int loadImage(const std::string& path) = 0;
    // Height > 0: cell height in pixels; < 0: character (em) height.
    // Always returns the new font index, even when no face was found.
    virtual int createFont(const std::string& faceName, int height, bool bold, bool italic,
                           bool underline) = 0;
    // True for a back end that can draw (base: false).
    virtual bool isAvailable();

    // Partial frames, for a window that can show part of its back buffer
    // without swapping it (so the back buffer keeps the last frame). The
    // window brackets each frame's drawing with beginFrame and endFrame.
    // While partial frames are on, endFrame draws only what changed and
    // returns the box to show (window pixels, y up; empty when nothing
    // changed); otherwise it returns the whole window. setPartialFrames
    // answers whether they are on now; the base cannot draw them (false).
    virtual bool setPartialFrames(bool on);
    virtual void beginFrame() {}
    virtual FrameRecording::Box endFrame();

  protected:
    // Reads `path` with Vfs::readResource (the mounted archive, or disk when
    // no archive is mounted) and decodes it into `out` (owning its pixels).
    // False on any failure, with a line on stderr; nothing is left open.
    bool loadPicture(const std::string& path, Image* out);

    // True when pictureBox does not cover the whole drawable.
    bool hasBars() const;
    // Window pixels of pictureBox per pixel of the picture's own size.
    float pictureScaleX() const;
    float pictureScaleY() const;

    int32_t pixelWidth = 0; // the drawable's size
    int32_t pixelHeight = 0;
    int32_t pictureWidth = 0; // the picture's own size
    int32_t pictureHeight = 0;
    FrameRecording::Box picture;
    float logicalWidth = 0.0f;
    float logicalHeight = 0.0f;
    float unitsPerPixelX = 0.0f;
    float unitsPerPixelY = 0.0f;
    int32_t status = StatusReady;
    bool inBatch = false;
    // Set once a picture could not be opened: later ones are not named, so
    // pictures found nowhere give one line rather than one line each.
    bool missingPictureReported = false;
    std::vector<ImageInfo> textureInfos; // entry i is texture i + 1
    std::vector<Image> images;           // entry i is image i + 1
    std::vector<FontInfo> fontInfos;     // entry i is font i
};

} // namespace keltraWorks
