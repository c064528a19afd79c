#include "engine/render/frame_recording.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace keltraWorks {

namespace {

// The renderer's primitive numbers: points, lines, triangles, quads.
constexpr int PrimitivePoints = 0;
constexpr int PrimitiveLines = 1;
constexpr int PrimitiveCount = 4;
// Polygon modes: fill, line, point.
constexpr int ModeLine = 1;
constexpr int ModePoint = 2;

constexpr float Pi = 3.14159265358979323846f;

// FNV-1a over the bytes of everything a drawing depends on.
class KeyHash {
  public:
    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            value = (value ^ p[i]) * 1099511628211ull;
        }
    }
    void number(int32_t v) { bytes(&v, sizeof v); }
    void number(uint32_t v) { bytes(&v, sizeof v); }
    void number(float v) { bytes(&v, sizeof v); }
    uint64_t value = 14695981039346656037ull;
};

// Window pixels (y up) reached by a drawing, grown as its points arrive.
class Extent {
  public:
    void add(float x, float y) {
        if (!any) {
            minX = maxX = x;
            minY = maxY = y;
        }
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        any = true;
    }
    // Whole pixels, widened by `margin` for line and point widths and the
    // rasteriser's rounding; a drawing with no point or a non-finite one
    // counts as the view's whole picture.
    FrameRecording::Box box(float margin, const FrameRecording::View& view) const {
        const FrameRecording::Box area = view.picture();
        const float limit = 1.0e6f;
        if (!any || !std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) ||
            !std::isfinite(maxY) || std::fabs(minX) > limit || std::fabs(maxX) > limit ||
            std::fabs(minY) > limit || std::fabs(maxY) > limit) {
            return area;
        }
        FrameRecording::Box out;
        out.x0 = std::max(area.x0, static_cast<int>(std::floor(minX - margin)));
        out.y0 = std::max(area.y0, static_cast<int>(std::floor(minY - margin)));
        out.x1 = std::min(area.x1, static_cast<int>(std::ceil(maxX + margin)));
        out.y1 = std::min(area.y1, static_cast<int>(std::ceil(maxY + margin)));
        return out;
    }

  private:
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool any = false;
};

FrameRecording::Box unite(const FrameRecording::Box& a, const FrameRecording::Box& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    FrameRecording::Box out;
    out.x0 = std::min(a.x0, b.x0);
    out.y0 = std::min(a.y0, b.y0);
    out.x1 = std::max(a.x1, b.x1);
    out.y1 = std::max(a.y1, b.y1);
    return out;
}

// Post-multiplies the modelview as glTranslate, glScale and glRotate do.
void multiply(float* m, float a, float b, float c, float d, float e, float f) {
    const float r0 = m[0] * a + m[2] * b;
    const float r1 = m[1] * a + m[3] * b;
    const float r2 = m[0] * c + m[2] * d;
    const float r3 = m[1] * c + m[3] * d;
    const float r4 = m[0] * e + m[2] * f + m[4];
    const float r5 = m[1] * e + m[3] * f + m[5];
    m[0] = r0;
    m[1] = r1;
    m[2] = r2;
    m[3] = r3;
    m[4] = r4;
    m[5] = r5;
}

} // namespace

FrameRecording::Box FrameRecording::View::picture() const {
    if (!area.empty()) {
        return area;
    }
    Box whole;
    whole.x1 = width;
    whole.y1 = height;
    return whole;
}

void FrameRecording::reset(const State& initial) {
    start = initial;
    list.clear();
    texts.clear();
    drawings.clear();
}

void FrameRecording::addText(int font, float x, float y, const std::string& text) {
    Command command;
    command.op = Op::Text;
    command.i[0] = font;
    command.i[1] = static_cast<int32_t>(texts.size());
    command.f[0] = x;
    command.f[1] = y;
    texts.push_back(text);
    list.push_back(command);
}

void FrameRecording::finish(const View& view, const std::function<uint32_t(int)>& generation) {
    seenThrough = view;
    drawings.clear();
    State state = start;
    std::vector<State> saved;

    const Box area = view.picture();
    const auto toWindow = [&](float x, float y, Extent& extent) {
        const float* m = state.matrix;
        const float ex = m[0] * x + m[2] * y + m[4];
        const float ey = m[1] * x + m[3] * y + m[5];
        extent.add(static_cast<float>(area.x0) + ex * view.pixelsPerUnitX,
                   static_cast<float>(area.y1) - ey * view.pixelsPerUnitY);
    };
    // Everything in the state that decides how a drawing looks.
    const auto stateKey = [&](KeyHash& key) {
        key.bytes(state.matrix, sizeof state.matrix);
        key.bytes(state.color, sizeof state.color);
        key.bytes(state.texCoord, sizeof state.texCoord);
        key.number(static_cast<int32_t>(state.blend));
        key.number(state.blendSource);
        key.number(state.blendDestination);
        key.number(state.texture);
        key.number(state.texture > 0 ? generation(state.texture) : 0u);
        key.number(state.polygonMode);
        key.number(state.lineWidth);
        key.number(state.pointSize);
    };
    // Half a line or point, in window pixels, and two for the rasteriser.
    const auto widthMargin = [&](float width) {
        return std::ceil(width * view.lineScale * 0.5f) + 2.0f;
    };
    const auto polygonMargin = [&]() {
        if (state.polygonMode == ModeLine) {
            return widthMargin(state.lineWidth);
        }
        if (state.polygonMode == ModePoint) {
            return widthMargin(state.pointSize);
        }
        return 2.0f;
    };
    const auto wholeWindow = [&](KeyHash& key) {
        Drawing drawing;
        drawing.key = key.value;
        drawing.box = area;
        drawings.push_back(drawing);
    };

    bool batch = false;         // a begin() is open
    bool primitiveOpen = false; // ... with a real primitive behind it
    KeyHash batchKey;
    Extent batchExtent;
    float batchMargin = 0.0f;

    for (const Command& c : list) {
        if (primitiveOpen) {
            // Between glBegin and glEnd the GL takes only vertices, texture
            // coordinates and colours; every other call is refused.
            switch (c.op) {
            case Op::Vertex:
                batchKey.bytes(c.f, 2 * sizeof(float));
                batchKey.bytes(state.texCoord, sizeof state.texCoord);
                batchKey.bytes(state.color, sizeof state.color);
                toWindow(c.f[0], c.f[1], batchExtent);
                break;
            case Op::TexCoord:
                state.texCoord[0] = c.f[0];
                state.texCoord[1] = c.f[1];
                break;
            case Op::Color:
                std::memcpy(state.color, c.f, sizeof state.color);
                break;
            case Op::End: {
                Drawing drawing;
                drawing.key = batchKey.value;
                drawing.box = batchExtent.box(batchMargin, view);
                drawings.push_back(drawing);
                batch = false;
                primitiveOpen = false;
                break;
            }
            default:
                break;
            }
            continue;
        }
        switch (c.op) {
        case Op::PolygonMode:
            state.polygonMode = c.i[0];
            break;
        case Op::Clear: {
            KeyHash key;
            key.number(static_cast<int32_t>(c.op));
            key.bytes(c.f, 4 * sizeof(float));
            wholeWindow(key);
            break;
        }
        case Op::LoadIdentity: {
            const State identity;
            std::copy(std::begin(identity.matrix), std::end(identity.matrix), state.matrix);
            break;
        }
        case Op::Translate:
            multiply(state.matrix, 1, 0, 0, 1, c.f[0], c.f[1]);
            break;
        case Op::Scale:
            multiply(state.matrix, c.f[0], 0, 0, c.f[1], 0, 0);
            break;
        case Op::Rotate: {
            const float r = c.f[0] * Pi / 180.0f;
            const float cs = std::cos(r);
            const float sn = std::sin(r);
            multiply(state.matrix, cs, sn, -sn, cs, 0, 0);
            break;
        }
        case Op::Begin:
            if (batch) {
                break; // refused: batches do not nest
            }
            batch = true;
            if (c.i[0] >= 0 && c.i[0] < PrimitiveCount) {
                primitiveOpen = true;
                batchKey = KeyHash();
                batchKey.number(static_cast<int32_t>(c.op));
                batchKey.number(c.i[0]);
                stateKey(batchKey);
                batchExtent = Extent();
                if (c.i[0] == PrimitiveLines) {
                    batchMargin = widthMargin(state.lineWidth);
                } else if (c.i[0] == PrimitivePoints) {
                    batchMargin = widthMargin(state.pointSize);
                } else {
                    batchMargin = polygonMargin();
                }
            }
            break;
        case Op::End:
            batch = false;
            break;
        case Op::Vertex:
            break; // outside glBegin the GL ignores it
        case Op::TexCoord:
            state.texCoord[0] = c.f[0];
            state.texCoord[1] = c.f[1];
            break;
        case Op::Triangle:
        case Op::Quad:
        case Op::RectTexture: {
            if (batch) {
                break; // shapes are refused inside a batch
            }
            KeyHash key;
            key.number(static_cast<int32_t>(c.op));
            key.number(c.i[0]);
            key.number(c.i[0] > 0 ? generation(c.i[0]) : 0u);
            key.bytes(c.f, sizeof c.f);
            stateKey(key);
            Extent extent;
            if (c.op == Op::Triangle) {
                for (int k = 0; k < 3; ++k) {
                    toWindow(c.f[2 * k], c.f[2 * k + 1], extent);
                }
            } else if (c.op == Op::Quad) {
                for (int k = 0; k < 4; ++k) {
                    toWindow(c.f[2 * k], c.f[2 * k + 1], extent);
                }
            } else {
                toWindow(c.f[0], c.f[1], extent);
                toWindow(c.f[2], c.f[1], extent);
                toWindow(c.f[2], c.f[3], extent);
                toWindow(c.f[0], c.f[3], extent);
            }
            Drawing drawing;
            drawing.key = key.value;
            drawing.box = extent.box(polygonMargin(), view);
            drawings.push_back(drawing);
            // Each shape leaves the texture coordinate at (0, 0).
            state.texCoord[0] = 0.0f;
            state.texCoord[1] = 0.0f;
            break;
        }
        case Op::Color:
            std::memcpy(state.color, c.f, sizeof state.color);
            break;
        case Op::Blend:
            state.blend = true;
            state.blendSource = c.i[0];
            state.blendDestination = c.i[1];
            break;
        case Op::NoBlend:
            state.blend = false;
            break;
        case Op::Image:
        case Op::Text: {
            // Raster drawings: taken as covering the whole window.
            KeyHash key;
            key.number(static_cast<int32_t>(c.op));
            key.number(c.i[0]);
            key.bytes(c.f, 2 * sizeof(float));
            if (c.op == Op::Text) {
                const std::string& s = text(c.i[1]);
                key.bytes(s.data(), s.size());
            }
            stateKey(key);
            wholeWindow(key);
            break;
        }
        case Op::BindTexture:
            state.texture = c.i[0];
            break;
        case Op::PointSize:
            state.pointSize = c.f[0];
            break;
        case Op::LineWidth:
            state.lineWidth = c.f[0];
            break;
        case Op::PushState:
            saved.push_back(state);
            break;
        case Op::PopState:
            if (!saved.empty()) {
                state = saved.back();
                saved.pop_back();
            }
            break;
        }
    }
    if (primitiveOpen) {
        // A batch still open at the end draws when it is closed next frame;
        // count it as touching the whole window.
        wholeWindow(batchKey);
    }
}

FrameRecording::Box FrameRecording::damageSince(const FrameRecording& before) const {
    const View& a = before.seenThrough;
    const View& b = seenThrough;
    const Box areaA = a.picture();
    const Box areaB = b.picture();
    if (before.drawings.size() != drawings.size() || a.width != b.width || a.height != b.height ||
        a.pixelsPerUnitX != b.pixelsPerUnitX || a.pixelsPerUnitY != b.pixelsPerUnitY ||
        a.lineScale != b.lineScale || areaA.x0 != areaB.x0 || areaA.y0 != areaB.y0 ||
        areaA.x1 != areaB.x1 || areaA.y1 != areaB.y1) {
        return areaB;
    }
    Box damage;
    for (size_t i = 0; i < drawings.size(); ++i) {
        if (drawings[i].key != before.drawings[i].key ||
            drawings[i].box.x0 != before.drawings[i].box.x0 ||
            drawings[i].box.y0 != before.drawings[i].box.y0 ||
            drawings[i].box.x1 != before.drawings[i].box.x1 ||
            drawings[i].box.y1 != before.drawings[i].box.y1) {
            damage = unite(damage, unite(drawings[i].box, before.drawings[i].box));
        }
    }
    return damage;
}

} // namespace keltraWorks
