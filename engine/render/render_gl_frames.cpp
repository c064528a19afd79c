// RenderGL: partial frames (recording, the damage box and the replay) and
// the drawing shortcuts that give a rectangle the same pixels for less work:
// a clear instead of a full-window rectangle, nearest sampling of a picture
// at its own size, and no blending for an opaque picture without alpha.
#include "engine/render/render_gl.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace keltraWorks {

void RenderGL::touchTexture(int texture) {
    if (texture > 0 && static_cast<size_t>(texture) <= textureGenerations.size()) {
        ++textureGenerations[static_cast<size_t>(texture - 1)];
    }
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
    // The GL holds widths grown with the picture; recordings hold them as given.
    glGetFloatv(GL_LINE_WIDTH, &state.lineWidth);
    glGetFloatv(GL_POINT_SIZE, &state.pointSize);
    state.lineWidth /= pictureScaleX();
    state.pointSize /= pictureScaleX();
    return state;
}

void RenderGL::scissorToPicture() {
    if (hasBars()) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(picture.x0, picture.y0, picture.x1 - picture.x0, picture.y1 - picture.y0);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

void RenderGL::clearBars() {
    GLfloat previous[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(previous[0], previous[1], previous[2], previous[3]);
    scissorToPicture();
    barsPending = false;
}

bool RenderGL::setPartialFrames(bool on) {
    partial = on;
    recording = false;
    previousValid = false;
    return partial;
}

void RenderGL::beginFrame() {
    if (recording || status != StatusReady) {
        return;
    }
    if (hasBars() && (barsPending || !partial)) {
        clearBars();
    }
    if (!partial) {
        return;
    }
    frames[current].reset(currentState());
    batchAtStart = inBatch;
    recording = true;
}

FrameRecording::Box RenderGL::endFrame() {
    if (!recording) {
        return wholeWindow();
    }
    recording = false;
    FrameRecording& now = frames[current];
    FrameRecording::View view;
    view.pixelsPerUnitX =
        logicalWidth > 0.0f ? static_cast<float>(picture.x1 - picture.x0) / logicalWidth : 1.0f;
    view.pixelsPerUnitY =
        logicalHeight > 0.0f ? static_cast<float>(picture.y1 - picture.y0) / logicalHeight : 1.0f;
    view.width = pixelWidth;
    view.height = pixelHeight;
    view.area = picture;
    view.lineScale = pictureScaleX();
    now.finish(view, [this](int texture) {
        return texture > 0 && static_cast<size_t>(texture) <= textureGenerations.size()
                   ? textureGenerations[static_cast<size_t>(texture - 1)]
                   : 0u;
    });
    // A batch left open or closed across the frame's edge is drawn whole.
    // Nothing recorded has reached the GL yet, so primitiveOpen is still
    // the frame's start.
    const bool balanced = inBatch == batchAtStart && batchPrimitive == primitiveOpen;
    const FrameRecording::Box box =
        previousValid && balanced ? now.damageSince(frames[1 - current]) : wholeWindow();
    if (!box.empty()) {
        // Textures loaded or updated during the frame changed the binding;
        // the drawing starts from the one the frame started with.
        glBindTexture(GL_TEXTURE_2D, textureName(now.startState().texture));
        // The whole picture is drawn as without recording: clipping can
        // change how a software rasteriser rounds blended colours.
        const bool clip = box.x0 > picture.x0 || box.y0 > picture.y0 || box.x1 < picture.x1 ||
                          box.y1 < picture.y1;
        if (clip) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
        }
        for (const Command& command : now.commands()) {
            execute(command, command.op == Op::Text ? &now.text(command.i[1]) : nullptr);
        }
        if (clip) {
            scissorToPicture();
        }
    }
    previousValid = true;
    current = 1 - current;
    return box;
}

void RenderGL::issueTexturedRect(vector2 topLeft, vector2 bottomRight, int texture) {
    if (texture == 0 && clearsInstead(topLeft, bottomRight)) {
        // The texture coordinate the quad would have left behind.
        glTexCoord2f(0.0f, 0.0f);
        return;
    }
    const vector2 extent = getTextureExtent(texture);
    if (texture > 0) {
        matchFilterToPlacement(texture, topLeft, bottomRight);
        if (blendKeepsOnlyTheSource(texture)) {
            glDisable(GL_BLEND);
            issueRect(topLeft, bottomRight, extent);
            glEnable(GL_BLEND);
            return;
        }
    }
    issueRect(topLeft, bottomRight, extent);
}

bool RenderGL::blendKeepsOnlyTheSource(int texture) const {
    const ImageInfo* info = getTextureInfo(texture);
    if (info == nullptr || (info->bitsPerPixel != 24 && info->bitsPerPixel != 8) ||
        !glIsEnabled(GL_BLEND) || !glIsEnabled(GL_TEXTURE_2D)) {
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
    for (GLenum capability :
         {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_COLOR_LOGIC_OP, GL_LIGHTING, GL_FOG,
          GL_CULL_FACE, GL_POLYGON_STIPPLE, GL_TEXTURE_1D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T}) {
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
        const bool dropsDestination =
            destination == GL_ONE_MINUS_SRC_ALPHA || destination == GL_ZERO;
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
    // The rectangle reaches the pixels of the viewport that the scissor
    // lets through; a clear, those of the whole drawable that it lets
    // through. Equal when the rectangle covers the viewport and the
    // viewport covers the drawable or the scissor lies within the viewport.
    float box[4];
    if (pixelWidth <= 0 || pixelHeight <= 0 || !windowBox(topLeft, bottomRight, box)) {
        return false;
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float left = std::min(box[0], box[2]);
    const float right = std::max(box[0], box[2]);
    const float bottom = std::min(box[1], box[3]);
    const float top = std::max(box[1], box[3]);
    if (left > float(viewport[0]) || bottom > float(viewport[1]) ||
        right < float(viewport[0] + viewport[2]) || top < float(viewport[1] + viewport[3])) {
        return false;
    }
    const bool viewportIsDrawable = viewport[0] <= 0 && viewport[1] <= 0 &&
                                    viewport[0] + viewport[2] >= pixelWidth &&
                                    viewport[1] + viewport[3] >= pixelHeight;
    if (!viewportIsDrawable) {
        GLint scissor[4];
        glGetIntegerv(GL_SCISSOR_BOX, scissor);
        if (!glIsEnabled(GL_SCISSOR_TEST) || scissor[0] < viewport[0] || scissor[1] < viewport[1] ||
            scissor[0] + scissor[2] > viewport[0] + viewport[2] ||
            scissor[1] + scissor[3] > viewport[1] + viewport[3]) {
            return false;
        }
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
    if (texture > textureCount() || index >= textureFilters.size() ||
        (textureFilters[index] != FilterLinear && textureFilters[index] != FilterNearest) ||
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
    const bool scaled =
        picture.x1 - picture.x0 != pictureWidth || picture.y1 - picture.y0 != pictureHeight;
    const bool nearest = exact || (textureFilters[index] == FilterNearest && !scaled);
    if (nearest == textureNearestNow[index]) {
        return;
    }
    const GLint mode = nearest ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mode);
    textureNearestNow[index] = nearest;
}
} // namespace keltraWorks
