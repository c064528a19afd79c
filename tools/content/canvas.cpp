#include "tools/content/canvas.h"

namespace keltraWorks {

Canvas::Canvas(int width, int height, bool withAlpha)
    : w(width), h(height), alpha(withAlpha),
      surface(cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                         width, height)),
      cr(cairo_create(surface)) {}

Canvas::~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

bool Canvas::ok() const {
    return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
           cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}

std::vector<uint8_t> Canvas::pixels() const {
    const int channels = alpha ? 4 : 3;
    std::vector<uint8_t> out(size_t(w) * h * channels, 0);
    if (!ok()) {
        return out;
    }
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        // Cairo keeps each pixel as one native-endian 32-bit word, alpha in the
        // top byte, colour premultiplied by alpha.
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        uint8_t* dst = out.data() + size_t(y) * w * channels;
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            unsigned a = alpha ? (p >> 24) & 0xff : 255;
            unsigned r = (p >> 16) & 0xff;
            unsigned g = (p >> 8) & 0xff;
            unsigned b = p & 0xff;
            if (alpha) {
                if (a == 0) {
                    r = g = b = 0;
                } else if (a < 255) {
                    r = (r * 255 + a / 2) / a;
                    g = (g * 255 + a / 2) / a;
                    b = (b * 255 + a / 2) / a;
                    r = r > 255 ? 255 : r;
                    g = g > 255 ? 255 : g;
                    b = b > 255 ? 255 : b;
                }
            }
            dst[x * channels + 0] = uint8_t(r);
            dst[x * channels + 1] = uint8_t(g);
            dst[x * channels + 2] = uint8_t(b);
            if (alpha) {
                dst[x * channels + 3] = uint8_t(a);
            }
        }
    }
    return out;
}

} // namespace keltraWorks
