// The two send effects every section of the music uses: a tempo-synced
// ping-pong echo and a stereo reverb (an eight-line feedback delay network).
// Both add their wet signal into the output buffers the caller passes. Frames
// at 44100 a second; times in seconds. Each object owns its delay memory;
// one thread per object.
#pragma once

#include <cstdint>
#include <vector>

namespace keltraWorks {

class StereoDelay {
  public:
    StereoDelay();
    // `time` in seconds (at most 2), `feedback` 0..0.9, `tone` the cutoff of
    // the darkening filter in the feedback path, in Hz.
    void configure(float time, float feedback, float tone);
    // Reads `n` frames of send from inL/inR and adds the echoes to outL/outR.
    void process(const float* inL, const float* inR, float* outL, float* outR, int n);

  private:
    std::vector<float> left, right;
    uint32_t mask;
    uint32_t write = 0;
    uint32_t delay = 1;
    float feedback = 0.3f;
    float toneA = 0.5f;
    float lpL = 0, lpR = 0;
};

class Reverb {
  public:
    Reverb();
    // `size` scales the delay lengths (0.5..2), `decay` is the time in
    // seconds for the tail to fall by 60 dB, `damping` 0..1 darkens it.
    void configure(float size, float decay, float damping);
    void process(const float* inL, const float* inR, float* outL, float* outR, int n);

  private:
    static constexpr int Lines = 8;
    // Every line has the same power-of-two ring, longer than the longest
    // line at the largest size; the lines lie one after another in `lines`.
    static constexpr uint32_t LineSize = 8192;
    static constexpr uint32_t DiffuserSize = 1024;
    std::vector<float> lines;
    uint32_t length[Lines];
    uint32_t write = 0; // index in every line's ring
    float gain[Lines];
    float damp[Lines] = {};
    float dampA = 0.5f;
    // Two all-pass stages smear the input before it reaches the network.
    std::vector<float> diffuser[2];
    uint32_t diffuserLength[2] = {0, 0};
    uint32_t diffuserWrite = 0;
};

} // namespace keltraWorks
