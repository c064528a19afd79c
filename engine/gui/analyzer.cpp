#include "engine/gui/analyzer.h"

#include "engine/render/renderer.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace keltraWorks {

namespace {

// Samples fetched per channel each frame.
constexpr std::size_t FramesPerChannel = 1024;
// A channel count above this is not believable sound; drawing it would only
// mean a huge buffer.
constexpr unsigned MaxChannels = 32;

} // namespace

Analyzer::Analyzer(Object* parent, const char* name) : Static(parent, name) {}

std::string Analyzer::getType() const {
    return "Analyzer Widget";
}

void Analyzer::setSource(std::unique_ptr<SampleSource> newSource) {
    source = std::move(newSource);
}

void Analyzer::draw(Renderer* renderer) {
    update();
    if (hidden) {
        return;
    }
    renderer->pushState();
    if (blendSource == BlendZero && blendDestination == BlendZero) {
        renderer->disableBlend();
    } else {
        renderer->setBlend(blendSource, blendDestination);
    }
    // The traces are drawn in a frame whose origin is the widget's top-left
    // corner, on a fresh modelview matrix.
    const vector4 r = getRect();
    renderer->pushState();
    renderer->loadIdentity();
    renderer->translate(r.x, r.y);
    drawWave(renderer);
    renderer->popState();
    renderer->disableBlend();
    renderer->popState();
    drawChildren(renderer);
}

void Analyzer::drawWave(Renderer* renderer) {
    if (!source) {
        return;
    }
    const unsigned channels = source->channels();
    if (channels == 0 || channels > MaxChannels) {
        return;
    }
    const std::size_t c = channels;
    std::vector<float> samples(c * FramesPerChannel, 0.0f);
    std::size_t written = 0;
    if (!source->read(samples.data(), samples.size(), &written)) {
        return;
    }
    // Never past what the source says it wrote.
    const std::size_t n = std::min(written, samples.size());

    // The step uses the right edge, not the width: the traces' length is part
    // of the screen's look (see the header).
    const float sx = getRect().z / 1022.0f;
    const float height = getSize().y;
    const float alpha = color.w;

    renderer->setLineWidth(1.0f);
    renderer->setColor(1.0f, 0.0f, 0.0f, alpha);
    renderer->begin(PrimitiveLines);
    for (std::size_t i = 0; i + 2 < n; i += c) {
        renderer->vertex(float(i) * sx, samples[i]);
        renderer->vertex(float(i + 2) * sx, samples[i + 2]);
    }
    renderer->end();

    renderer->setColor(1.0f, 0.5647f, 0.0078f, alpha);
    renderer->begin(PrimitiveLines);
    for (std::size_t i = 1; i + 4 < n; i += c) {
        renderer->vertex(float(i) * sx, samples[i] * height);
        renderer->vertex(float(i + 2) * sx, samples[i + 2] * height);
    }
    renderer->end();
}

} // namespace keltraWorks
