#include "tools/content/palette_quantizer.h"

#include <algorithm>
#include <array>
#include <map>

namespace keltraWorks {

namespace {

struct Swatch {
    std::array<int, 3> rgb;
    uint64_t count;
};

struct Box {
    size_t begin, end; // range in the swatch list
    int axis = 0;
    int spread = 0;
};

void measure(const std::vector<Swatch>& swatches, Box& box) {
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], swatches[i].rgb[c]);
            hi[c] = std::max(hi[c], swatches[i].rgb[c]);
        }
    }
    box.axis = 0;
    box.spread = -1;
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.spread) {
            box.spread = hi[c] - lo[c];
            box.axis = c;
        }
    }
}

} // namespace

IndexedImage quantize(int width, int height, const std::vector<uint8_t>& rgb, int colours) {
    IndexedImage out;
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * height * 3) {
        return out;
    }
    colours = std::clamp(colours, 1, 256);

    // Pass 1: the distinct colours and how often each occurs.
    std::map<uint32_t, uint64_t> histogram;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        ++histogram[uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]];
    }
    std::vector<Swatch> swatches;
    swatches.reserve(histogram.size());
    for (const auto& [key, count] : histogram) {
        swatches.push_back({{int(key >> 16), int(key >> 8 & 0xff), int(key & 0xff)}, count});
    }

    // Pass 2: split the widest box at its weighted median until there are
    // enough boxes or no box holds more than one colour.
    std::vector<Box> boxes{{0, swatches.size()}};
    measure(swatches, boxes[0]);
    while (int(boxes.size()) < colours) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.spread < b.spread;
        });
        if (widest->spread <= 0) {
            break;
        }
        Box box = *widest;
        const int axis = box.axis;
        std::sort(swatches.begin() + long(box.begin), swatches.begin() + long(box.end),
                  [axis](const Swatch& a, const Swatch& b) {
                      return a.rgb[axis] != b.rgb[axis] ? a.rgb[axis] < b.rgb[axis] : a.rgb < b.rgb;
                  });
        uint64_t total = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            total += swatches[i].count;
        }
        uint64_t running = 0;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            running += swatches[i].count;
            cut = i + 1;
            if (running * 2 >= total) {
                break;
            }
        }
        Box low{box.begin, cut}, high{cut, box.end};
        measure(swatches, low);
        measure(swatches, high);
        *widest = low;
        boxes.push_back(high);
    }

    // Pass 3: one palette entry per box, the count-weighted mean.
    out.width = width;
    out.height = height;
    out.palette.assign(256 * 3, 0);
    for (size_t b = 0; b < boxes.size(); ++b) {
        uint64_t sum[3] = {0, 0, 0}, n = 0;
        for (size_t i = boxes[b].begin; i < boxes[b].end; ++i) {
            for (int c = 0; c < 3; ++c) {
                sum[c] += uint64_t(swatches[i].rgb[c]) * swatches[i].count;
            }
            n += swatches[i].count;
        }
        for (int c = 0; c < 3; ++c) {
            out.palette[b * 3 + c] = uint8_t((sum[c] + n / 2) / n);
        }
    }

    // Pass 4: every distinct colour maps to its nearest entry once.
    std::map<uint32_t, uint8_t> nearest;
    for (const auto& [key, count] : histogram) {
        const int r = int(key >> 16), g = int(key >> 8 & 0xff), bl = int(key & 0xff);
        int best = 0;
        int bestDistance = 1 << 30;
        for (size_t p = 0; p < boxes.size(); ++p) {
            const int dr = r - out.palette[p * 3], dg = g - out.palette[p * 3 + 1],
                      db = bl - out.palette[p * 3 + 2];
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = int(p);
            }
        }
        nearest[key] = uint8_t(best);
    }
    out.indices.resize(size_t(width) * height);
    for (size_t i = 0, p = 0; i < rgb.size(); i += 3, ++p) {
        out.indices[p] = nearest[uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]];
    }
    return out;
}

} // namespace keltraWorks
