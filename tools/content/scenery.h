// The landscape the large pictures share: a night sky over still water with a
// low sun whose light glints on the waves, and a sprinkling of stars. All
// positions are pixels of the cairo context; every scatter is seeded, so a
// scene is drawn the same way every time.
#pragma once

#include <cairo.h>

#include <cstdint>

namespace keltraWorks {

struct Rect {
    double x, y, w, h;
};

// Night sky gradient over `area`, turning violet toward `horizonY`.
void paintNightSky(cairo_t* cr, Rect area, double horizonY);

// `count` small stars in `area`, brightest near the top; a few get sparkles.
void paintStars(cairo_t* cr, Rect area, int count, uint64_t seed, double brightness = 1);

// A low sun of `radius` centred on x = cx, sitting on the horizon, its glow,
// the water below the horizon down to `area`'s bottom and the sun's broken
// reflection on it. The sky part of `area` is left to the caller.
void paintSunOverWater(cairo_t* cr, Rect area, double cx, double horizonY, double radius,
                       uint64_t seed);

// A rounded rectangle path.
void roundedRect(cairo_t* cr, Rect r, double radius);

} // namespace keltraWorks
