#include "engine/platform/xrandr_mode_list.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace keltraWorks {

int xrandrRefreshRate(const XrandrModeLine& line) {
    if (line.hTotal == 0 || line.vTotal == 0) {
        return 0;
    }
    const double frames = double(line.hTotal) * double(line.vTotal);
    return static_cast<int>(std::lround(double(line.dotClock) / frames));
}

std::vector<DisplayMode> displayModesFromXrandr(const std::vector<XrandrModeLine>& lines,
                                                bool quarterTurned, int bitsPerPixel) {
    std::vector<DisplayMode> modes;
    modes.reserve(lines.size());
    for (const XrandrModeLine& line : lines) {
        DisplayMode mode;
        mode.width = quarterTurned ? line.height : line.width;
        mode.height = quarterTurned ? line.width : line.height;
        mode.bitsPerPixel = bitsPerPixel;
        mode.refreshRate = xrandrRefreshRate(line);
        modes.push_back(mode);
    }
    const auto key = [](const DisplayMode& m) {
        return std::make_tuple(m.width, m.height, m.bitsPerPixel, m.refreshRate);
    };
    std::sort(modes.begin(), modes.end(),
              [&key](const DisplayMode& a, const DisplayMode& b) { return key(a) > key(b); });
    modes.erase(std::unique(modes.begin(), modes.end(),
                            [&key](const DisplayMode& a, const DisplayMode& b) {
                                return key(a) == key(b);
                            }),
                modes.end());
    return modes;
}

} // namespace keltraWorks
