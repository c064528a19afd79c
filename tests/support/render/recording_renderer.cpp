#include "tests/support/render/recording_renderer.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace keltraWorks {

namespace {

float flag(bool b) {
    return b ? 1.0f : 0.0f;
}

} // namespace

std::string RecordedCall::toString() const {
    std::ostringstream out;
    out << op << "(";
    for (size_t i = 0; i < args.size(); ++i) {
        out << (i ? ", " : "") << args[i];
    }
    if (!text.empty()) {
        out << (args.empty() ? "" : ", ") << '"' << text << '"';
    }
    out << ") -> " << result << " [texture " << texture << ", colour " << color.x << ' ' << color.y
        << ' ' << color.z << ' ' << color.w << ", blend " << blend << ' ' << blendSource << ' '
        << blendDestination << ", depth " << depth << "]";
    return out.str();
}

std::ostream& operator<<(std::ostream& out, const RecordedCall& call) {
    return out << call.toString();
}

void PrintTo(const RecordedCall& call, std::ostream* out) {
    *out << call.toString();
}

RecordingRenderer::RecordingRenderer(int32_t pixelWidth, int32_t pixelHeight, float logicalWidth,
                                     float logicalHeight)
    : Renderer(pixelWidth, pixelHeight) {
    setLogicalSize(logicalWidth, logicalHeight);
    log.clear(); // construction is not the test's business
}

std::vector<RecordedCall> RecordingRenderer::callsNamed(const std::string& op) const {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : log) {
        if (call.op == op) {
            found.push_back(call);
        }
    }
    return found;
}

size_t RecordingRenderer::count(const std::string& op) const {
    size_t n = 0;
    for (const RecordedCall& call : log) {
        n += call.op == op ? 1 : 0;
    }
    return n;
}

const RecordedCall* RecordingRenderer::last(const std::string& op) const {
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
        if (it->op == op) {
            return &*it;
        }
    }
    return nullptr;
}

std::vector<std::string> RecordingRenderer::opNames() const {
    std::vector<std::string> names;
    names.reserve(log.size());
    for (const RecordedCall& call : log) {
        names.push_back(call.op);
    }
    return names;
}

bool RecordingRenderer::isDeleted(int texture) const {
    return texture > 0 && texture <= static_cast<int>(deleted.size()) &&
           deleted[size_t(texture - 1)];
}

void RecordingRenderer::setPictureSize(const std::string& path, int width, int height,
                                       int bitsPerPixel) {
    pictureSizes[path] = PictureSize{width, height, bitsPerPixel};
}

int RecordingRenderer::addTexture(int width, int height, int bitsPerPixel) {
    ImageInfo record(width, height, bitsPerPixel);
    if (record.invalid) {
        return 0;
    }
    record.width = roundUpToPowerOfTwo(width);
    record.height = roundUpToPowerOfTwo(height);
    return addTextureRecord(record);
}

int RecordingRenderer::addTextureRecord(ImageInfo record) {
    textureInfos.push_back(record);
    deleted.push_back(false);
    return textureCount();
}

RecordedCall& RecordingRenderer::record(const std::string& op, std::vector<float> args,
                                        const std::string& text) {
    RecordedCall call;
    call.op = op;
    call.args = std::move(args);
    call.text = text;
    static_cast<RecordedState&>(call) = state;
    call.depth = stateDepth();
    call.inBatch = inBatch;
    log.push_back(std::move(call));
    return log.back();
}

// Post-multiplies like the GL: the new transform applies first.
void RecordingRenderer::multiply(const Transform2D& m) {
    const Transform2D& t = state.transform;
    Transform2D r;
    r.a = t.a * m.a + t.c * m.b;
    r.b = t.b * m.a + t.d * m.b;
    r.c = t.a * m.c + t.c * m.d;
    r.d = t.b * m.c + t.d * m.d;
    r.tx = t.a * m.tx + t.c * m.ty + t.tx;
    r.ty = t.b * m.tx + t.d * m.ty + t.ty;
    state.transform = r;
}

bool RecordingRenderer::pictureFor(const std::string& path, Image* out) {
    auto stub = pictureSizes.find(path);
    if (stub != pictureSizes.end()) {
        Image sized(stub->second.width, stub->second.height, stub->second.bitsPerPixel, true);
        if (sized.invalid) {
            return false;
        }
        *out = std::move(sized);
        return true;
    }
    return loadPicture(path, out);
}

void RecordingRenderer::setProjection(float w, float h) {
    record("setProjection", {w, h});
}

void RecordingRenderer::setPolygonMode(int mode) {
    record("setPolygonMode", {float(mode)});
    if (mode >= PolygonFill && mode <= PolygonPoint) {
        state.polygonMode = mode;
    }
}

void RecordingRenderer::clear(vector4 colour) {
    record("clear", {colour.x, colour.y, colour.z, colour.w});
}

void RecordingRenderer::loadIdentity() {
    record("loadIdentity");
    state.transform = Transform2D();
}

void RecordingRenderer::translate(float x, float y) {
    record("translate", {x, y});
    multiply(Transform2D{1, 0, 0, 1, x, y});
}

void RecordingRenderer::scale(float x, float y) {
    record("scale", {x, y});
    multiply(Transform2D{x, 0, 0, y, 0, 0});
}

void RecordingRenderer::rotate(float degrees) {
    record("rotate", {degrees});
    const double radians = double(degrees) * 3.14159265358979323846 / 180.0;
    const float cosine = float(std::cos(radians));
    const float sine = float(std::sin(radians));
    multiply(Transform2D{cosine, sine, -sine, cosine, 0, 0});
}

bool RecordingRenderer::begin(int primitive) {
    RecordedCall& call = record("begin", {float(primitive)});
    if (inBatch) {
        return false;
    }
    inBatch = true;
    call.result = 1;
    return true;
}

bool RecordingRenderer::end() {
    RecordedCall& call = record("end");
    if (!inBatch) {
        return false;
    }
    inBatch = false;
    call.result = 1;
    return true;
}

void RecordingRenderer::vertex(float x, float y) {
    record("vertex", {x, y});
}

void RecordingRenderer::texCoord(float s, float t) {
    record("texCoord", {s, t});
}

void RecordingRenderer::drawTriangle(vector2 a, vector2 b, vector2 c) {
    record("drawTriangle", {a.x, a.y, b.x, b.y, c.x, c.y});
}

void RecordingRenderer::drawQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent) {
    record("drawQuad", {a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y, extent.x, extent.y});
}

void RecordingRenderer::drawRect(vector2 topLeft, vector2 bottomRight, int texture) {
    record("drawRect", {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, float(texture)});
}

void RecordingRenderer::drawRect(vector2 topLeft, vector2 bottomRight, vector2 extent) {
    record("drawRect", {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, extent.x, extent.y});
}

void RecordingRenderer::setColor(float r, float g, float b, float a) {
    record("setColor", {r, g, b, a});
    state.color = vector4(r, g, b, a);
}

void RecordingRenderer::setBlend(int source, int destination) {
    record("setBlend", {float(source), float(destination)});
    state.blend = true;
    state.blendSource = source;
    state.blendDestination = destination;
}

void RecordingRenderer::disableBlend() {
    record("disableBlend");
    state.blend = false;
}

void RecordingRenderer::drawImage(int image) {
    record("drawImage", {float(image)});
}

void RecordingRenderer::bindTexture(int texture) {
    record("bindTexture", {float(texture)});
    if (texture == 0 || isDeleted(texture)) {
        state.texture = 0;
    } else if (texture > 0 && texture <= textureCount()) {
        state.texture = texture;
    }
}

void RecordingRenderer::setPointSize(float size) {
    record("setPointSize", {size});
}

void RecordingRenderer::setLineWidth(float width) {
    record("setLineWidth", {width});
    state.lineWidth = width;
}

void RecordingRenderer::drawText(int font, float x, float y, std::string text) {
    record("drawText", {float(font), x, y}, text);
}

void RecordingRenderer::pushState() {
    record("pushState");
    saved.push_back(state);
}

void RecordingRenderer::popState() {
    record("popState");
    if (!saved.empty()) {
        state = saved.back();
        saved.pop_back();
    }
}

vector2 RecordingRenderer::unproject(int x, int y) {
    RecordedCall& call = record("unproject", {float(x), float(y)});
    const vector2 scene = windowToLogical(x, y);
    const Transform2D& t = state.transform;
    const float det = t.a * t.d - t.b * t.c;
    vector2 result = scene;
    if (det != 0.0f) {
        const float px = scene.x - t.tx;
        const float py = scene.y - t.ty;
        result = vector2((t.d * px - t.c * py) / det, (-t.b * px + t.a * py) / det);
    }
    call.args.push_back(result.x);
    call.args.push_back(result.y);
    return result;
}

void RecordingRenderer::project(vector2 point, int* x, int* y) {
    record("project", {point.x, point.y});
    logicalToWindow(state.transform.map(point), x, y);
}

int RecordingRenderer::loadTexture(const std::string& path, int filter, bool whiteIsTransparent) {
    const size_t at = log.size();
    record("loadTexture", {float(filter), flag(whiteIsTransparent)}, path);
    Image picture(true);
    if (!pictureFor(path, &picture)) {
        return 0;
    }
    int depth = picture.bitsPerPixel;
    if (whiteIsTransparent && (depth == 24 || depth == 32)) {
        depth = 32;
    }
    const int index = addTexture(picture.width, picture.height, depth);
    log[at].result = float(index);
    return index;
}

int RecordingRenderer::createTexture(int width, int height, int bitsPerPixel, int filter) {
    const size_t at = log.size();
    record("createTexture", {float(width), float(height), float(bitsPerPixel), float(filter)});
    const bool drawable = bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32;
    const int index = drawable ? addTexture(width, height, bitsPerPixel) : 0;
    log[at].result = float(index);
    return index;
}

bool RecordingRenderer::updateTexture(int texture, const uint8_t* pixels) {
    RecordedCall& call = record("updateTexture", {float(texture)});
    const bool ok = getTextureInfo(texture) != nullptr && !isDeleted(texture) && pixels != nullptr;
    call.result = flag(ok);
    return ok;
}

bool RecordingRenderer::deleteTexture(int texture) {
    RecordedCall& call = record("deleteTexture", {float(texture)});
    if (getTextureInfo(texture) == nullptr || isDeleted(texture)) {
        return false;
    }
    deleted[size_t(texture - 1)] = true;
    if (state.texture == texture) {
        state.texture = 0;
    }
    call.result = 1;
    return true;
}

int RecordingRenderer::loadImage(const std::string& path) {
    const size_t at = log.size();
    record("loadImage", {}, path);
    Image picture(true);
    if (!pictureFor(path, &picture) || !picture.flipVertical()) {
        return 0;
    }
    images.push_back(std::move(picture));
    log[at].result = float(imageCount());
    return imageCount();
}

int RecordingRenderer::createFont(const std::string& faceName, int height, bool bold, bool italic,
                                  bool underline) {
    const int index = fontCount();
    RecordedCall& call =
        record("createFont", {float(height), flag(bold), flag(italic), flag(underline)}, faceName);
    call.result = float(index);
    FontInfo info(faceName, std::abs(height), bold, italic, underline);
    const int32_t size = std::abs(height);
    info.ascent = size - size / 5;
    info.descent = size / 5;
    info.lineHeight = size;
    info.averageWidth = info.maxWidth = size / 2;
    info.charWidths.fill(size / 2);
    fontInfos.push_back(info);
    return index;
}

bool RecordingRenderer::isAvailable() {
    record("isAvailable").result = flag(availableFlag);
    return availableFlag;
}

} // namespace keltraWorks
