// The desktop icon: a 256 x 256 RGBA picture of the album's emblem, the
// four-pointed sparkle over the low sun on night water, on a rounded square
// with transparent corners. Drawn deterministically; the install step puts
// it where desktops look for application icons. Sizes are pixels.
#pragma once

#include <string>

namespace keltraWorks {

constexpr int AppIconSize = 256;

// Draws the icon and writes it as a PNG file at `path`. False with `error`
// set when drawing or writing fails.
bool writeAppIcon(const std::string& path, std::string* error);

} // namespace keltraWorks
