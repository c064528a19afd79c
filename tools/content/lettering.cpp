#include "tools/content/lettering.h"

#include <vector>

namespace keltraWorks {

namespace {

constexpr const char* Family = "Liberation Sans";

void selectFace(cairo_t* cr, const TextStyle& style) {
    cairo_select_font_face(cr, Family, CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.size);
    // Unhinted metrics keep widths proportional to the size, so text laid
    // out at one size lines up the same way at another.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

// Splits UTF-8 text into its characters, each as its own small string.
std::vector<std::string> characters(const std::string& utf8) {
    std::vector<std::string> out;
    for (size_t i = 0; i < utf8.size();) {
        size_t n = 1;
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead >= 0xf0) {
            n = 4;
        } else if (lead >= 0xe0) {
            n = 3;
        } else if (lead >= 0xc0) {
            n = 2;
        }
        out.push_back(utf8.substr(i, n));
        i += n;
    }
    return out;
}

double advance(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

} // namespace

double textWidth(cairo_t* cr, const std::string& utf8, const TextStyle& style) {
    cairo_save(cr);
    selectFace(cr, style);
    double width = advance(cr, utf8);
    if (style.tracking != 0) {
        const auto chars = characters(utf8);
        width = 0;
        for (const auto& c : chars) {
            width += advance(cr, c);
        }
        width += style.tracking * (chars.empty() ? 0 : double(chars.size() - 1));
    }
    cairo_restore(cr);
    return width;
}

void drawText(cairo_t* cr, const std::string& utf8, double x, double baseline,
              const TextStyle& style, Align align) {
    const double width = textWidth(cr, utf8, style);
    if (align == Align::Centre) {
        x -= width / 2;
    } else if (align == Align::Right) {
        x -= width;
    }
    cairo_save(cr);
    selectFace(cr, style);
    if (style.tracking == 0) {
        // Whole runs keep the font's kerning.
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, utf8.c_str());
    } else {
        for (const auto& c : characters(utf8)) {
            cairo_move_to(cr, x, baseline);
            cairo_show_text(cr, c.c_str());
            x += advance(cr, c) + style.tracking;
        }
    }
    cairo_restore(cr);
}

double capHeight(cairo_t* cr, const TextStyle& style) {
    cairo_save(cr);
    selectFace(cr, style);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "H", &e);
    cairo_restore(cr);
    return -e.y_bearing;
}

} // namespace keltraWorks
