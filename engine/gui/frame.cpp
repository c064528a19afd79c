#include "engine/gui/frame.h"

#include "engine/render/renderer.h"

#include <algorithm>

namespace keltraWorks {

Frame::Frame(Object* parent, const char* name) : Object(parent, name) {}

std::string Frame::getType() const {
    return "Frame Widget";
}

void Frame::setColor(vector3 rgb) {
    color.x = rgb.x;
    color.y = rgb.y;
    color.z = rgb.z;
}

void Frame::setAlpha(float a) {
    color.w = std::min(a, 1.0f);
    blended = true;
}

void Frame::setLineWidth(float width) {
    lineWidth = width;
}

void Frame::draw(Renderer* renderer) {
    update();
    if (hidden) {
        if (actionBase* paint = getAction(KindPaint)) {
            paint->execute(this, renderer);
        }
        return;
    }
    const vector4 r = getRect();
    renderer->pushState();
    if (blended) {
        renderer->setBlend(blendSource, blendDestination);
    }
    renderer->setColor(color);
    renderer->setLineWidth(lineWidth);
    renderer->setPolygonMode(PolygonLine);
    renderer->drawRect(vector2(r.x, r.y), vector2(r.z, r.w), vector2(1.0f, 1.0f));
    if (blended) {
        renderer->disableBlend();
    }
    renderer->popState(); // also restores the fill mode
    drawChildren(renderer);
}

} // namespace keltraWorks
