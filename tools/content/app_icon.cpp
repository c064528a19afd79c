#include "tools/content/app_icon.h"

#include "tools/content/canvas.h"
#include "tools/content/palette.h"
#include "tools/content/png_writer.h"
#include "tools/content/scenery.h"
#include "tools/content/wordmark.h"

namespace keltraWorks {

bool writeAppIcon(const std::string& path, std::string* error) {
    const double size = AppIconSize;
    Canvas canvas(AppIconSize, AppIconSize, true);
    cairo_t* cr = canvas.context();

    // Everything stays inside a rounded square, as desktop icons are drawn;
    // the corners stay transparent.
    const Rect square{8, 8, size - 16, size - 16};
    roundedRect(cr, square, 44);
    cairo_clip(cr);
    const double horizon = size * 0.66;
    paintNightSky(cr, square, horizon);
    paintStars(cr, {square.x, square.y, square.w, horizon - square.y - 24}, 26, 0x91c0);
    paintSunOverWater(cr, square, size / 2, horizon, 30, 0x2a17);
    drawSparkle(cr, size / 2, size * 0.38, 64, palette::Glint, 1, true);
    cairo_reset_clip(cr);

    // A thin light rim keeps the square apart from dark desktops.
    roundedRect(cr, {square.x + 1, square.y + 1, square.w - 2, square.h - 2}, 43);
    setColour(cr, palette::Mist, 0.35);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);

    if (!canvas.ok()) {
        *error = "cannot draw the icon";
        return false;
    }
    const std::vector<uint8_t> png = encodePng(AppIconSize, AppIconSize, true, canvas.pixels());
    if (png.empty()) {
        *error = "cannot encode the icon";
        return false;
    }
    return writeFileAtomically(path, png, error);
}

} // namespace keltraWorks
