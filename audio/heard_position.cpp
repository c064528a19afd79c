#include "audio/heard_position.h"

#include <cmath>

namespace keltraWorks {

void HeardPosition::mark(double start, int frames, double step, uint64_t heardNs) {
    if (count == MaxMarks) {
        const Mark& gone = marks[oldest];
        standing = gone.start + gone.frames * gone.step;
        oldest = (oldest + 1) % MaxMarks;
        --count;
    }
    marks[(oldest + count) % MaxMarks] = Mark{start, frames, step, heardNs};
    ++count;
}

void HeardPosition::freeze(double frame) {
    standing = frame;
    count = 0;
}

double HeardPosition::positionAt(uint64_t nowNs, int deviceRate) const {
    // The newest buffer whose sound has begun; the latency may have shrunk
    // between marks, so a newer one can begin before an older one ends.
    for (int i = count - 1; i >= 0; --i) {
        const Mark& m = marks[(oldest + i) % MaxMarks];
        if (m.heardNs <= nowNs) {
            double played = static_cast<double>(nowNs - m.heardNs) * 1e-9 * deviceRate;
            return m.start + std::fmin(played, m.frames) * m.step;
        }
    }
    return standing;
}

int64_t HeardPosition::frameAt(uint64_t nowNs, int deviceRate) const {
    // Clock readings are whole nanoseconds: a frame reached to within a
    // thousandth counts as reached.
    return static_cast<int64_t>(std::floor(positionAt(nowNs, deviceRate) + 1e-3));
}

} // namespace keltraWorks
