// Turns a named face into the 256 one-bit glyph bitmaps of the Windows-1252
// code page plus the face's metrics, for the renderer's bitmap fonts.
// fontconfig chooses the face (it substitutes a similar face for a name it
// does not know, e.g. a metric-compatible one for "Courier New"); FreeType
// renders it. Bold and italic are synthesised when the chosen face lacks
// them; underline is drawn into every glyph across its advance.
//
// Height rule (as for Windows fonts): height > 0 is the cell height
// (ascent + descent) in pixels, height < 0 the character (em) height, 0 the
// default cell height of 16 pixels.
//
// Pure data out, no GL: bitmaps are in the layout glBitmap takes (rows bottom
// up, MSB = leftmost pixel, rows byte-aligned). Units: pixels.
// Not thread-safe (fontconfig's default configuration is shared).
#pragma once

#include "engine/render/font_info.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace keltraWorks {

struct GlyphBitmap {
    int32_t width = 0;  // pixels
    int32_t height = 0; // rows
    // Position of the glyph origin (on the baseline) measured from the
    // bitmap's lower-left corner, as glBitmap's xorig/yorig.
    float xOrigin = 0.0f;
    float yOrigin = 0.0f;
    float advance = 0.0f;      // raster move after the glyph, pixels to the right
    std::vector<uint8_t> rows; // height rows, bottom row first

    int32_t bytesPerRow() const { return (width + 7) / 8; }
    // Pixel (x, y) with y counted from the bottom row; false outside.
    bool pixel(int32_t x, int32_t y) const;
};

using GlyphSet = std::array<GlyphBitmap, 256>;

// Unicode code point of a Windows-1252 byte; the five unassigned bytes map
// to the C1 control of the same value, as Windows does.
uint32_t windows1252ToUnicode(uint8_t code);

// Fills the metrics and charWidths of `info` (its faceName, height request
// sign aside, and style flags are taken from the arguments) and the glyphs.
// False when no face could be found or loaded: `info` metrics and the glyphs
// are then left empty (all zero).
bool rasterizeFont(const std::string& faceName, int height, bool bold, bool italic, bool underline,
                   FontInfo* info, GlyphSet* glyphs);

} // namespace keltraWorks
