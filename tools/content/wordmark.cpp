#include "tools/content/wordmark.h"

#include <cmath>

namespace keltraWorks {

namespace {

// Geometry in x-heights: the centre lines of the strokes, baseline at y = 0,
// y growing downward as in cairo.
constexpr double Stroke = 0.15;
constexpr double Gap = 0.42; // between neighbouring stems
constexpr double BowlRadius = 0.47;
constexpr double StemG = 2 * BowlRadius;
constexpr double StemL = StemG + Gap;
constexpr double StemI = StemL + Gap;
constexpr double StemN = StemI + Gap;
constexpr double ArchRadius = 0.45;
constexpr double StemN2 = StemN + 2 * ArchRadius;
constexpr double StemT = StemN2 + Gap;
constexpr double FootRadius = 0.25;
constexpr double RightEnd = StemT + FootRadius + 0.16;

void strokeLetters(cairo_t* cr) {
    const double pi = M_PI;
    // g: a round bowl and a stem that drops below the baseline into a hook.
    cairo_new_sub_path(cr);
    cairo_arc(cr, BowlRadius, -BowlRadius, BowlRadius, 0, 2 * pi);
    cairo_move_to(cr, StemG, -2 * BowlRadius);
    cairo_line_to(cr, StemG, 0.28);
    cairo_arc(cr, BowlRadius, 0.28, BowlRadius, 0, 0.8 * pi);
    // l
    cairo_move_to(cr, StemL, -1.52);
    cairo_line_to(cr, StemL, 0);
    // i (its dot is the sparkle)
    cairo_move_to(cr, StemI, -2 * BowlRadius);
    cairo_line_to(cr, StemI, 0);
    // n: stem, round arch, second stem.
    cairo_move_to(cr, StemN, -2 * BowlRadius);
    cairo_line_to(cr, StemN, 0);
    cairo_move_to(cr, StemN, -0.47);
    cairo_arc(cr, StemN + ArchRadius, -0.47, ArchRadius, pi, 2 * pi);
    cairo_line_to(cr, StemN2, 0);
    // t: stem turning right into a small foot, and the crossbar.
    cairo_move_to(cr, StemT, -1.3);
    cairo_line_to(cr, StemT, -FootRadius);
    cairo_arc_negative(cr, StemT + FootRadius, -FootRadius, FootRadius, pi, 0.5 * pi);
    cairo_line_to(cr, RightEnd, 0);
    cairo_move_to(cr, StemT - 0.27, -2 * BowlRadius);
    cairo_line_to(cr, StemT + 0.36, -2 * BowlRadius);
}

void sparklePath(cairo_t* cr, double cx, double cy, double r, double angle) {
    const double waist = 0.1 * r;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, 0, -r);
    cairo_curve_to(cr, waist, -waist, waist, -waist, r, 0);
    cairo_curve_to(cr, waist, waist, waist, waist, 0, r);
    cairo_curve_to(cr, -waist, waist, -waist, waist, -r, 0);
    cairo_curve_to(cr, -waist, -waist, -waist, -waist, 0, -r);
    cairo_close_path(cr);
    cairo_restore(cr);
}

} // namespace

double wordmarkWidth(double xHeight) {
    return (RightEnd + Stroke) * xHeight;
}

void drawWordmark(cairo_t* cr, double x, double baseline, const WordmarkStyle& style) {
    const double h = style.xHeight;
    cairo_save(cr);
    cairo_translate(cr, x + Stroke * h / 2, baseline);
    cairo_save(cr);
    cairo_scale(cr, h, h);
    cairo_new_path(cr);
    strokeLetters(cr);
    cairo_restore(cr);
    cairo_set_line_width(cr, Stroke * h);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, style.ink, style.alpha);
    cairo_stroke(cr);
    cairo_restore(cr);
    drawSparkle(cr, x + (StemI + Stroke / 2) * h, baseline - 1.45 * h, 0.36 * h, style.spark,
                style.alpha, style.glow);
}

void drawSparkle(cairo_t* cr, double cx, double cy, double radius, Colour colour, double alpha,
                 bool glow) {
    cairo_save(cr);
    if (glow) {
        cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius * 1.7);
        addStop(halo, 0, colour, 0.45 * alpha);
        addStop(halo, 0.4, colour, 0.14 * alpha);
        addStop(halo, 1, colour, 0);
        cairo_set_source(cr, halo);
        cairo_arc(cr, cx, cy, radius * 1.7, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
    }
    setColour(cr, colour, 0.55 * alpha);
    sparklePath(cr, cx, cy, radius * 0.5, M_PI / 4);
    cairo_fill(cr);
    setColour(cr, colour, alpha);
    sparklePath(cr, cx, cy, radius, 0);
    cairo_fill(cr);
    cairo_restore(cr);
}

} // namespace keltraWorks
