// A cairo drawing surface for one picture, and its pixels read back as the
// straight (not premultiplied) 8-bit RGB or RGBA rows that the PNG writer
// stores. Sizes are in pixels. The canvas owns its cairo surface and context;
// one thread per canvas.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace keltraWorks {

class Canvas {
  public:
    // An opaque canvas starts black, a canvas with alpha fully transparent.
    Canvas(int width, int height, bool withAlpha);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* context() const { return cr; }
    int width() const { return w; }
    int height() const { return h; }
    bool hasAlpha() const { return alpha; }
    // False when cairo ran out of memory or met an invalid drawing call.
    bool ok() const;

    // Rows top first, 3 bytes (RGB) or 4 bytes (RGBA) a pixel. Alpha is
    // divided out; a fully transparent pixel comes back as 0, 0, 0, 0.
    std::vector<uint8_t> pixels() const;

  private:
    int w;
    int h;
    bool alpha;
    cairo_surface_t* surface;
    cairo_t* cr;
};

} // namespace keltraWorks
