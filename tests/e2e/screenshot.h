// A picture of the whole X screen, as the outside driver captures it, with
// the colour checks the end-to-end tests make: the share of a region that is
// close to a colour or darker than a level, and how much of a region's light
// lettering differs between two pictures. Coordinates are screen pixels,
// (0, 0) top-left; colour channels 0 to 255. A value type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glintE2e {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// Left and top inclusive, right and bottom exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class Screenshot {
  public:
    // Takes 8-bit RGB rows, top to bottom; false when `rgb` does not hold
    // width x height pixels.
    bool assign(int width, int height, std::vector<uint8_t> rgb);

    // Black outside the picture.
    Rgb pixel(int x, int y) const;

    // The share (0 to 1) of the region's pixels within `tolerance` of `want`
    // in every channel.
    double shareNear(Rect region, Rgb want, int tolerance) const;
    // The share of the region's pixels that are darker than `luminance`
    // (the mean of the three channels).
    double shareDarkerThan(Rect region, int luminance) const;
    // The share of the region's pixels that are light (every channel at
    // least `minChannel`) in one picture and not in the other. Saturated
    // colours never count as light, so a coloured trace drawn over the
    // region does not register as a change of its light lettering.
    double shareLightChanged(const Screenshot& other, Rect region, int minChannel) const;

  private:
    int w = 0;
    int h = 0;
    std::vector<uint8_t> pixels;
};

std::string describe(Rgb colour);

} // namespace glintE2e
