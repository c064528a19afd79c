// RenderGL: context state, matrices and drawing. Every drawing call builds
// one command and hands it to submit; execute issues it to the GL.
#include "engine/render/render_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <iterator>

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

bool knownPrimitive(int primitive) {
    return primitive >= PrimitivePoints && primitive <= PrimitiveQuads;
}

// The matrices and the viewport that gluProject and gluUnProject map through,
// as the GL holds them now.
struct Mapping {
    Mapping() {
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
    }
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
};

// Window coordinates are truncated toward zero, except that a value within
// rounding noise of a whole pixel counts as that pixel: 575.99999 from the
// matrix arithmetic means 576.
int truncatePixel(double v) {
    const double whole = std::round(v);
    return std::fabs(v - whole) < 1e-3 ? static_cast<int>(whole) : static_cast<int>(v);
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

bool RenderGL::isAvailable() {
    return true;
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
    barsPending = true;
    glViewport(picture.x0, picture.y0, picture.x1 - picture.x0, picture.y1 - picture.y0);
    scissorToPicture();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, w, h, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void RenderGL::submit(Op op, std::initializer_list<int> ints, std::initializer_list<float> floats,
                      const std::string* text) {
    Command command;
    command.op = op;
    std::copy_n(ints.begin(), std::min(ints.size(), std::size(command.i)), command.i);
    std::copy_n(floats.begin(), std::min(floats.size(), std::size(command.f)), command.f);
    if (!recording) {
        execute(command, text);
    } else if (op == Op::Text) {
        frames[current].addText(command.i[0], command.f[0], command.f[1], *text);
    } else {
        frames[current].add(command);
    }
}

// Checks that depend on the caller's view of the state (the open batch, the
// known indices) are made before a command is submitted, so that a recorded
// command always executes as it would have at once.
void RenderGL::setPolygonMode(int mode) {
    if (mode >= PolygonFill && mode <= PolygonPoint) {
        submit(Op::PolygonMode, {mode});
    }
}

void RenderGL::clear(vector4 colour) {
    submit(Op::Clear, {}, {colour.x, colour.y, colour.z, colour.w});
}

void RenderGL::loadIdentity() {
    submit(Op::LoadIdentity);
}

void RenderGL::translate(float x, float y) {
    submit(Op::Translate, {}, {x, y});
}

void RenderGL::scale(float x, float y) {
    submit(Op::Scale, {}, {x, y});
}

void RenderGL::rotate(float degrees) {
    submit(Op::Rotate, {}, {degrees});
}

// An unknown primitive still opens a batch, but with nothing to draw.
bool RenderGL::begin(int primitive) {
    if (inBatch) {
        return false;
    }
    submit(Op::Begin, {primitive});
    batchPrimitive = knownPrimitive(primitive);
    inBatch = true;
    return true;
}

bool RenderGL::end() {
    if (!inBatch) {
        return false;
    }
    submit(Op::End);
    batchPrimitive = false;
    inBatch = false;
    return true;
}

void RenderGL::vertex(float x, float y) {
    submit(Op::Vertex, {}, {x, y});
}

void RenderGL::texCoord(float s, float t) {
    submit(Op::TexCoord, {}, {s, t});
}

void RenderGL::drawTriangle(vector2 a, vector2 b, vector2 c) {
    if (!inBatch) {
        submit(Op::Triangle, {}, {a.x, a.y, b.x, b.y, c.x, c.y});
    }
}

void RenderGL::drawQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent) {
    if (!inBatch) {
        submit(Op::Quad, {}, {a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y, extent.x, extent.y});
    }
}

void RenderGL::drawRect(vector2 topLeft, vector2 bottomRight, int texture) {
    if (!inBatch) {
        submit(Op::RectTexture, {texture}, {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
    }
}

void RenderGL::drawRect(vector2 topLeft, vector2 bottomRight, vector2 extent) {
    drawQuad(topLeft, vector2(bottomRight.x, topLeft.y), bottomRight,
             vector2(topLeft.x, bottomRight.y), extent);
}

void RenderGL::setColor(float r, float g, float b, float a) {
    submit(Op::Color, {}, {r, g, b, a});
}

// Recorded as GL factors, which execute passes on unchanged.
void RenderGL::setBlend(int source, int destination) {
    submit(Op::Blend,
           {static_cast<int>(blendFactor(source)), static_cast<int>(blendFactor(destination))});
}

void RenderGL::disableBlend() {
    submit(Op::NoBlend);
}

void RenderGL::drawImage(int image) {
    submit(Op::Image, {image});
}

void RenderGL::bindTexture(int texture) {
    if (texture >= 0 && texture <= textureCount()) {
        submit(Op::BindTexture, {texture});
    }
}

void RenderGL::setPointSize(float size) {
    submit(Op::PointSize, {}, {size});
}

void RenderGL::setLineWidth(float width) {
    submit(Op::LineWidth, {}, {width});
}

void RenderGL::drawText(int font, float x, float y, std::string text) {
    if (!text.empty() && font >= 0 && font < fontCount()) {
        submit(Op::Text, {font}, {x, y}, &text);
    }
}

void RenderGL::pushState() {
    submit(Op::PushState);
}

void RenderGL::popState() {
    submit(Op::PopState);
}

void RenderGL::execute(const Command& command, const std::string* text) {
    const int32_t* i = command.i;
    const float* f = command.f;
    switch (command.op) {
    case Op::PolygonMode: {
        static const GLenum modes[3] = {GL_FILL, GL_LINE, GL_POINT};
        glPolygonMode(GL_FRONT_AND_BACK, modes[i[0]]);
        break;
    }
    case Op::Clear:
        glClearColor(f[0], f[1], f[2], f[3]);
        glClear(GL_COLOR_BUFFER_BIT);
        break;
    case Op::LoadIdentity:
        glLoadIdentity();
        break;
    case Op::Translate:
        glTranslatef(f[0], f[1], 0.0f);
        break;
    case Op::Scale:
        // The z factor is 0 on purpose: the scene is flat and callers expect it.
        glScalef(f[0], f[1], 0.0f);
        break;
    case Op::Rotate:
        glRotatef(f[0], 0.0f, 0.0f, 1.0f);
        break;
    case Op::Begin:
        if (knownPrimitive(i[0])) {
            static const GLenum primitives[4] = {GL_POINTS, GL_LINES, GL_TRIANGLES, GL_QUADS};
            glBegin(primitives[i[0]]);
            primitiveOpen = true;
        }
        break;
    case Op::End:
        if (primitiveOpen) {
            glEnd();
            primitiveOpen = false;
        }
        break;
    case Op::Vertex:
        glVertex2f(f[0], f[1]);
        break;
    case Op::TexCoord:
        glTexCoord2f(f[0], f[1]);
        break;
    case Op::Triangle:
        // As in issueQuad, each vertex comes before the texture coordinate
        // that follows it and the call ends on (0, 0).
        glBegin(GL_TRIANGLES);
        glVertex2f(f[0], f[1]);
        glTexCoord2f(0.5f, 1.0f);
        glVertex2f(f[2], f[3]);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(f[4], f[5]);
        glTexCoord2f(0.0f, 0.0f);
        glEnd();
        break;
    case Op::Quad:
        issueQuad(vector2(f[0], f[1]), vector2(f[2], f[3]), vector2(f[4], f[5]),
                  vector2(f[6], f[7]), vector2(f[8], f[9]));
        break;
    case Op::RectTexture:
        issueTexturedRect(vector2(f[0], f[1]), vector2(f[2], f[3]), i[0]);
        break;
    case Op::Color:
        glColor4f(f[0], f[1], f[2], f[3]);
        break;
    case Op::Blend:
        glEnable(GL_BLEND);
        glBlendFunc(static_cast<GLenum>(i[0]), static_cast<GLenum>(i[1]));
        break;
    case Op::NoBlend:
        glDisable(GL_BLEND);
        break;
    case Op::Image:
        issueImage(i[0]);
        break;
    case Op::BindTexture:
        glBindTexture(GL_TEXTURE_2D, textureName(i[0]));
        break;
    // Widths are the picture's pixels: they grow with it.
    case Op::PointSize:
        glPointSize(f[0] * pictureScaleX());
        break;
    case Op::LineWidth:
        glLineWidth(f[0] * pictureScaleX());
        break;
    case Op::Text:
        issueText(i[0], f[0], f[1], *text);
        break;
    case Op::PushState:
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        break;
    case Op::PopState:
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopAttrib();
        break;
    }
}

// Each vertex is issued before the texture coordinate that follows it, and
// the call ends on (0, 0): the first vertex then picks up (0, 0) left by the
// previous call. Intended; drawRect relies on it to map the top-left corner
// to (0, 0).
void RenderGL::issueQuad(vector2 a, vector2 b, vector2 c, vector2 d, vector2 extent) {
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

void RenderGL::issueRect(vector2 topLeft, vector2 bottomRight, vector2 extent) {
    issueQuad(topLeft, vector2(bottomRight.x, topLeft.y), bottomRight,
              vector2(topLeft.x, bottomRight.y), extent);
}

// Window pixels arrive with y from the top; the GL counts from the bottom, so
// y is flipped in window space before unprojecting. (Flipping the result in
// logical space instead would only be right for an identity modelview.)
vector2 RenderGL::unproject(int x, int y) {
    const Mapping m;
    GLdouble objX = 0;
    GLdouble objY = 0;
    GLdouble objZ = 0;
    if (gluUnProject(x, GLdouble(pixelHeight) - y, 0.0, m.model, m.projection, m.viewport, &objX,
                     &objY, &objZ) != GL_TRUE) {
        // A singular matrix (say after scale(0, 0)): the plain mapping of an
        // untransformed scene instead of undefined output.
        return windowToLogical(x, y);
    }
    return vector2(static_cast<float>(objX), static_cast<float>(objY));
}

void RenderGL::project(vector2 point, int* x, int* y) {
    const Mapping m;
    GLdouble winX = 0;
    GLdouble winY = 0;
    GLdouble winZ = 0;
    if (gluProject(point.x, point.y, 0.0, m.model, m.projection, m.viewport, &winX, &winY, &winZ) !=
        GL_TRUE) {
        logicalToWindow(point, x, y);
        return;
    }
    *x = truncatePixel(winX);
    *y = pixelHeight - truncatePixel(winY);
}

} // namespace keltraWorks
