#include "engine/gui/button.h"

#include "engine/gui/static.h"
#include "engine/render/renderer.h"

#include <algorithm>

namespace keltraWorks {

namespace {

void setRgb(vector4* colour, vector3 rgb) {
    colour->x = rgb.x;
    colour->y = rgb.y;
    colour->z = rgb.z;
}

} // namespace

Button::Button(Object* parent, const char* name) : Object(parent, name) {
    label = new Static(this, "");
    label->setAlpha(0.0f);
}

std::string Button::getType() const {
    return "PushButton Widget";
}

void Button::setAlpha(float a) {
    color.w = std::min(a, 1.0f);
}

void Button::setPressedColor(vector3 rgb) {
    setRgb(&pressedColor, rgb);
}

void Button::setPressedAlpha(float a) {
    pressedColor.w = std::min(a, 1.0f);
}

void Button::setHoverColor(vector3 rgb) {
    setRgb(&hoverColor, rgb);
}

void Button::setHoverAlpha(float a) {
    hoverColor.w = std::min(a, 1.0f);
}

void Button::setImage(Renderer* renderer, int texture, bool fit) {
    image = texture;
    if (fit) {
        fitToImage(renderer, texture);
    }
}

void Button::setPressedImage(Renderer* renderer, int texture, bool fit) {
    pressedImage = texture;
    if (fit) {
        fitToImage(renderer, texture);
    }
}

bool Button::acceptsClicks() const {
    if (!popupVisible) {
        return true;
    }
    const Object* owner = getParent();
    if (owner != nullptr && owner->getType() == PopupMenuType && !owner->hidden) {
        return true;
    }
    return popup != nullptr && !popup->hidden;
}

void Button::onMouseMove(vector2 point) {
    routeMouseMove(point);
    highlighted = true;
}

void Button::onMouseLeave() {
    Object::onMouseLeave();
    highlighted = false;
}

void Button::onMouseDown(vector2 point, int button) {
    if (!acceptsClicks()) {
        return;
    }
    routeMouseDown(point, button);
    pressed = true;
}

void Button::onMouseUp(vector2 point, int button) {
    if (!acceptsClicks()) {
        return;
    }
    routeMouseUp(point, button);
    if (toggle) {
        if (!toggledOn) {
            toggledOn = true; // latched: stays drawn pressed until the next click
            return;
        }
        toggledOn = false;
    }
    pressed = false;
}

void Button::draw(Renderer* renderer) {
    update();
    if (hidden) {
        return;
    }
    renderer->pushState();
    int texture = image;
    vector4 colour = highlighted ? hoverColor : color;
    if (pressed) {
        texture = pressedImage != 0 ? pressedImage : image;
        colour = pressedColor;
    }
    const vector4 r = getRect();
    const vector2 topLeft(r.x, r.y);
    const vector2 bottomRight(r.z, r.w);

    renderer->bindTexture(texture);
    renderer->setColor(colour);
    // Unlike Static, no "both factors 0" test: a button always blends.
    renderer->setBlend(blendSource, blendDestination);
    renderer->drawRect(topLeft, bottomRight, texture);
    renderer->bindTexture(0);
    renderer->disableBlend();

    if (outlineWidth > 0.0f) {
        renderer->pushState();
        renderer->setBlend(BlendSrcAlpha, BlendOneMinusSrcAlpha);
        renderer->setColor(outlineColor);
        renderer->setPolygonMode(PolygonLine);
        renderer->setLineWidth(outlineWidth);
        renderer->drawRect(topLeft, bottomRight, vector2(1.0f, 1.0f));
        renderer->disableBlend();
        renderer->popState();
    }
    renderer->popState();
    drawChildren(renderer);
}

} // namespace keltraWorks
