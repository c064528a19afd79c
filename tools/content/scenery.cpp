#include "tools/content/scenery.h"

#include "tools/content/palette.h"
#include "tools/content/random.h"
#include "tools/content/wordmark.h"

#include <algorithm>
#include <cmath>

namespace keltraWorks {

void roundedRect(cairo_t* cr, Rect r, double radius) {
    const double pi = M_PI;
    cairo_new_sub_path(cr);
    cairo_arc(cr, r.x + r.w - radius, r.y + radius, radius, -pi / 2, 0);
    cairo_arc(cr, r.x + r.w - radius, r.y + r.h - radius, radius, 0, pi / 2);
    cairo_arc(cr, r.x + radius, r.y + r.h - radius, radius, pi / 2, pi);
    cairo_arc(cr, r.x + radius, r.y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void paintNightSky(cairo_t* cr, Rect area, double horizonY) {
    cairo_save(cr);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, area.y, 0, horizonY);
    addStop(sky, 0, palette::NightDeep);
    addStop(sky, 0.55, palette::Night);
    addStop(sky, 0.85, palette::NightHaze);
    addStop(sky, 1, palette::Dusk);
    cairo_set_source(cr, sky);
    cairo_rectangle(cr, area.x, area.y, area.w, std::min(area.h, horizonY - area.y));
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    cairo_restore(cr);
}

void paintStars(cairo_t* cr, Rect area, int count, uint64_t seed, double brightness) {
    Random rnd(seed);
    cairo_save(cr);
    for (int i = 0; i < count; ++i) {
        const double x = area.x + rnd.uniform() * area.w;
        // Squaring crowds the stars toward the top, where the sky is darkest.
        const double depth = rnd.uniform();
        const double y = area.y + depth * depth * area.h;
        const double fade = 1 - depth * depth * 0.8;
        const double size = rnd.range(0.4, 1.2);
        const double alpha = brightness * fade * rnd.range(0.25, 0.85);
        const Colour tint = rnd.chance(0.2) ? palette::Ice : palette::Mist;
        if (rnd.chance(0.025)) {
            drawSparkle(cr, x, y, rnd.range(3.5, 6.5), tint, alpha, true);
        } else {
            setColour(cr, tint, alpha);
            cairo_arc(cr, x, y, size, 0, 2 * M_PI);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

void paintSunOverWater(cairo_t* cr, Rect area, double cx, double horizonY, double radius,
                       uint64_t seed) {
    const double bottom = area.y + area.h;
    cairo_save(cr);
    cairo_rectangle(cr, area.x, area.y, area.w, area.h);
    cairo_clip(cr);

    // Pass 1: the glow of the sun over the sky.
    cairo_pattern_t* glow =
        cairo_pattern_create_radial(cx, horizonY, radius * 0.6, cx, horizonY, radius * 3.2);
    addStop(glow, 0, palette::Ember, 0.38);
    addStop(glow, 0.45, palette::Dusk, 0.18);
    addStop(glow, 1, palette::Dusk, 0);
    cairo_set_source(cr, glow);
    cairo_rectangle(cr, area.x, area.y, area.w, horizonY - area.y);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);

    // Pass 2: the sun's disc above the horizon, gold at the top, ember below,
    // with thin bands cut from its lower half where the haze lies.
    cairo_save(cr);
    cairo_rectangle(cr, area.x, area.y, area.w, horizonY - area.y);
    cairo_clip(cr);
    cairo_pattern_t* disc = cairo_pattern_create_linear(0, horizonY - radius, 0, horizonY);
    addStop(disc, 0, palette::Glint);
    addStop(disc, 1, palette::Ember);
    cairo_set_source(cr, disc);
    cairo_arc(cr, cx, horizonY, radius, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(disc);
    setColour(cr, palette::NightHaze, 0.9);
    for (int band = 0; band < 5; ++band) {
        const double t = double(band) / 5;
        const double y = horizonY - radius * (0.45 - 0.45 * t);
        const double thick = radius * (0.018 + 0.045 * t);
        cairo_rectangle(cr, cx - radius, y, radius * 2, thick);
    }
    cairo_fill(cr);
    cairo_restore(cr);

    // Pass 3: the water, dark and slightly lighter toward the horizon.
    cairo_pattern_t* water = cairo_pattern_create_linear(0, horizonY, 0, bottom);
    addStop(water, 0, mix(palette::Dusk, palette::Night, 0.55));
    addStop(water, 0.35, palette::Night);
    addStop(water, 1, palette::NightDeep);
    cairo_set_source(cr, water);
    cairo_rectangle(cr, area.x, horizonY, area.w, bottom - horizonY);
    cairo_fill(cr);
    cairo_pattern_destroy(water);

    // Pass 4: the reflection, short strokes of light that spread and thin out
    // with distance from the horizon: the glints on the waves.
    Random rnd(seed);
    const double depth = bottom - horizonY;
    for (int i = 0; i < 260; ++i) {
        const double d = rnd.uniform();
        const double y = horizonY + 2 + d * d * depth;
        const double spread = radius * (0.55 + 1.4 * d);
        const double x = cx + (rnd.uniform() - 0.5) * 2 * spread * rnd.uniform();
        const double length = rnd.range(4, 22) * (1.2 - 0.5 * d);
        const double near = 1 - std::fabs(x - cx) / (spread + 1);
        const double alpha = (0.75 - 0.55 * d) * near * rnd.range(0.5, 1);
        const Colour c = mix(palette::Glint, palette::Ember, std::min(1.0, d * 1.3));
        setColour(cr, c, std::max(0.0, alpha));
        cairo_rectangle(cr, x - length / 2, y, length, std::max(1.0, 2.2 - 1.6 * d));
        cairo_fill(cr);
    }
    // A thin bright horizon line ties sky and water together.
    cairo_pattern_t* line = cairo_pattern_create_linear(cx - radius * 4, 0, cx + radius * 4, 0);
    addStop(line, 0, palette::Glint, 0);
    addStop(line, 0.5, palette::Glint, 0.8);
    addStop(line, 1, palette::Glint, 0);
    cairo_set_source(cr, line);
    cairo_rectangle(cr, area.x, horizonY - 0.5, area.w, 1.2);
    cairo_fill(cr);
    cairo_pattern_destroy(line);
    cairo_restore(cr);
}

} // namespace keltraWorks
