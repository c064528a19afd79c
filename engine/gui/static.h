// Static: a tinted, optionally textured rectangle with an optional outline and
// one line of text. The player screen's pictures and backgrounds are Statics.
//
// A new Static is invisible: its tint's alpha is 0 until setAlpha raises it.
// `texture` is a 1-based texture index (0 draws a plain rectangle in `color`);
// `font` is a 0-based font index. Blend factors both 0 mean "draw unblended".
// The text's reference point sits `textOffset` logical units above the bottom
// edge, at the left edge; the text is drawn every frame, also when empty.
// `outlineWidth` is in pixels, 0 for no outline. The constructor sets the
// inherited padding to 0.
// Ownership and units as for Object (object.h). Window thread only; draw needs
// a renderer.
#pragma once

#include "engine/gui/object.h"

#include <string>

namespace keltraWorks {

class Static : public Object {
  public:
    Static(Object* parent, const char* name);

    void draw(Renderer* renderer) override;
    std::string getType() const override;

    // Red, green and blue of the tint; alpha unchanged.
    void setColor(vector3 rgb);
    // Alpha of the tint, clamped from above only (a negative value is kept).
    void setAlpha(float a);
    // Shows a texture; with fit the widget grows to the picture's size.
    void setImage(Renderer* renderer, int texture, bool fit);

    vector4 color{0.792f, 0.792f, 0.792f, 0.0f};
    int texture = 0;
    int font = 0;
    float textOffset = 0.0f;
    std::string text;
    vector4 textColor{0.0f, 0.0f, 0.0f, 1.0f};
    vector4 outlineColor{0.0f, 0.0f, 0.0f, 1.0f};
    float outlineWidth = 0.0f;
    bool outlineBlended = false;
    bool textBlended = false;
};

} // namespace keltraWorks
