// The colours every picture of the default content is drawn from: a night
// sky, a warm glint of low sun on water, a cool ice tone and a pale mist.
// Components are 0..1 as cairo takes them.
#pragma once

#include <cairo.h>

namespace keltraWorks {

struct Colour {
    double r, g, b;
};

namespace palette {

constexpr Colour NightDeep{0.035, 0.047, 0.118};   // top of the night sky
constexpr Colour Night{0.071, 0.086, 0.200};       // the main surfaces
constexpr Colour NightHaze{0.149, 0.149, 0.329};   // low sky above the horizon
constexpr Colour Dusk{0.420, 0.259, 0.471};        // violet at the horizon
constexpr Colour Ember{1.000, 0.510, 0.353};       // warm sun, lower half
constexpr Colour Glint{1.000, 0.827, 0.471};       // gold highlight
constexpr Colour Ice{0.553, 0.863, 1.000};         // cool accent
constexpr Colour Mist{0.949, 0.937, 0.980};        // light text
constexpr Colour MistDim{0.659, 0.659, 0.784};     // secondary text
constexpr Colour Ink{0.102, 0.106, 0.239};         // dark ink of the logo
constexpr Colour DawnTop{0.925, 0.918, 0.973};     // title picture, top
constexpr Colour DawnLow{0.996, 0.925, 0.878};     // title picture, horizon
constexpr Colour ScreenGlass{0.024, 0.035, 0.078}; // oscilloscope screen

} // namespace palette

inline void setColour(cairo_t* cr, Colour c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

inline void addStop(cairo_pattern_t* p, double at, Colour c, double alpha = 1.0) {
    cairo_pattern_add_color_stop_rgba(p, at, c.r, c.g, c.b, alpha);
}

inline Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

} // namespace keltraWorks
