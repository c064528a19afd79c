// One frame's drawing calls, kept so that the frame can be drawn again
// clipped to the part of the window that differs from the frame before.
//
// The renderer records a frame's calls here instead of issuing them, works
// out which pixels can differ from the previous recording, and then replays
// every call with the drawing clipped to that box. A pixel outside the box is
// left as the previous frame drew it, which is exact: every drawing that
// covers it (its geometry, the colour, blending, texture and texture content,
// modes and matrices in force) is the same as before, in the same order.
//
// Units: the calls' own logical units; boxes are window pixels with y up
// (the GL's window coordinates), x0/y0 inclusive, x1/y1 exclusive.
// No GL here. Single-threaded: the renderer's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace keltraWorks {

class FrameRecording {
  public:
    enum class Op : uint8_t {
        PolygonMode,
        Clear,
        LoadIdentity,
        Translate,
        Scale,
        Rotate,
        Begin,
        End,
        Vertex,
        TexCoord,
        Triangle,
        Quad,
        RectTexture,
        Color,
        Blend,
        NoBlend,
        Image,
        BindTexture,
        PointSize,
        LineWidth,
        Text,
        PushState,
        PopState,
    };

    // i[0]: an int argument (mode, primitive, texture, image, font, blend
    // source); i[1]: a second one (blend destination, text index).
    // f: float arguments in call order.
    struct Command {
        Op op = Op::LoadIdentity;
        int32_t i[2] = {0, 0};
        float f[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    };

    struct Box {
        int x0 = 0;
        int y0 = 0;
        int x1 = 0;
        int y1 = 0;
        bool empty() const { return x1 <= x0 || y1 <= y0; }
    };

    // How logical units reach window pixels: the projection the renderer set
    // (x right, y down from the top of `area`, in a drawable of width x
    // height pixels). `area` is the box the logical area fills; drawings
    // reach no pixel outside it. Empty (the default), it is the whole
    // drawable. Line widths and point sizes are multiplied by lineScale.
    struct View {
        float pixelsPerUnitX = 1.0f;
        float pixelsPerUnitY = 1.0f;
        int width = 0;
        int height = 0;
        Box area;
        float lineScale = 1.0f;
        // `area`, or the whole drawable when it is empty.
        Box picture() const;
    };

    // The drawing state the GL holds when a frame starts.
    struct State {
        float matrix[6] = {1, 0, 0,
                           1, 0, 0}; // modelview: x' = m0 x + m2 y + m4, y' = m1 x + m3 y + m5
        float color[4] = {1, 1, 1, 1};
        float texCoord[2] = {0, 0};
        bool blend = false;
        int32_t blendSource = 0; // GL factors
        int32_t blendDestination = 0;
        int32_t texture = 0; // the renderer's texture index, 0 for none
        int32_t polygonMode = 0;
        float lineWidth = 1.0f;
        float pointSize = 1.0f;
    };

    // Empties the recording; the frame starts from `initial`.
    void reset(const State& initial);
    void add(const Command& command) { list.push_back(command); }
    void addText(int font, float x, float y, const std::string& text);
    const std::vector<Command>& commands() const { return list; }
    const State& startState() const { return start; }
    const std::string& text(int index) const { return texts[static_cast<size_t>(index)]; }

    // Ends the recording: works out what each drawing in it depends on and
    // which pixels it can touch. `generation` gives a texture's content
    // version now, so a picture whose pixels are replaced later counts as a
    // change of the drawings that used it.
    void finish(const View& view, const std::function<uint32_t(int)>& generation);

    // The box of window pixels that may differ between the finished
    // recording `before` and this finished one: the view's whole picture
    // when the two hold a different number of drawings or were seen through
    // different views, empty when nothing differs.
    Box damageSince(const FrameRecording& before) const;

  private:
    struct Drawing {
        uint64_t key = 0; // everything that decides the drawing's pixels
        Box box;          // every pixel it can touch
    };

    State start;
    View seenThrough;
    std::vector<Command> list;
    std::vector<std::string> texts;
    std::vector<Drawing> drawings;
};

} // namespace keltraWorks
