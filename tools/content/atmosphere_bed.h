// Background sound beds: wind, rain, waves, water bubbles and mains hum, a
// quiet layer of noise under the music. `render` adds the bed into the
// stereo buffers given (frames at 44100 a second); levels linear. The bed
// owns its state; one thread per bed.
#pragma once

#include "tools/content/dsp.h"
#include "tools/content/instrument_basics.h"

#include <cstdint>

namespace keltraWorks {

enum class Atmosphere { None, Wind, Rain, Waves, Bubbles, Hum };

class AtmosphereBed {
  public:
    void configure(Atmosphere kind, float level, uint32_t seed);
    bool silent() const { return kind == Atmosphere::None || level <= 0; }
    // `motion` 0..1 from the arrangement makes the bed busier.
    void render(float* left, float* right, int n, float motion);

  private:
    Atmosphere kind = Atmosphere::None;
    float level = 0;
    Noise noise;
    Svf filterL, filterR;
    uint32_t lfo = 0, lfo2 = 0;
    int countdown = 0;
    float dropL = 0, dropR = 0, dropMul = 0.99f;
    // Bubbles: a sine whose pitch rises quickly.
    uint32_t bubblePhase = 0;
    float bubbleHz = 0, bubbleRise = 1, bubbleLevel = 0;
    PanGains bubblePan{0.7f, 0.7f};
    uint32_t humPhase[3] = {0, 0, 0};
};

} // namespace keltraWorks
