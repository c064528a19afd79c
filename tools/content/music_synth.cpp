#include "tools/content/music_synth.h"

#include <algorithm>
#include <cmath>

namespace keltraWorks {

MusicSynth::MusicSynth(double seconds, int firstSection) {
    const double scale = seconds / MusicSeconds;
    total = std::llround(seconds * SampleRate);
    for (int i = 0; i < SectionCount; ++i) {
        starts[size_t(i)] = std::llround(SectionStarts[size_t(i)] * scale * SampleRate);
    }
    fadedEnd = std::llround(MusicFadedSeconds * scale * SampleRate);
    starts[SectionCount] = fadedEnd;
    firstSection = std::clamp(firstSection, 0, SectionCount - 1);
    // The section loop below moves into `firstSection` on the first frame.
    section = firstSection - 1;
    synthPosition = starts[size_t(firstSection)];
    written = synthPosition;
    // Prime the limiter with the first block; what it hands back is the
    // silence before the music, which is dropped.
    float l[Limiter::BlockFrames], r[Limiter::BlockFrames];
    synthesise(l, r, Limiter::BlockFrames);
    limiter.processBlock(l, r);
}

void MusicSynth::synthesise(float* left, float* right, int n) {
    int done = 0;
    while (done < n) {
        // Move on to the section this frame belongs to.
        while (section + 1 < SectionCount && synthPosition >= starts[size_t(section + 1)]) {
            ++section;
            const int64_t length = starts[size_t(section + 1)] - starts[size_t(section)];
            current = std::make_unique<SectionSynth>(sectionStyles()[size_t(section)], length,
                                                     0x67c1u + 7919u * uint64_t(section));
        }
        const int64_t sectionEnd = section >= 0 ? starts[size_t(section + 1)] : 0;
        const int64_t chunk = std::min<int64_t>(n - done, sectionEnd - synthPosition);
        if (!current || chunk <= 0) {
            // The last piece has faded: silence to the end of the recording.
            std::fill(left + done, left + n, 0.0f);
            std::fill(right + done, right + n, 0.0f);
            synthPosition += n - done;
            return;
        }
        current->render(left + done, right + done, int(chunk));
        done += int(chunk);
        synthPosition += chunk;
    }
}

void MusicSynth::render(float* left, float* right, int n) {
    int done = 0;
    while (done < n) {
        if (pendingAt == Limiter::BlockFrames) {
            synthesise(pendingL, pendingR, Limiter::BlockFrames);
            limiter.processBlock(pendingL, pendingR);
            pendingAt = 0;
        }
        const int take = std::min(n - done, Limiter::BlockFrames - pendingAt);
        std::copy(pendingL + pendingAt, pendingL + pendingAt + take, left + done);
        std::copy(pendingR + pendingAt, pendingR + pendingAt + take, right + done);
        pendingAt += take;
        done += take;
    }
    written += n;
}

} // namespace keltraWorks
