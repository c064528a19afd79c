// The whole recording as one stream of stereo frames: the ten pieces one
// after another, each starting exactly at its section's frame, then silence
// to the end, all through the master limiter (peaks at most -1.5 dBFS). A
// shorter total length scales every section start by the same factor, which
// gives the quick test recordings. A synthesiser may also start at a later
// section, with a limiter of its own, so stretches of the recording can be
// made independently. Frames are at 44100 a second and counted from the
// start of the whole recording. Rendering is strictly sequential and
// deterministic. One thread per object.
#pragma once

#include "tools/content/limiter.h"
#include "tools/content/section_synth.h"

#include <array>
#include <cstdint>
#include <memory>

namespace keltraWorks {

class MusicSynth {
  public:
    // `seconds` is the total length; MusicSeconds gives the full recording.
    // Rendering starts at the first frame of section `firstSection`.
    explicit MusicSynth(double seconds, int firstSection = 0);

    int64_t totalFrames() const { return total; }
    int64_t sectionStart(int section) const { return starts[size_t(section)]; }
    // Frames written so far.
    int64_t position() const { return written; }

    // Writes the next `n` frames; past the end they are silent.
    void render(float* left, float* right, int n);

    float lowestLimiterGain() const { return limiter.lowestGain(); }

    // The ceiling the limiter holds every sample under.
    static constexpr float Ceiling = 0.8414f; // -1.5 dBFS

  private:
    void synthesise(float* left, float* right, int n); // before the limiter

    int64_t total;
    int64_t fadedEnd;
    std::array<int64_t, SectionCount + 1> starts{};
    int section = -1;
    std::unique_ptr<SectionSynth> current;
    int64_t synthPosition = 0; // ahead of `written` by one limiter block
    int64_t written = 0;
    Limiter limiter{Ceiling};
    float pendingL[Limiter::BlockFrames], pendingR[Limiter::BlockFrames];
    int pendingAt = Limiter::BlockFrames; // frames of `pending` already handed out
};

} // namespace keltraWorks
