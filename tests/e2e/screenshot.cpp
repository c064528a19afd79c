#include "tests/e2e/screenshot.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace glintE2e {

namespace {

// The next header number of a PPM, skipping white space and comments.
bool readNumber(const std::vector<uint8_t>& data, size_t* at, int* value) {
    while (*at < data.size()) {
        const char c = static_cast<char>(data[*at]);
        if (c == '#') {
            while (*at < data.size() && data[*at] != '\n') {
                ++*at;
            }
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++*at;
        } else {
            break;
        }
    }
    long v = 0;
    size_t digits = 0;
    while (*at < data.size() && data[*at] >= '0' && data[*at] <= '9' && digits < 6) {
        v = v * 10 + (data[*at] - '0');
        ++*at;
        ++digits;
    }
    *value = static_cast<int>(v);
    return digits > 0;
}

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

bool Screenshot::loadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> data{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    pixels.clear();
    w = h = 0;
    if (data.size() < 2 || data[0] != 'P' || data[1] != '6') {
        return false;
    }
    size_t at = 2;
    int width = 0, height = 0, maxValue = 0;
    if (!readNumber(data, &at, &width) || !readNumber(data, &at, &height) ||
        !readNumber(data, &at, &maxValue) || maxValue != 255 || width <= 0 || height <= 0) {
        return false;
    }
    ++at; // the single white-space byte before the samples
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    if (data.size() < at + bytes) {
        return false;
    }
    pixels.assign(data.begin() + static_cast<long>(at),
                  data.begin() + static_cast<long>(at + bytes));
    w = width;
    h = height;
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
