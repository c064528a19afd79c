#include "engine/render/font_rasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace keltraWorks {

namespace {

constexpr int DefaultCellHeight = 16;

// Bytes 0x80..0x9F of Windows-1252; the rest of the page is Latin-1.
constexpr uint16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct FaceFile {
    std::string path;
    int index = 0;
};

bool findFace(const std::string& faceName, bool bold, bool italic, FaceFile* out) {
    if (!FcInit()) {
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    int index = 0;
    bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr;
    if (found) {
        out->path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        out->index = index;
    }
    FcPatternDestroy(match);
    return found;
}

// Design-unit ascent and descent that make up the cell, as Windows uses them
// for TrueType faces (the OS/2 "win" values when present).
void cellExtent(FT_Face face, double* ascent, double* descent) {
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
    } else if (face->ascender - face->descender > 0) {
        *ascent = face->ascender;
        *descent = -face->descender;
    } else {
        *ascent = face->units_per_EM;
        *descent = 0;
    }
}

class FreeTypeFace {
  public:
    ~FreeTypeFace() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
    bool open(const FaceFile& file) {
        return FT_Init_FreeType(&library) == 0 &&
               FT_New_Face(library, file.path.c_str(), file.index, &face) == 0;
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

int32_t rounded(double v) {
    return static_cast<int32_t>(std::lround(v));
}

// Packs the glyph in the slot (and the underline stroke, when wanted) into a
// bottom-up one-bit bitmap.
GlyphBitmap packGlyph(FT_GlyphSlot slot, bool underline, int32_t underlineBottom,
                      int32_t underlineTop) {
    GlyphBitmap g;
    const FT_Bitmap& bm = slot->bitmap;
    const int32_t advance = rounded(slot->advance.x / 64.0);
    g.advance = static_cast<float>(advance);
    const int32_t left = slot->bitmap_left;
    const int32_t top = slot->bitmap_top;
    const int32_t w = static_cast<int32_t>(bm.width);
    const int32_t rows = static_cast<int32_t>(bm.rows);
    const bool hasGlyph = w > 0 && rows > 0 && bm.buffer != nullptr;
    const bool hasLine = underline && advance > 0;
    if (!hasGlyph && !hasLine) {
        return g;
    }

    // Pass 1: the box covering the glyph and the underline, in pixels from
    // the origin (x right, y up).
    int32_t x0 = hasGlyph ? left : 0;
    int32_t x1 = hasGlyph ? left + w : advance;
    int32_t y0 = hasGlyph ? top - rows : underlineBottom;
    int32_t y1 = hasGlyph ? top : underlineTop;
    if (hasLine) {
        x0 = std::min(x0, 0);
        x1 = std::max(x1, advance);
        y0 = std::min(y0, underlineBottom);
        y1 = std::max(y1, underlineTop);
    }
    g.width = x1 - x0;
    g.height = y1 - y0;
    g.xOrigin = static_cast<float>(-x0);
    g.yOrigin = static_cast<float>(-y0);
    const int32_t stride = g.bytesPerRow();
    g.rows.assign(static_cast<size_t>(stride) * static_cast<size_t>(g.height), 0);
    auto set = [&](int32_t x, int32_t y) { // origin-relative, y up
        const int32_t col = x - x0;
        const int32_t row = y - y0;
        g.rows[static_cast<size_t>(row * stride + col / 8)] |= uint8_t(0x80u >> (col % 8));
    };

    // Pass 2: the glyph's own pixels; FreeType rows run top-down.
    if (hasGlyph) {
        for (int32_t r = 0; r < rows; ++r) {
            const uint8_t* src = bm.buffer + static_cast<std::ptrdiff_t>(r) * bm.pitch;
            for (int32_t c = 0; c < w; ++c) {
                const bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO
                                    ? (src[c / 8] & (0x80u >> (c % 8))) != 0
                                    : src[c] >= 128;
                if (on) {
                    set(left + c, top - 1 - r);
                }
            }
        }
    }
    // Pass 3: the underline stroke across the advance.
    if (hasLine) {
        for (int32_t y = underlineBottom; y < underlineTop; ++y) {
            for (int32_t x = 0; x < advance; ++x) {
                set(x, y);
            }
        }
    }
    return g;
}

} // namespace

bool GlyphBitmap::pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return false;
    }
    return (rows[static_cast<size_t>(y * bytesPerRow() + x / 8)] & (0x80u >> (x % 8))) != 0;
}

uint32_t windows1252ToUnicode(uint8_t code) {
    if (code >= 0x80 && code <= 0x9F) {
        return HighControls[code - 0x80];
    }
    return code;
}

bool rasterizeFont(const std::string& faceName, int height, bool bold, bool italic, bool underline,
                   FontInfo* info, GlyphSet* glyphs) {
    *info = FontInfo(faceName, std::abs(height), bold, italic, underline);
    *glyphs = GlyphSet{};

    FaceFile file;
    FreeTypeFace ft;
    if (!findFace(faceName, bold, italic, &file) || !ft.open(file)) {
        std::fprintf(stderr, "glint: render: no face found for \"%s\"\n", faceName.c_str());
        return false;
    }
    FT_Face face = ft.face;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        std::fprintf(stderr, "glint: render: face \"%s\" is not scalable\n", faceName.c_str());
        return false;
    }

    // Pass 1: the character (em) size from the Windows height rule.
    double ascentUnits = 0;
    double descentUnits = 0;
    cellExtent(face, &ascentUnits, &descentUnits);
    const double em = height < 0 ? -height
                                 : (height == 0 ? DefaultCellHeight : height) *
                                       double(face->units_per_EM) / (ascentUnits + descentUnits);
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64.0)), 72, 72) != 0) {
        return false;
    }
    const double scale = em / face->units_per_EM;

    // Pass 2: the metrics record. A positive request is the cell height
    // itself, so the descent takes up any rounding.
    info->ascent = rounded(ascentUnits * scale);
    info->descent = height > 0 ? height - info->ascent : rounded(descentUnits * scale);
    info->lineHeight = info->ascent + info->descent;
    info->maxWidth = rounded(face->max_advance_width * scale);
    info->overhang = 0;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0) {
        info->averageWidth = rounded(os2->xAvgCharWidth * scale);
    }

    // Pass 3: every glyph of the code page, synthesising missing styles.
    const bool emboldenGlyphs = bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    const bool slantGlyphs = italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    const double thickness = std::max(1.0, std::round(face->underline_thickness * scale));
    const int32_t underlineBottom = rounded(face->underline_position * scale - thickness / 2.0);
    const int32_t underlineTop = underlineBottom + static_cast<int32_t>(thickness);
    FT_Int32 flags = FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP;
    for (int c = 0; c < 256; ++c) {
        const FT_UInt index = FT_Get_Char_Index(face, windows1252ToUnicode(uint8_t(c)));
        if (FT_Load_Glyph(face, index, flags) != 0) {
            continue;
        }
        if (emboldenGlyphs) {
            FT_GlyphSlot_Embolden(face->glyph);
        }
        if (slantGlyphs) {
            FT_GlyphSlot_Oblique(face->glyph);
        }
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) {
            continue;
        }
        (*glyphs)[size_t(c)] = packGlyph(face->glyph, underline, underlineBottom, underlineTop);
        info->charWidths[size_t(c)] = static_cast<int32_t>((*glyphs)[size_t(c)].advance);
    }
    if (info->averageWidth == 0) {
        info->averageWidth = info->charWidths['x'];
    }
    return true;
}

} // namespace keltraWorks
