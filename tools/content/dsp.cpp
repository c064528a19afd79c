#include "tools/content/dsp.h"

#include <algorithm>

namespace keltraWorks {

const WaveTables& WaveTables::get() {
    static const WaveTables tables;
    return tables;
}

WaveTables::WaveTables() {
    for (int i = 0; i <= Size; ++i) {
        sineTable[i] = float(std::sin(2.0 * M_PI * (i % Size) / Size));
    }
    // Band b serves pitches up to 20 Hz x 2^(b + 1).
    for (int b = 0; b < Bands; ++b) {
        const double top = 20.0 * std::exp2(b + 1);
        const int harmonics = std::max(1, int(18000.0 / top));
        for (int w = 0; w < 3; ++w) {
            float* t = bands[w][b];
            double peak = 0;
            for (int i = 0; i < Size; ++i) {
                double v = 0;
                for (int h = 1; h <= harmonics && h < Size / 2; ++h) {
                    // The sine table at index h * i wraps exactly, so each
                    // harmonic is read without calling sin again.
                    const double s = sineTable[(size_t(h) * i) % Size];
                    if (w == 0) { // saw
                        v += s / h;
                    } else if (w == 1 && (h & 1)) { // square
                        v += s / h;
                    } else if (w == 2 && (h & 1)) { // triangle, alternating signs
                        v += ((h / 2) & 1 ? -1.0 : 1.0) * s / (double(h) * h);
                    }
                }
                t[i] = float(v);
                peak = std::max(peak, std::fabs(v));
            }
            for (int i = 0; i < Size; ++i) {
                t[i] = float(t[i] / peak);
            }
            t[Size] = t[0];
        }
    }
}

const float* WaveTables::table(Wave wave, float hz) const {
    if (wave == Wave::Sine) {
        return sineTable;
    }
    int b = 0;
    while (b < Bands - 1 && hz > 20.0f * std::exp2(float(b + 1))) {
        ++b;
    }
    const int w = wave == Wave::Saw ? 0 : wave == Wave::Square ? 1 : 2;
    return bands[w][b];
}

} // namespace keltraWorks
