// Metrics of one bitmap font made by Renderer::createFont, kept by the
// renderer and indexed by the 0-based font index. Values are in pixels of the
// rasterised face; `height` is the absolute value of the requested height
// (positive request: cell height, negative: character height).
// `charWidths[c]` is the full advance of character code c (Windows-1252).
// All metrics start at 0 and stay 0 when no face could be loaded.
// A plain value record; single-threaded.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace keltraWorks {

class FontInfo {
  public:
    FontInfo() = default;
    FontInfo(const std::string& faceName, int32_t height, bool bold, bool italic, bool underline);

    std::string faceName;
    int32_t height = 0;
    int32_t averageWidth = 0;
    int32_t lineHeight = 0;
    int32_t maxWidth = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t overhang = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::array<int32_t, 256> charWidths{};
};

} // namespace keltraWorks
