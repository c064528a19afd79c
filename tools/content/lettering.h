// Text set in the content's one typeface (Liberation Sans, which the set-up
// script installs), with optional letter spacing for the small capital
// labels. Positions and sizes are in pixels of the cairo context; `baseline`
// is the y of the text's baseline. Stateless apart from the cairo context the
// caller passes.
#pragma once

#include <cairo.h>

#include <string>

namespace keltraWorks {

enum class Align { Left, Centre, Right };

struct TextStyle {
    double size = 16; // em size in pixels
    bool bold = false;
    double tracking = 0; // extra pixels after every character but the last
};

double textWidth(cairo_t* cr, const std::string& utf8, const TextStyle& style);

// Fills the text with the context's current source at (x, baseline), where x
// is the left edge, the centre or the right edge as `align` says.
void drawText(cairo_t* cr, const std::string& utf8, double x, double baseline,
              const TextStyle& style, Align align = Align::Left);

// Cap height of the typeface at `size`, for centring text vertically.
double capHeight(cairo_t* cr, const TextStyle& style);

} // namespace keltraWorks
