#include "engine/gui/analyzer.h"

#include "audio/bass.h"
#include "engine/render/renderer.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace keltraWorks {

namespace {

// Samples fetched per channel each frame.
constexpr std::size_t FramesPerChannel = 1024;
// A channel count above this is not a believable stream; drawing it would
// only mean a huge buffer and a length that no longer fits the request.
constexpr DWORD MaxChannels = 32;

} // namespace

Analyzer::Analyzer(Object* parent, const char* name) : Static(parent, name) {}

std::string Analyzer::getType() const {
    return "Analyzer Widget";
}

void Analyzer::setStream(uint32_t handle) {
    stream = handle;
}

void Analyzer::draw(Renderer* renderer) {
    update();
    if (hidden) {
        return;
    }
    renderer->pushState();
    if (blendSource == 0 && blendDestination == 0) {
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
    BASS_CHANNELINFO info{};
    if (!BASS_ChannelGetInfo(stream, &info)) {
        return;
    }
    const DWORD channels = info.chans;
    if (channels == 0 || channels > MaxChannels) {
        return;
    }
    const std::size_t c = channels;
    std::vector<float> samples(c * FramesPerChannel, 0.0f);
    const DWORD requested = DWORD(samples.size() * sizeof(float));
    const DWORD got = BASS_ChannelGetData(stream, samples.data(), requested | BASS_DATA_FLOAT);
    if (got == DWORD(-1)) {
        return;
    }
    // Never past what the library actually wrote.
    const std::size_t n = std::min<std::size_t>(got / sizeof(float), samples.size());

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
