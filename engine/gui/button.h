// Button: a push button with normal, highlighted and pressed looks, an
// optional second image for the pressed look and an optional toggle mode.
//
// Looks: highlighted while the pointer is over it (set by moves inside it,
// cleared by a routed leave); pressed from an accepted press until the next
// accepted release inside it, so a press released outside leaves it pressed.
// In toggle mode one full click latches (still drawn pressed) and the next
// releases; the release action fires on both.
// While a popup menu is visible (popupVisible), a button hears presses and
// releases only inside a visible popup menu or when its own popup is visible.
// Colours are RGBA 0..1; images are 1-based texture indices, `pressedImage` 0
// meaning "use `image`". `outlineWidth` in pixels, 0 for none. `label` is a
// Static child (owned as a child) created invisible; nothing draws text in it.
// Ownership and units as for Object (object.h). Window thread only; draw needs
// a renderer.
#pragma once

#include "engine/gui/object.h"

namespace keltraWorks {

class Static;

class Button : public Object {
  public:
    Button(Object* parent, const char* name);

    void onMouseMove(vector2 point) override;
    void onMouseLeave() override;
    void onMouseDown(vector2 point, int button) override;
    void onMouseUp(vector2 point, int button) override;
    void draw(Renderer* renderer) override;
    std::string getType() const override;

    // Alpha setters clamp from above only; a negative alpha is kept.
    void setAlpha(float a);
    void setPressedColor(vector3 rgb);
    void setPressedAlpha(float a);
    void setHoverColor(vector3 rgb);
    void setHoverAlpha(float a);
    // With fit the button grows to the picture's size.
    void setImage(Renderer* renderer, int texture, bool fit);
    void setPressedImage(Renderer* renderer, int texture, bool fit);

    vector4 color{0.792f, 0.792f, 0.792f, 1.0f};
    vector4 pressedColor{0.431f, 0.431f, 0.431f, 1.0f};
    vector4 hoverColor{0.901f, 0.901f, 0.901f, 1.0f};
    vector4 outlineColor{0.0f, 0.0f, 0.0f, 1.0f};
    int image = 0;
    int pressedImage = 0;
    bool toggle = false;
    bool pressed = false;
    bool highlighted = false;
    bool toggledOn = false;
    float outlineWidth = 0.0f;
    Static* label = nullptr;

  private:
    // The popup rule: whether a press or release may reach this button now.
    bool acceptsClicks() const;
};

} // namespace keltraWorks
