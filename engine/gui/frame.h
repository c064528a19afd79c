// Frame: an outlined rectangle that also serves as a container.
// The outline is `lineWidth` pixels wide in `color`; once an alpha has been
// set the frame draws blended with the object's blend factors, so an alpha of
// 0 makes an invisible container. A hidden frame draws nothing and none of its
// children, but still runs its paint action every frame (on purpose: actions
// attached to hidden frames keep running).
// Ownership and units as for Object (object.h). Window thread only.
#pragma once

#include "engine/gui/object.h"

namespace keltraWorks {

class Frame : public Object {
  public:
    Frame(Object* parent, const char* name);

    void draw(Renderer* renderer) override;
    std::string getType() const override;

    // Red, green and blue of the outline colour; alpha unchanged.
    void setColor(vector3 rgb);
    // Alpha of the outline colour, clamped from above only; turns blending on.
    void setAlpha(float a);
    // Outline width in pixels.
    void setLineWidth(float width);

    vector4 color{0.0f, 0.0f, 0.0f, 1.0f};
    float lineWidth = 1.0f;
    bool blended = false;
};

} // namespace keltraWorks
