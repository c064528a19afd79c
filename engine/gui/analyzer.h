// Analyzer: an oscilloscope that draws the samples currently heard on an audio
// channel as two line traces, each frame, over the widget's top-left corner.
//
// Its look is part of the screen's design: both traces start at the widget's
// left edge and step (right edge / 1022) logical units per interleaved sample,
// so they run past the widget's right side (about twice as far for stereo).
// The first trace (red) plots the raw sample values about the top edge; the
// second (orange) plots them scaled by the widget's height. For stereo the
// traces follow the first and second channel; for mono both follow the one
// channel. Only the alpha of the tint and the blend factors affect the look.
//
// `stream` is a 32-bit audio channel handle, not owned; 0 or an invalid handle
// draws no traces (children and the paint action still run). The samples are
// fetched afresh each frame into a buffer freed before draw returns, and only
// the samples actually fetched are drawn.
// Ownership and units as for Object (object.h). Window thread only (it calls
// the audio library while drawing); draw needs a renderer.
#pragma once

#include "engine/gui/static.h"

#include <cstdint>

namespace keltraWorks {

class Analyzer : public Static {
  public:
    Analyzer(Object* parent, const char* name);

    void draw(Renderer* renderer) override;
    std::string getType() const override;

    void setStream(uint32_t handle);

    uint32_t stream = 0;

  private:
    void drawWave(Renderer* renderer);
};

} // namespace keltraWorks
