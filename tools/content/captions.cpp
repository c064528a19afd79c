#include "tools/content/captions.h"

#include "tools/content/lettering.h"
#include "tools/content/palette.h"
#include "tools/content/section_style.h"

#include <cmath>
#include <cstdio>

namespace keltraWorks {

namespace {

// The pictures' top edges on screen lie at 528 (track caption), 526.1
// (track name) and 528.6 (time caption, digits); these baselines bring the
// text onto one screen line near y = 558.
constexpr double Baseline = 30;
constexpr double TrackNameBaseline = 32;

// Numerals are drawn in a 16 x 24 box (cap height 24) with round strokes.
constexpr double NumeralWidth = 16;
constexpr double NumeralHeight = 24;
constexpr double NumeralStroke = 2.6;

void numeralPath(cairo_t* cr, int d) {
    const double pi = M_PI;
    const double w = NumeralWidth, h = NumeralHeight, r = w / 2;
    switch (d) {
    case 0:
        cairo_arc(cr, r, r, r, pi, 2 * pi);
        cairo_line_to(cr, w, h - r);
        cairo_arc(cr, r, h - r, r, 0, pi);
        cairo_close_path(cr);
        break;
    case 1:
        cairo_move_to(cr, 3.5, 5.5);
        cairo_line_to(cr, 9.5, 0);
        cairo_line_to(cr, 9.5, h);
        break;
    case 2:
        cairo_arc(cr, r, 7.5, 7.5, pi * 1.02, pi * 2.22);
        cairo_line_to(cr, 0.5, h);
        cairo_line_to(cr, w, h);
        break;
    case 3:
        cairo_arc(cr, r, 6.2, 6.2, pi * 1.1, pi * 2.5);
        cairo_arc(cr, r, h - 6.6, 6.6, -pi * 0.5, pi * 0.92);
        break;
    case 4:
        cairo_move_to(cr, 12, h);
        cairo_line_to(cr, 12, 0);
        cairo_line_to(cr, 0, 16.5);
        cairo_line_to(cr, w, 16.5);
        break;
    case 5:
        cairo_move_to(cr, 15, 0);
        cairo_line_to(cr, 2.5, 0);
        cairo_line_to(cr, 1.5, 10.5);
        cairo_arc(cr, 7.8, h - 8, 8, -pi * 0.72, pi * 0.85);
        break;
    case 6:
        cairo_move_to(cr, 12.5, 0);
        cairo_line_to(cr, 1.6, 12.6);
        cairo_new_sub_path(cr);
        cairo_arc(cr, r, h - r, r, 0, 2 * pi);
        break;
    case 7:
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, w, 0);
        cairo_line_to(cr, 5, h);
        break;
    case 8:
        cairo_new_sub_path(cr);
        cairo_arc(cr, r, 5.8, 5.8, 0, 2 * pi);
        cairo_new_sub_path(cr);
        cairo_arc(cr, r, h - 6.8, 6.8, 0, 2 * pi);
        break;
    case 9:
        cairo_new_sub_path(cr);
        cairo_arc(cr, r, r, r, 0, 2 * pi);
        cairo_move_to(cr, 14.4, 11.4);
        cairo_line_to(cr, 3.5, h);
        break;
    default:
        break;
    }
}

} // namespace

void drawCaption(cairo_t* cr, const std::string& text, int width) {
    TextStyle style;
    style.size = 11;
    style.bold = true;
    style.tracking = 2.4;
    setColour(cr, palette::Glint, 0.92);
    // Right-aligned: the caption leads the eye into the value after it.
    drawText(cr, text, width - 6 + style.tracking, Baseline, style, Align::Right);
}

void drawDigit(cairo_t* cr, int digit) {
    cairo_save(cr);
    cairo_translate(cr, (DigitWidth - NumeralWidth) / 2.0, Baseline - NumeralHeight);
    cairo_new_path(cr);
    numeralPath(cr, digit);
    cairo_set_line_width(cr, NumeralStroke);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, palette::Mist);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawColon(cairo_t* cr) {
    setColour(cr, palette::Mist, 0.9);
    const double x = ColonWidth / 2.0;
    for (double y : {Baseline - 17.0, Baseline - 5.0}) {
        cairo_arc(cr, x, y, 1.9, 0, 2 * M_PI);
        cairo_fill(cr);
    }
}

void drawTrackName(cairo_t* cr, int number) {
    const auto& styles = sectionStyles();
    const std::string title = styles[size_t(number - 1) % styles.size()].score.title;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02d", number);
    TextStyle numberStyle;
    numberStyle.size = 13;
    numberStyle.bold = true;
    numberStyle.tracking = 1.5;
    setColour(cr, palette::Glint, 0.95);
    drawText(cr, digits, 4, TrackNameBaseline, numberStyle);
    TextStyle titleStyle;
    titleStyle.size = 21;
    setColour(cr, palette::Mist);
    drawText(cr, title, 32, TrackNameBaseline, titleStyle);
}

} // namespace keltraWorks
