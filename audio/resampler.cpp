#include "audio/resampler.h"

#include <cmath>

namespace keltraWorks {

int resampleToStereo(const HistoryRing& ring, int channels, double from, double step, int frames,
                     int64_t fileEnd, float* out) {
    for (int j = 0; j < frames; ++j) {
        double t = from + j * step;
        auto i = static_cast<int64_t>(std::floor(t));
        float frac = static_cast<float>(t - static_cast<double>(i));
        if (i < ring.begin() || i >= ring.end()) {
            return j;
        }
        int64_t next = i + 1;
        if (frac != 0.0f && next >= ring.end()) {
            if (next < fileEnd) {
                return j; // not decoded yet
            }
            frac = 0.0f; // the last frame of the file: hold it
        }
        const float* a = ring.frame(i);
        const float* b = frac != 0.0f ? ring.frame(next) : a;
        float left = a[0] + (b[0] - a[0]) * frac;
        float right = channels > 1 ? a[1] + (b[1] - a[1]) * frac : left;
        out[2 * j] = left;
        out[2 * j + 1] = right;
    }
    return frames;
}

} // namespace keltraWorks
