#include "tests/e2e/png_fixture.h"

#include "tools/content/png_writer.h"

#include <cstdint>
#include <vector>

namespace glintE2e {

std::string makePng(int width, int height, PngKind kind) {
    keltraWorks::PngPicture picture;
    picture.width = static_cast<uint32_t>(width);
    picture.height = static_cast<uint32_t>(height);
    int channels = 1;
    switch (kind) {
    case PngKind::Palette8:
        picture.colourType = 3;
        for (int i = 0; i < 256; ++i) {
            picture.palette.push_back(static_cast<uint8_t>(i));
            picture.palette.push_back(static_cast<uint8_t>(255 - i));
            picture.palette.push_back(static_cast<uint8_t>(i * 3));
        }
        break;
    case PngKind::Grey8:
        picture.colourType = 0;
        break;
    case PngKind::GreyAlpha8:
        picture.colourType = 4;
        channels = 2;
        break;
    case PngKind::Rgb16:
        picture.colourType = 2;
        picture.bitDepth = 16;
        channels = 3;
        break;
    case PngKind::Rgba16:
        picture.colourType = 6;
        picture.bitDepth = 16;
        channels = 4;
        break;
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const auto value = static_cast<uint8_t>(x + y + c * 40);
                picture.rows.push_back(value);
                if (picture.bitDepth == 16) {
                    picture.rows.push_back(value ^ 0x5A);
                }
            }
        }
    }
    const std::vector<uint8_t> png = keltraWorks::encodePng(picture);
    return std::string(png.begin(), png.end());
}

std::string garbageBytes(size_t count, unsigned seed) {
    std::string out(count, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (char& c : out) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return out;
}

} // namespace glintE2e
