#include "tools/content/mp3_splice.h"

#include <algorithm>

namespace keltraWorks {

namespace {

// Byte offsets, in `frames`' stream, of the last `n` main-data bytes before
// the region of frames[end] (or the end of the last region when end is the
// frame count), oldest first. False when the regions of frames [0, end) hold
// fewer than `n` bytes.
bool reservoirTail(const std::vector<Mp3Frame>& frames, size_t end, int n,
                   std::vector<size_t>* offsets) {
    offsets->assign(size_t(n), 0);
    int left = n;
    for (size_t k = end; k-- > 0 && left > 0;) {
        const Mp3Frame& f = frames[k];
        const int take = std::min(left, f.regionSize());
        const size_t regionEnd = f.offset + size_t(f.size);
        for (int i = 0; i < take; ++i) {
            (*offsets)[size_t(left - take + i)] = regionEnd - size_t(take) + size_t(i);
        }
        left -= take;
    }
    return left == 0;
}

} // namespace

bool seamFits(const Mp3Stream& a, const Mp3Stream& b, int64_t seam) {
    if (seam - 1 < a.firstFrame || seam > a.endFrame() || seam - 1 < b.firstFrame ||
        seam >= b.endFrame()) {
        return false;
    }
    // b's frame seam - 1 must also hold enough bytes before the seam frame.
    int64_t held = 0;
    for (int64_t k = b.firstFrame; k < seam && held < b.at(seam).mainDataBegin; ++k) {
        held += b.at(k).regionSize();
    }
    return b.at(seam).mainDataBegin <= a.at(seam - 1).freeAfter() &&
           held >= b.at(seam).mainDataBegin;
}

Mp3Seam findSeam(const Mp3Stream& a, const Mp3Stream& b, int64_t from, int64_t to) {
    Mp3Seam fallback;
    for (int64_t s = from; s < to; ++s) {
        if (!seamFits(a, b, s)) {
            continue;
        }
        if (a.at(s - 1).lastBlockType == b.at(s - 1).lastBlockType) {
            return {s, true};
        }
        if (fallback.frame < 0) {
            fallback.frame = s;
        }
    }
    return fallback;
}

bool Mp3Joiner::append(const Mp3Stream& stream, int64_t from, int64_t to) {
    if (from < stream.firstFrame || to > stream.endFrame() || from >= to) {
        return false;
    }
    const size_t first = size_t(from - stream.firstFrame);
    const int reach = stream.frames[first].mainDataBegin;
    if (reach > 0) {
        std::vector<size_t> source, target;
        if (outFrames.empty() || reach > outFrames.back().freeAfter() ||
            !reservoirTail(stream.frames, first, reach, &source) ||
            !reservoirTail(outFrames, outFrames.size(), reach, &target)) {
            return false;
        }
        for (size_t i = 0; i < source.size(); ++i) {
            out[target[i]] = stream.data[source[i]];
        }
    }
    for (size_t k = first; k < size_t(to - stream.firstFrame); ++k) {
        Mp3Frame f = stream.frames[k];
        const uint8_t* bytes = stream.data + f.offset;
        f.offset = out.size();
        out.insert(out.end(), bytes, bytes + f.size);
        outFrames.push_back(f);
    }
    return true;
}

} // namespace keltraWorks
