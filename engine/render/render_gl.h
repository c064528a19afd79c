// The OpenGL back end of Renderer: OpenGL 1.x immediate mode with the fixed
// pipeline (legacy, compatibility profile), drawing with the GL context that
// is current on the calling thread. Textures are GL texture objects; fonts
// are 256 glBitmap display lists each.
//
// Set-up order: the platform makes the window and its context current
// (engine/platform/gl_context.h), then RenderGL(the picture's own width,
// height in pixels, 16, 12) and, for a drawable of another size,
// setDrawableSize. Check isAvailable() and getStatus() == StatusReady before
// use; StatusNoContext means no context was current at construction.
//
// Scaled: the viewport is the picture box. With bars around it the scissor
// stays on the box, so clears and drawings never reach the bars, which the
// renderer itself clears black (see beginFrame). Line widths and point sizes
// grow with the picture.
//
// Ownership: the context is not owned. destroyContext deletes every texture
// and display list while the context is still current; the context's owner
// deletes the context afterwards. Units: logical units except where noted.
// Threading: single-threaded; the context is current on the calling thread.
//
// Every drawing call takes one path: it becomes a FrameRecording::Command
// that is recorded while a partial frame is recorded and executed at once
// otherwise; a recorded frame is drawn by executing its commands the same way.
// The code is split by concern: render_gl.cpp (state, matrices, drawing),
// render_gl_textures.cpp (textures, raw images, fonts), render_gl_frames.cpp
// (partial frames and the drawing shortcuts that give the same pixels for
// less work).
#pragma once

#include "engine/render/frame_recording.h"
#include "engine/render/renderer.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace keltraWorks {

class RenderGL : public Renderer {
  public:
    // Needs a current GL context whose drawable is pixelWidth x pixelHeight.
    RenderGL(int32_t pixelWidth, int32_t pixelHeight, float logicalWidth, float logicalHeight);

    // --- render_gl.cpp ---
    void destroyContext() override;
    bool isAvailable() override;
    void setProjection(float w, float h) override;
    void setPolygonMode(int mode) override;
    void clear(vector4 colour) override;
    void loadIdentity() override;
    using Renderer::translate;
    void translate(float x, float y) override;
    using Renderer::scale;
    void scale(float x, float y) override;
    void rotate(float degrees) override;
    bool begin(int primitive) override;
    bool end() override;
    using Renderer::vertex;
    void vertex(float x, float y) override;
    using Renderer::texCoord;
    void texCoord(float s, float t) override;
    void drawTriangle(vector2 a, vector2 b, vector2 c) override;
    void drawQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent) override;
    void drawRect(vector2 topLeft, vector2 bottomRight, int texture) override;
    void drawRect(vector2 topLeft, vector2 bottomRight, vector2 extent) override;
    using Renderer::setColor;
    void setColor(float r, float g, float b, float a) override;
    void setBlend(int source, int destination) override;
    void disableBlend() override;
    void drawImage(int image) override;
    void bindTexture(int texture) override;
    void setPointSize(float size) override;
    void setLineWidth(float width) override;
    using Renderer::drawText;
    void drawText(int font, float x, float y, std::string text) override;
    void pushState() override;
    void popState() override;
    vector2 unproject(int x, int y) override;
    void project(vector2 point, int* x, int* y) override;

    // --- render_gl_textures.cpp ---
    int loadTexture(const std::string& path, int filter, bool whiteIsTransparent) override;
    int createTexture(int width, int height, int bitsPerPixel, int filter) override;
    bool updateTexture(int texture, const uint8_t* pixels) override;
    bool deleteTexture(int texture) override;
    int loadImage(const std::string& path) override;
    int createFont(const std::string& faceName, int height, bool bold, bool italic,
                   bool underline) override;
    // The GL texture name behind a texture index; 0 for an unknown or
    // deleted texture. For tests and for widgets that issue GL calls.
    uint32_t textureName(int texture) const;

    // --- render_gl_frames.cpp ---
    // While partial frames are on, the drawing calls between beginFrame and
    // endFrame are recorded; endFrame compares them with the previous
    // frame's, draws them clipped to the pixels that may differ and returns
    // that box. The first frame, and the first after setProjection,
    // destroyContext or forgetFrame, is drawn whole. Off (the default),
    // calls are issued as they come. Textures loaded or updated while a
    // frame is recorded change at once, before the frame's drawing is issued.
    // beginFrame clears the bars around the picture box black: on every
    // frame while partial frames are off (a swapped back buffer keeps
    // nothing), else on the first frame after setProjection.
    bool setPartialFrames(bool on) override;
    bool partialFrames() const { return partial; }
    void beginFrame() override;
    FrameRecording::Box endFrame() override;
    // The next frame is drawn whole.
    void forgetFrame() { previousValid = false; }

  private:
    using Command = FrameRecording::Command;
    using Op = FrameRecording::Op;

    void setInitialState();
    // The scissor on the picture box when there are bars, else off.
    void scissorToPicture();
    // Clears the whole drawable black, bars included.
    void clearBars();
    // The one path of every drawing call: the command is recorded while a
    // frame is recorded, else executed. `text` is a Text command's string.
    void submit(Op op, std::initializer_list<int> ints = {},
                std::initializer_list<float> floats = {}, const std::string* text = nullptr);
    // Issues one command to the GL, for an immediate call or a replayed one.
    void execute(const Command& command, const std::string* text);
    static void issueQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent);
    static void issueRect(vector2 topLeft, vector2 bottomRight, vector2 extent);

    // render_gl_textures.cpp: what a drawImage or drawText command issues.
    void issueImage(int image);
    void issueText(int font, float x, float y, const std::string& text);
    // Marks a texture's pixels as changed for the frame comparison.
    void touchTexture(int texture);

    // render_gl_frames.cpp.
    // What the GL holds now, as a recording's starting state.
    FrameRecording::State currentState() const;
    // A textured rectangle, through the shortcuts that fit it.
    void issueTexturedRect(vector2 topLeft, vector2 bottomRight, int texture);
    // Window-space (pixels, y up) corners of a logical rectangle under the
    // current matrices and viewport; false when the transform rotates or
    // is projective, so the rectangle is no longer an axis-aligned box.
    bool windowBox(vector2 topLeft, vector2 bottomRight, float box[4]) const;
    // True when an untextured rectangle with the current state would set
    // every pixel of the drawable to the current colour exactly; it is
    // then cleared to that colour instead, which gives the same pixels at a
    // fraction of the cost on a software rasteriser.
    bool clearsInstead(vector2 topLeft, vector2 bottomRight);
    // A texture drawn at its own size on whole pixels samples every texel
    // at its centre, where linear and nearest filtering give the same
    // value; nearest is chosen there (it is much cheaper on a software
    // rasteriser). Elsewhere a linear texture is filtered linearly, and so
    // is a nearest one while the picture is scaled, so that no scaled
    // picture shows stairs; at the picture's own size a nearest texture
    // stays nearest wherever it is drawn.
    void matchFilterToPlacement(int texture, vector2 topLeft, vector2 bottomRight);
    // True when blending the bound picture (no alpha channel) with the
    // current state would give exactly its own colours: an opaque colour and
    // factors that keep the source and drop the frame. Drawing it unblended
    // then gives the same pixels without reading the frame.
    bool blendKeepsOnlyTheSource(int texture) const;

    // The caller's batch has a real primitive (begin with a known one); the
    // GL's own glBegin is primitiveOpen, which only executed commands move.
    bool batchPrimitive = false;
    // True while an executed Begin opened a real glBegin, so an End never
    // issues a glEnd the GL would reject.
    bool primitiveOpen = false;
    std::vector<uint32_t> textureNames; // parallel to textureInfos; 0 = deleted
    // Parallel to textureInfos: the filter asked for (FilterNearest or
    // FilterLinear follow the placement; any other is left as made), and
    // whether the GL samples it nearest now.
    std::vector<int> textureFilters;
    std::vector<bool> textureNearestNow;
    // Parallel to textureInfos: bumped whenever a texture's pixels change.
    std::vector<uint32_t> textureGenerations;
    std::vector<uint32_t> fontListBases; // first of 256 lists, by font index

    bool partial = false;
    // The bars are to be cleared at the next beginFrame.
    bool barsPending = true;
    bool recording = false;
    bool previousValid = false;
    bool batchAtStart = false;
    FrameRecording frames[2];
    int current = 0;
};

} // namespace keltraWorks
