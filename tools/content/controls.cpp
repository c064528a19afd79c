#include "tools/content/controls.h"

#include "tools/content/palette.h"

#include <cmath>

namespace keltraWorks {

namespace {

constexpr double Centre = 32;
constexpr double RingRadius = 24.5;

void glyphPath(cairo_t* cr, TransportGlyph glyph) {
    const double c = Centre;
    switch (glyph) {
    case TransportGlyph::Play:
        // Shifted right of centre so the triangle's weight looks centred.
        cairo_move_to(cr, c - 6, c - 10);
        cairo_line_to(cr, c + 10, c);
        cairo_line_to(cr, c - 6, c + 10);
        cairo_close_path(cr);
        break;
    case TransportGlyph::Pause:
        cairo_rectangle(cr, c - 7.5, c - 9.5, 4.5, 19);
        cairo_rectangle(cr, c + 3, c - 9.5, 4.5, 19);
        break;
    case TransportGlyph::Stop:
        cairo_rectangle(cr, c - 8.5, c - 8.5, 17, 17);
        break;
    case TransportGlyph::Previous:
        cairo_rectangle(cr, c - 10, c - 9, 3.2, 18);
        cairo_move_to(cr, c + 9, c - 9);
        cairo_line_to(cr, c - 5, c);
        cairo_line_to(cr, c + 9, c + 9);
        cairo_close_path(cr);
        break;
    case TransportGlyph::Next:
        cairo_rectangle(cr, c + 6.8, c - 9, 3.2, 18);
        cairo_move_to(cr, c - 9, c - 9);
        cairo_line_to(cr, c + 5, c);
        cairo_line_to(cr, c - 9, c + 9);
        cairo_close_path(cr);
        break;
    }
}

// Fills and strokes the glyph with round joins, which softens its corners.
void paintGlyph(cairo_t* cr, TransportGlyph glyph) {
    cairo_new_path(cr);
    glyphPath(cr, glyph);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 2.2);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

} // namespace

void drawTransportButton(cairo_t* cr, TransportGlyph glyph, bool pressed) {
    const double c = Centre;
    if (!pressed) {
        setColour(cr, palette::Mist, 0.07);
        cairo_arc(cr, c, c, RingRadius, 0, 2 * M_PI);
        cairo_fill(cr);
        setColour(cr, palette::Mist, 0.55);
        cairo_set_line_width(cr, 1.6);
        cairo_arc(cr, c, c, RingRadius, 0, 2 * M_PI);
        cairo_stroke(cr);
        setColour(cr, palette::Mist);
        paintGlyph(cr, glyph);
        return;
    }
    // Pressed: the disc lights up from within.
    cairo_pattern_t* glow = cairo_pattern_create_radial(c, c, RingRadius * 0.2, c, c, 31.5);
    addStop(glow, 0, palette::Glint, 0.42);
    addStop(glow, 0.75, palette::Ember, 0.22);
    addStop(glow, 1, palette::Ember, 0);
    cairo_set_source(cr, glow);
    cairo_arc(cr, c, c, 31.5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    setColour(cr, palette::Glint, 0.95);
    cairo_set_line_width(cr, 2.0);
    cairo_arc(cr, c, c, RingRadius, 0, 2 * M_PI);
    cairo_stroke(cr);
    setColour(cr, mix(palette::Glint, palette::Mist, 0.6));
    paintGlyph(cr, glyph);
}

void drawCloseButton(cairo_t* cr) {
    const double c = Centre;
    setColour(cr, palette::Mist, 0.07);
    cairo_arc(cr, c, c, 21, 0, 2 * M_PI);
    cairo_fill(cr);
    setColour(cr, palette::Mist, 0.55);
    cairo_set_line_width(cr, 1.6);
    cairo_arc(cr, c, c, 21, 0, 2 * M_PI);
    cairo_stroke(cr);
    setColour(cr, palette::Mist);
    cairo_set_line_width(cr, 2.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, c - 7, c - 7);
    cairo_line_to(cr, c + 7, c + 7);
    cairo_move_to(cr, c + 7, c - 7);
    cairo_line_to(cr, c - 7, c + 7);
    cairo_stroke(cr);
}

} // namespace keltraWorks
