// A Renderer for tests that draws nothing and records every call, so widget
// and player code runs without a GL context. Each call becomes one
// RecordedCall (operation name, numeric arguments, string argument, return
// value) together with a snapshot of the drawing state in force when it was
// made (bound texture, colour, blending, polygon mode, line width, state
// depth, open batch, modelview transform). Overloads record identically:
// translate(vector2) and translate(x, y) both give "translate" {x, y}.
//
// Arguments by operation (vectors are flattened x, y[, z, w]):
//   drawRect with a texture   {x1, y1, x2, y2, texture}
//   drawRect with an extent   {x1, y1, x2, y2, extentX, extentY}
//   drawQuad                  {a, b, c, d, extent} = 10 numbers
//   drawText                  {font, x, y}, text in `text`
//   loadTexture               {filter, whiteIsTransparent}, path in `text`
//   loadImage                 {}, path in `text`
//   createFont                {height, bold, italic, underline}, face in `text`
//   project                   {x, y}; unproject {x, y} (pixels)
//
// Textures and images behave like the real renderer's records: loadTexture
// and loadImage read and decode the picture (from the mounted archive or from
// disk) unless a size was given with setPictureSize; records are padded as
// on the GPU, so getTextureInfo and getTextureExtent answer as in the game.
// Fonts get simple monospace metrics: every advance is half the height.
// unproject/project use the recorded modelview transform and the logical
// size, like an orthographic GL projection. Single-threaded; owns its records.
#pragma once

#include "engine/render/renderer.h"

#include <cstddef>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace keltraWorks {

// A 2D affine transform: (x, y) -> (a x + c y + tx, b x + d y + ty).
struct Transform2D {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    vector2 map(vector2 p) const { return vector2(a * p.x + c * p.y + tx, b * p.x + d * p.y + ty); }
};

// The drawing state the recording renderer keeps, as pushState saves it.
struct RecordedState {
    int texture = 0;
    vector4 color{1, 1, 1, 1};
    bool blend = false;
    int blendSource = BlendOne;
    int blendDestination = BlendZero;
    int polygonMode = PolygonFill;
    float lineWidth = 1;
    Transform2D transform;
};

// One call, with the state in force when it was made.
struct RecordedCall : RecordedState {
    std::string op;
    std::vector<float> args;
    std::string text;
    float result = 0; // the return value (bool as 0/1) of operations that have one
    int depth = 0;    // pushState nesting
    bool inBatch = false;

    float arg(size_t i) const { return i < args.size() ? args[i] : 0.0f; }
    // args 0..3 as (left, top, right, bottom), for drawRect.
    vector4 rect() const { return vector4(arg(0), arg(1), arg(2), arg(3)); }
    std::string toString() const;
};

std::ostream& operator<<(std::ostream& out, const RecordedCall& call);
// Lets GoogleTest print calls in failure messages.
void PrintTo(const RecordedCall& call, std::ostream* out);

class RecordingRenderer : public Renderer {
  public:
    explicit RecordingRenderer(int32_t pixelWidth = 1024, int32_t pixelHeight = 768,
                               float logicalWidth = 16, float logicalHeight = 12);

    // --- inspection ---
    const std::vector<RecordedCall>& calls() const { return log; }
    void clearCalls() { log.clear(); }
    std::vector<RecordedCall> callsNamed(const std::string& op) const;
    size_t count(const std::string& op) const;
    // The last call of that name, or null.
    const RecordedCall* last(const std::string& op) const;
    // The operation names in call order, for asserting sequences.
    std::vector<std::string> opNames() const;

    int boundTexture() const { return state.texture; }
    vector4 currentColor() const { return state.color; }
    bool blendEnabled() const { return state.blend; }
    int stateDepth() const { return static_cast<int>(saved.size()); }
    bool batchOpen() const { return inBatch; }
    const Transform2D& currentTransform() const { return state.transform; }
    bool isDeleted(int texture) const;

    // --- set-up for tests (not recorded) ---
    // loadTexture/loadImage of `path` then succeed with this picture size
    // without reading any file.
    void setPictureSize(const std::string& path, int width, int height, int bitsPerPixel = 32);
    // Adds a texture record as loadTexture of such a picture would; returns
    // its index.
    int addTexture(int width, int height, int bitsPerPixel = 32);
    // What isAvailable() answers (true by default) and the status to report.
    void setAvailable(bool available) { availableFlag = available; }
    void setStatus(int value) { status = value; }

    // --- Renderer ---
    // The base's destroyContext and partial frames (none) are kept, and
    // the vector forms forward to the number forms recorded here.
    using Renderer::drawText;
    using Renderer::scale;
    using Renderer::setColor;
    using Renderer::texCoord;
    using Renderer::translate;
    using Renderer::vertex;
    bool isAvailable() override;

    // Calls that change the tracked state.
    void setPolygonMode(int mode) override;
    void loadIdentity() override;
    void translate(float x, float y) override;
    void scale(float x, float y) override;
    void rotate(float degrees) override;
    bool begin(int primitive) override;
    bool end() override;
    void setColor(float r, float g, float b, float a) override;
    void setBlend(int source, int destination) override;
    void disableBlend() override;
    void bindTexture(int texture) override;
    void setLineWidth(float width) override;
    void pushState() override;
    void popState() override;

    // Calls that are only recorded.
    void setProjection(float w, float h) override;
    void clear(vector4 colour) override;
    void vertex(float x, float y) override;
    void texCoord(float s, float t) override;
    void drawTriangle(vector2 a, vector2 b, vector2 c) override;
    void drawQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent) override;
    void drawRect(vector2 topLeft, vector2 bottomRight, int texture) override;
    void drawRect(vector2 topLeft, vector2 bottomRight, vector2 extent) override;
    void drawImage(int image) override;
    void setPointSize(float size) override;
    void drawText(int font, float x, float y, std::string text) override;

    // Mapping through the recorded transform.
    vector2 unproject(int x, int y) override;
    void project(vector2 point, int* x, int* y) override;

    // Pictures read from files, or sized by setPictureSize.
    int loadTexture(const std::string& path, int filter, bool whiteIsTransparent) override;
    int loadImage(const std::string& path) override;
    // Records made without any file.
    int createTexture(int width, int height, int bitsPerPixel, int filter) override;
    bool updateTexture(int texture, const uint8_t* pixels) override;
    bool deleteTexture(int texture) override;
    int createFont(const std::string& faceName, int height, bool bold, bool italic,
                   bool underline) override;

  private:
    struct PictureSize {
        int width = 0;
        int height = 0;
        int bitsPerPixel = 0;
    };

    RecordedCall& record(const std::string& op, std::vector<float> args = {},
                         const std::string& text = std::string());
    void multiply(const Transform2D& m);
    bool pictureFor(const std::string& path, Image* out);
    int addTextureRecord(ImageInfo record);

    std::vector<RecordedCall> log;
    RecordedState state;
    std::vector<RecordedState> saved;
    std::vector<bool> deleted; // parallel to textureInfos
    std::map<std::string, PictureSize> pictureSizes;
    bool availableFlag = true;
};

} // namespace keltraWorks
