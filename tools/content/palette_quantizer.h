// Reduces an RGB picture to at most 256 colours by median cut: the colour
// cloud is split, box by box, across its widest channel at the weighted
// median until there are enough boxes; each box's mean becomes a palette
// entry and every pixel takes its nearest entry. No dithering, so flat areas
// stay flat. Stateless and deterministic.
#pragma once

#include <cstdint>
#include <vector>

namespace keltraWorks {

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> palette; // 256 x RGB; unused entries are black
    std::vector<uint8_t> indices; // width x height, rows top first
};

// `rgb` holds width x height x 3 bytes. `colours` is 1..256. An empty result
// (width 0) when the sizes do not match.
IndexedImage quantize(int width, int height, const std::vector<uint8_t>& rgb, int colours = 256);

} // namespace keltraWorks
