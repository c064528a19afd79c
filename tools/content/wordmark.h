// The album's wordmark, "glint" in five monoline lowercase letters with round
// ends, whose i is dotted with a four-pointed sparkle; and the sparkle on its
// own, the emblem that recurs on every screen. Sizes are pixels of the cairo
// context; the wordmark is measured in x-heights.
#pragma once

#include "tools/content/palette.h"

#include <cairo.h>

namespace keltraWorks {

struct WordmarkStyle {
    double xHeight = 40; // pixels
    Colour ink = palette::Mist;
    Colour spark = palette::Glint;
    double alpha = 1;
    bool glow = true; // a soft halo around the sparkle
};

// Width of the wordmark's ink from its left to its right edge.
double wordmarkWidth(double xHeight);

// Draws the wordmark with the left edge of its ink at x and its baseline at
// `baseline`.
void drawWordmark(cairo_t* cr, double x, double baseline, const WordmarkStyle& style);

// A four-pointed star of `radius` (centre to tip) with a smaller diagonal
// star behind it; with `glow`, a soft round halo too.
void drawSparkle(cairo_t* cr, double cx, double cy, double radius, Colour colour, double alpha = 1,
                 bool glow = false);

} // namespace keltraWorks
