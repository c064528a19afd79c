#include "audio/heard_position.h"

#include <cmath>

namespace keltraWorks {

void HeardPosition::mark(double startFrame, int bufferFrames, double stepFrames, uint64_t nowNs) {
    start = startFrame;
    frames = bufferFrames;
    step = stepFrames;
    handedNs = nowNs;
}

void HeardPosition::freeze(double frame) {
    start = frame;
    frames = 0;
}

int64_t HeardPosition::frameAt(uint64_t nowNs, int deviceRate) const {
    double played = 0.0;
    if (frames > 0 && nowNs > handedNs) {
        played = static_cast<double>(nowNs - handedNs) * 1e-9 * deviceRate;
        if (played > frames) {
            played = frames;
        }
    }
    // Clock readings are whole nanoseconds: a frame reached to within a
    // thousandth counts as reached.
    return static_cast<int64_t>(std::floor(start + played * step + 1e-3));
}

} // namespace keltraWorks
