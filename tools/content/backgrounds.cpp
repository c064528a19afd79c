#include "tools/content/backgrounds.h"

#include "tools/content/lettering.h"
#include "tools/content/palette.h"
#include "tools/content/random.h"
#include "tools/content/scenery.h"
#include "tools/content/section_style.h"
#include "tools/content/wordmark.h"

#include <cmath>
#include <cstdio>

namespace keltraWorks {

namespace {

constexpr double W = 1024, H = 768;

// Where the player draws the oscilloscope's traces: the screen is designed
// around this area, the status strip at its bottom holds the track name and
// the clock (their pictures sit near y = 526..570).
constexpr Rect Screen{30, 212, 604, 362};
constexpr double StripTop = 518;

} // namespace

void drawTitleBackground(cairo_t* cr) {
    const double horizon = 572;
    // Dawn: pale lavender above, warm near the horizon. The whole picture
    // stays light because the logo's dark ink is multiplied onto it.
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, horizon);
    addStop(sky, 0, palette::DawnTop);
    addStop(sky, 0.65, mix(palette::DawnTop, palette::DawnLow, 0.55));
    addStop(sky, 1, palette::DawnLow);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);

    // A pale sun rising behind the emblem, and its soft halo.
    cairo_pattern_t* halo = cairo_pattern_create_radial(W / 2, horizon, 60, W / 2, horizon, 520);
    addStop(halo, 0, palette::Glint, 0.35);
    addStop(halo, 0.5, palette::Ember, 0.08);
    addStop(halo, 1, palette::Ember, 0);
    cairo_set_source(cr, halo);
    cairo_rectangle(cr, 0, 0, W, horizon);
    cairo_fill(cr);
    cairo_pattern_destroy(halo);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, W, horizon);
    cairo_clip(cr);
    setColour(cr, mix(palette::Glint, palette::DawnLow, 0.45), 0.55);
    cairo_arc(cr, W / 2, horizon, 132, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_restore(cr);

    // Still, pale water with the sun's light broken on it.
    cairo_pattern_t* water = cairo_pattern_create_linear(0, horizon, 0, H);
    addStop(water, 0, mix(palette::DawnLow, palette::DawnTop, 0.3));
    addStop(water, 1, mix(palette::DawnTop, palette::MistDim, 0.35));
    cairo_set_source(cr, water);
    cairo_rectangle(cr, 0, horizon, W, H - horizon);
    cairo_fill(cr);
    cairo_pattern_destroy(water);
    Random rnd(0x7171e);
    for (int i = 0; i < 180; ++i) {
        const double d = rnd.uniform();
        const double y = horizon + 3 + d * d * (H - horizon);
        const double spread = 140 + 260 * d;
        const double x = W / 2 + (rnd.uniform() - 0.5) * 2 * spread * rnd.uniform();
        const double length = rnd.range(8, 30) * (1.2 - 0.5 * d);
        setColour(cr, mix(palette::Glint, palette::Mist, 0.3), (0.7 - 0.5 * d) * rnd.range(0.4, 1));
        cairo_rectangle(cr, x - length / 2, y, length, 1.6);
        cairo_fill(cr);
    }
    setColour(cr, palette::Mist, 0.9);
    cairo_rectangle(cr, 0, horizon - 0.5, W, 1.2);
    cairo_fill(cr);
}

void drawLogo(cairo_t* cr) {
    // Dark ink on transparent, centred on the screen. The player multiplies
    // it onto the title picture, so ink darkens and clear areas leave the
    // picture as it is.
    const double xHeight = 86;
    const double width = wordmarkWidth(xHeight);
    const double baseline = 402;
    WordmarkStyle mark;
    mark.xHeight = xHeight;
    mark.ink = palette::Ink;
    mark.spark = palette::Ink;
    mark.glow = false;
    drawWordmark(cr, (W - width) / 2, baseline, mark);

    // A horizon line under the word with a small diamond at its middle.
    const double lineY = 500;
    setColour(cr, palette::Ink, 0.85);
    cairo_rectangle(cr, W / 2 - 190, lineY - 0.9, 178, 1.8);
    cairo_rectangle(cr, W / 2 + 12, lineY - 0.9, 178, 1.8);
    cairo_fill(cr);
    cairo_move_to(cr, W / 2, lineY - 5);
    cairo_line_to(cr, W / 2 + 5, lineY);
    cairo_line_to(cr, W / 2, lineY + 5);
    cairo_line_to(cr, W / 2 - 5, lineY);
    cairo_close_path(cr);
    cairo_fill(cr);

    TextStyle tagline;
    tagline.size = 15;
    tagline.tracking = 5.5;
    setColour(cr, palette::Ink, 0.9);
    drawText(cr, "TEN PIECES FOR LONG NIGHTS", W / 2, 542, tagline, Align::Centre);
}

void drawMainBackground(cairo_t* cr) {
    const double horizon = 604;
    const Rect all{0, 0, W, H};

    // Pass 1: the scene, a night sea with the sun low on the right.
    paintNightSky(cr, all, horizon);
    paintStars(cr, {0, 0, W, horizon - 60}, 230, 0x5ca1ab1e, 1.0);
    paintSunOverWater(cr, all, 792, horizon, 118, 0x9117);

    // Pass 2: the wordmark in the top left corner.
    WordmarkStyle mark;
    mark.xHeight = 34;
    drawWordmark(cr, 46, 112, mark);
    TextStyle small;
    small.size = 11;
    small.tracking = 3.2;
    setColour(cr, palette::MistDim, 0.9);
    drawText(cr, "TEN PIECES FOR LONG NIGHTS", 48, 150, small);

    // Pass 3: the glass panel that holds the oscilloscope and the controls.
    const Rect panel{18, 196, 628, 462};
    cairo_save(cr);
    roundedRect(cr, {panel.x + 4, panel.y + 8, panel.w, panel.h}, 18);
    setColour(cr, palette::NightDeep, 0.55);
    cairo_fill(cr);
    roundedRect(cr, panel, 18);
    cairo_pattern_t* glass = cairo_pattern_create_linear(0, panel.y, 0, panel.y + panel.h);
    addStop(glass, 0, palette::NightHaze, 0.72);
    addStop(glass, 1, palette::Night, 0.88);
    cairo_set_source(cr, glass);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(glass);
    setColour(cr, palette::Mist, 0.16);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_restore(cr);

    // Pass 4: the oscilloscope screen: dark glass, a faint graticule with
    // the traces' centre line, and a status strip along its bottom.
    cairo_save(cr);
    roundedRect(cr, Screen, 10);
    cairo_clip_preserve(cr);
    cairo_pattern_t* tube = cairo_pattern_create_radial(332, 380, 40, 332, 380, 360);
    addStop(tube, 0, mix(palette::ScreenGlass, palette::NightHaze, 0.35));
    addStop(tube, 1, palette::ScreenGlass);
    cairo_set_source(cr, tube);
    cairo_fill(cr);
    cairo_pattern_destroy(tube);
    const double midY = 394; // both traces swing about this line
    cairo_set_line_width(cr, 1);
    for (double x = Screen.x + 17; x < Screen.x + Screen.w; x += 40) {
        setColour(cr, palette::Ice, 0.07);
        cairo_move_to(cr, std::floor(x) + 0.5, Screen.y);
        cairo_line_to(cr, std::floor(x) + 0.5, StripTop);
        cairo_stroke(cr);
    }
    for (double y = midY - 160; y < StripTop; y += 40) {
        setColour(cr, palette::Ice, y == midY ? 0.2 : 0.07);
        cairo_move_to(cr, Screen.x, std::floor(y) + 0.5);
        cairo_line_to(cr, Screen.x + Screen.w, std::floor(y) + 0.5);
        cairo_stroke(cr);
    }
    // Small ticks along the centre line.
    setColour(cr, palette::Ice, 0.22);
    for (double x = Screen.x + 17; x < Screen.x + Screen.w; x += 8) {
        cairo_move_to(cr, std::floor(x) + 0.5, midY - 3);
        cairo_line_to(cr, std::floor(x) + 0.5, midY + 4);
    }
    cairo_stroke(cr);
    // The status strip.
    setColour(cr, palette::NightDeep, 0.75);
    cairo_rectangle(cr, Screen.x, StripTop, Screen.w, Screen.y + Screen.h - StripTop);
    cairo_fill(cr);
    setColour(cr, palette::Ice, 0.22);
    cairo_rectangle(cr, Screen.x, StripTop, Screen.w, 1);
    cairo_fill(cr);
    // A faint reflection across the top of the glass.
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, Screen.y, 0, Screen.y + 90);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.06);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
    cairo_set_source(cr, sheen);
    cairo_rectangle(cr, Screen.x, Screen.y, Screen.w, 90);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen); // the source holds its own reference
    cairo_restore(cr);
    roundedRect(cr, Screen, 10);
    setColour(cr, palette::Ice, 0.25);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);

    // Pass 5: a quiet socket for the close button at (928, 64).
    cairo_arc(cr, 960, 96, 27, 0, 2 * M_PI);
    setColour(cr, palette::NightDeep, 0.5);
    cairo_fill(cr);
}

void drawEndTitleBackground(cairo_t* cr) {
    const double horizon = 560;
    const Rect all{0, 0, W, H};
    paintNightSky(cr, all, horizon);
    // The sun has set: only its afterglow is left, on the left side. The
    // right side, where the credits scroll, stays dark and calm.
    cairo_pattern_t* afterglow = cairo_pattern_create_radial(250, horizon, 10, 250, horizon, 520);
    addStop(afterglow, 0, palette::Ember, 0.45);
    addStop(afterglow, 0.35, palette::Dusk, 0.25);
    addStop(afterglow, 1, palette::Dusk, 0);
    cairo_set_source(cr, afterglow);
    cairo_rectangle(cr, 0, 0, W, horizon);
    cairo_fill(cr);
    cairo_pattern_destroy(afterglow);
    paintStars(cr, {0, 0, 500, horizon - 80}, 120, 0xe7d, 1.0);
    paintStars(cr, {520, 0, 504, horizon - 40}, 40, 0xe7e, 0.45);

    cairo_pattern_t* water = cairo_pattern_create_linear(0, horizon, 0, H);
    addStop(water, 0, mix(palette::Dusk, palette::Night, 0.6));
    addStop(water, 0.4, palette::Night);
    addStop(water, 1, palette::NightDeep);
    cairo_set_source(cr, water);
    cairo_rectangle(cr, 0, horizon, W, H - horizon);
    cairo_fill(cr);
    cairo_pattern_destroy(water);
    Random rnd(0xe7f);
    for (int i = 0; i < 120; ++i) {
        const double d = rnd.uniform();
        const double y = horizon + 3 + d * d * (H - horizon);
        const double x = 250 + (rnd.uniform() - 0.5) * (260 + 300 * d) * rnd.uniform();
        const double length = rnd.range(5, 20);
        setColour(cr, mix(palette::Ember, palette::Dusk, d), (0.45 - 0.35 * d) * rnd.range(0.4, 1));
        cairo_rectangle(cr, x - length / 2, y, length, 1.4);
        cairo_fill(cr);
    }
    cairo_pattern_t* line = cairo_pattern_create_linear(0, 0, W, 0);
    addStop(line, 0, palette::Ember, 0.5);
    addStop(line, 0.45, palette::Ember, 0.25);
    addStop(line, 0.7, palette::Ember, 0);
    cairo_set_source(cr, line);
    cairo_rectangle(cr, 0, horizon - 0.5, W, 1.2);
    cairo_fill(cr);
    cairo_pattern_destroy(line);

    WordmarkStyle mark;
    mark.xHeight = 58;
    const double width = wordmarkWidth(mark.xHeight);
    drawWordmark(cr, 250 - width / 2, 330, mark);
    TextStyle thanks;
    thanks.size = 13;
    thanks.tracking = 4.5;
    setColour(cr, palette::MistDim);
    drawText(cr, "THANK YOU FOR LISTENING", 250, 424, thanks, Align::Centre);
}

void drawCredits(cairo_t* cr) {
    const double cx = CreditsWidth / 2.0;
    double y = 96;

    auto heading = [&](const char* text) {
        y += 46;
        TextStyle s;
        s.size = 11;
        s.bold = true;
        s.tracking = 3.4;
        setColour(cr, palette::Glint, 0.95);
        drawText(cr, text, cx, y, s, Align::Centre);
        y += 8;
    };
    auto line = [&](const std::string& text, double size = 17, Colour c = palette::Mist) {
        y += size + 8;
        TextStyle s;
        s.size = size;
        setColour(cr, c);
        drawText(cr, text, cx, y, s, Align::Centre);
    };

    y += 60;
    WordmarkStyle mark;
    mark.xHeight = 36;
    drawWordmark(cr, cx - wordmarkWidth(mark.xHeight) / 2, y, mark);
    y += 34;
    line("an animated music player", 15, palette::MistDim);

    heading("PROGRAM");
    line("written in C++17 on a small");
    line("real-time presentation engine");
    line("OpenGL \xc2\xb7 SDL2 \xc2\xb7 FLTK \xc2\xb7 DevIL", 14, palette::MistDim);

    heading("MUSIC");
    line("ten pieces, synthesised and");
    line("mixed by the content generator");
    line("encoded with LAME", 14, palette::MistDim);

    heading("TRACKS");
    const auto& styles = sectionStyles();
    for (size_t i = 0; i < styles.size(); ++i) {
        char text[96];
        std::snprintf(text, sizeof text, "%02zu  %s", i + 1, styles[i].score.title.c_str());
        line(text, 14);
        y -= 4;
    }

    heading("PICTURES");
    line("drawn with cairo by the");
    line("content generator");
    line("set in Liberation Sans", 14, palette::MistDim);

    y += 64;
    TextStyle s;
    s.size = 12;
    s.tracking = 4.2;
    setColour(cr, palette::Mist, 0.9);
    drawText(cr, "THANK YOU FOR LISTENING", cx, y, s, Align::Centre);
    drawSparkle(cr, cx, y + 40, 8, palette::Glint, 1, true);
}

} // namespace keltraWorks
