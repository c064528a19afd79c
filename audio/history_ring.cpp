#include "audio/history_ring.h"

#include <algorithm>
#include <cassert>

namespace keltraWorks {

HistoryRing::HistoryRing(int minFrames, int channels) : channels(channels) {
    size = 1;
    while (size < minFrames) {
        size <<= 1;
    }
    mask = size - 1;
    samples.assign(static_cast<size_t>(size) * channels, 0.0f);
}

void HistoryRing::reset(int64_t frame) {
    first = frame;
    last = frame;
}

float* HistoryRing::appendSpace(int* frames) {
    int slot = static_cast<int>(last & mask);
    *frames = size - slot;
    return samples.data() + static_cast<size_t>(slot) * channels;
}

void HistoryRing::commit(int frames) {
    last += frames;
    first = std::max(first, last - size);
}

const float* HistoryRing::frame(int64_t frame) const {
    assert(frame >= first && frame < last);
    return samples.data() + static_cast<size_t>(frame & mask) * channels;
}

void HistoryRing::copy(int64_t from, int frames, float* out) const {
    for (int i = 0; i < frames; ++i) {
        int64_t f = from + i;
        float* dst = out + static_cast<size_t>(i) * channels;
        if (f >= first && f < last) {
            const float* src = frame(f);
            std::copy(src, src + channels, dst);
        } else {
            std::fill(dst, dst + channels, 0.0f);
        }
    }
}

} // namespace keltraWorks
