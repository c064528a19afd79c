#include "engine/gui/static.h"

#include "engine/render/renderer.h"

#include <algorithm>

namespace keltraWorks {

Static::Static(Object* parent, const char* name) : Object(parent, name) {
    // Through the setter, so that the next layout of this widget already sees
    // the new padding rather than the size the base constructor gave it.
    setPadding(0.0f);
}

std::string Static::getType() const {
    return "Static Widget";
}

void Static::setColor(vector3 rgb) {
    color.x = rgb.x;
    color.y = rgb.y;
    color.z = rgb.z;
}

void Static::setAlpha(float a) {
    color.w = std::min(a, 1.0f);
}

void Static::setImage(Renderer* renderer, int newTexture, bool fit) {
    texture = newTexture;
    if (fit) {
        fitToImage(renderer, newTexture);
    }
}

void Static::draw(Renderer* renderer) {
    update();
    if (hidden) {
        return;
    }
    renderer->pushState();
    const vector2 at = getPosition();
    const vector2 textPoint(at.x, at.y + getSize().y - textOffset);
    const vector4 r = getRect();
    const vector2 topLeft(r.x, r.y);
    const vector2 bottomRight(r.z, r.w);

    renderer->setColor(color);
    if (blendSource == BlendZero && blendDestination == BlendZero) {
        renderer->disableBlend();
    } else {
        renderer->setBlend(blendSource, blendDestination);
    }
    renderer->bindTexture(texture);
    renderer->drawRect(topLeft, bottomRight, texture);
    renderer->bindTexture(0);
    renderer->disableBlend();

    if (outlineWidth > 0.0f) {
        renderer->pushState();
        if (outlineBlended) {
            renderer->setBlend(BlendSrcAlpha, BlendOneMinusSrcAlpha);
        }
        renderer->setColor(outlineColor);
        renderer->setPolygonMode(PolygonLine);
        renderer->setLineWidth(outlineWidth);
        renderer->drawRect(topLeft, bottomRight, vector2(1.0f, 1.0f));
        if (outlineBlended) {
            renderer->disableBlend();
        }
        renderer->popState();
    }

    if (textBlended) {
        renderer->setBlend(BlendSrcAlpha, BlendOneMinusSrcAlpha);
    }
    renderer->setColor(textColor);
    renderer->drawText(font, textPoint, text);
    if (textBlended) {
        renderer->disableBlend();
    }
    renderer->popState();
    drawChildren(renderer);
}

} // namespace keltraWorks
