// Turns an X output's RandR modes into the display-mode list the setup dialog
// offers, numbered the way the window library numbers the same display's
// modes: rate in whole hertz rounded to nearest (0 when the mode carries no
// timings, as on a virtual X server), width and height swapped on a display
// turned a quarter, then largest first (width, height, depth, rate, each
// descending) without repeats. Keeping both orders equal lets the window open
// in exactly the mode chosen in the dialog. Pure functions; sizes in pixels.
#pragma once

#include "engine/platform/display_mode_source.h"

#include <vector>

namespace keltraWorks {

// One RandR mode line: pixel clock in Hz, totals in pixels and lines.
struct XrandrModeLine {
    int width = 0;
    int height = 0;
    unsigned long dotClock = 0;
    unsigned hTotal = 0;
    unsigned vTotal = 0;
};

int xrandrRefreshRate(const XrandrModeLine& line);

std::vector<DisplayMode> displayModesFromXrandr(const std::vector<XrandrModeLine>& lines,
                                                bool quarterTurned, int bitsPerPixel);

} // namespace keltraWorks
