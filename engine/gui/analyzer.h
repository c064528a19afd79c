// Analyzer: an oscilloscope that draws the samples being heard as two line
// traces, each frame, over the widget's top-left corner.
//
// Its look is part of the screen's design: both traces start at the widget's
// left edge and step (right edge / 1022) logical units per interleaved sample,
// so they run past the widget's right side (about twice as far for stereo).
// The first trace (red) plots the raw sample values about the top edge; the
// second (orange) plots them scaled by the widget's height. For stereo the
// traces follow the first and second channel; for mono both follow the one
// channel. Only the alpha of the tint and the blend factors affect the look.
//
// The samples come from a SampleSource (sample_source.h), which the widget
// owns once given. Without one, with no channels (or an unbelievable number)
// or when the read fails, it draws no traces (children and the paint action
// still run). The samples are read afresh each frame into a buffer freed
// before draw returns, and only the samples actually read are drawn.
// Ownership and units as for Object (object.h). Window thread only; draw
// needs a renderer.
#pragma once

#include "engine/gui/sample_source.h"
#include "engine/gui/static.h"

#include <memory>

namespace keltraWorks {

class Analyzer : public Static {
  public:
    Analyzer(Object* parent, const char* name);

    void draw(Renderer* renderer) override;
    std::string getType() const override;

    // Takes the source, replacing (and deleting) the one held; null leaves
    // the widget without one.
    void setSource(std::unique_ptr<SampleSource> newSource);
    SampleSource* getSource() const { return source.get(); }

  private:
    void drawWave(Renderer* renderer);

    std::unique_ptr<SampleSource> source;
};

} // namespace keltraWorks
