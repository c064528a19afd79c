// The master peak limiter. It works on blocks of `BlockFrames` stereo frames
// and delays the signal by exactly one block: while block k + 1 is read, block
// k is written out with a gain that moves in a straight line from where the
// previous block ended to a value low enough for both blocks. Every gain along
// that line is low enough for block k, so no output sample exceeds the
// ceiling, and the gain never jumps, so the limiter adds no clicks. Gain comes
// back up slowly (release). One thread per limiter.
#pragma once

namespace keltraWorks {

class Limiter {
  public:
    static constexpr int BlockFrames = 256;

    // `ceiling` is the largest absolute sample value let through (linear);
    // `release` the seconds the gain takes to climb from 0.5 back to 1.
    explicit Limiter(float ceiling, float release = 0.4f);

    // Takes one block in place and gives back the block before it (zeros for
    // the first call).
    void processBlock(float* left, float* right);

    // The lowest gain applied so far, for reports.
    float lowestGain() const { return lowest; }

  private:
    float ceiling;
    float risePerBlock;
    float held[2][BlockFrames] = {};
    float heldNeed = 1; // gain the held block needs
    float gain = 1;     // gain at the end of the last written block
    float lowest = 1;
};

} // namespace keltraWorks
