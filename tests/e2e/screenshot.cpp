#include "tests/e2e/screenshot.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace glintE2e {

namespace {

Rect clipped(Rect r, int w, int h) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, w);
    r.bottom = std::min(r.bottom, h);
    return r;
}

template <class Test> double share(Rect region, int w, int h, Test test) {
    const Rect r = clipped(region, w, h);
    long total = 0;
    long hits = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            ++total;
            hits += test(x, y) ? 1 : 0;
        }
    }
    return total == 0 ? 0.0 : static_cast<double>(hits) / static_cast<double>(total);
}

bool close(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

} // namespace

bool Screenshot::assign(int width, int height, std::vector<uint8_t> rgb) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
        return false;
    }
    w = width;
    h = height;
    pixels = std::move(rgb);
    return true;
}

Rgb Screenshot::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) {
        return {};
    }
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 3;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
}

double Screenshot::shareNear(Rect region, Rgb want, int tolerance) const {
    return share(region, w, h, [&](int x, int y) { return close(pixel(x, y), want, tolerance); });
}

double Screenshot::shareDarkerThan(Rect region, int luminance) const {
    return share(region, w, h, [&](int x, int y) {
        const Rgb c = pixel(x, y);
        return (c.r + c.g + c.b) / 3 < luminance;
    });
}

double Screenshot::shareLightChanged(const Screenshot& other, Rect region, int minChannel) const {
    if (other.w != w || other.h != h) {
        return 1.0;
    }
    auto light = [minChannel](Rgb c) {
        return c.r >= minChannel && c.g >= minChannel && c.b >= minChannel;
    };
    return share(region, w, h,
                 [&](int x, int y) { return light(pixel(x, y)) != light(other.pixel(x, y)); });
}

std::string describe(Rgb colour) {
    return "(" + std::to_string(colour.r) + ", " + std::to_string(colour.g) + ", " +
           std::to_string(colour.b) + ")";
}

} // namespace glintE2e
