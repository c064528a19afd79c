#include "audio/stream.h"

#include "audio/resampler.h"

#include <algorithm>
#include <cmath>

namespace keltraWorks {

namespace {

// Frames the ring must hold: those rendered but not yet heard, the buffer
// being rendered, the next one and its fade, and the window copyHeard may
// read ahead of the heard frame.
int ringFrames(double step, int rate) {
    return static_cast<int>(std::ceil(Stream::MaxLatencySeconds * rate) +
                            std::ceil((2 * Stream::MaxChunk + Stream::FadeFrames) * step)) +
           Stream::DataFrames + 64;
}

int64_t floorFrame(double position) {
    return static_cast<int64_t>(std::floor(position));
}

} // namespace

Stream::Stream(std::unique_ptr<Mp3Decoder> mp3, int rateOfDevice)
    : decoder(std::move(mp3)), deviceRate(rateOfDevice),
      step(static_cast<double>(decoder->rate()) / rateOfDevice),
      ring(ringFrames(step, decoder->rate()), decoder->channels()), scratch(2 * MaxChunk, 0.0f) {
    ring.reset(0);
    heard.freeze(0.0);
}

void Stream::play(bool restart) {
    if (restart) {
        setFrame(0);
    }
    playState = State::Playing;
    endedNaturally = false;
}

bool Stream::pause() {
    if (playState != State::Playing) {
        return false;
    }
    playState = State::Paused;
    endedNaturally = false;
    return true;
}

void Stream::stop() {
    playState = State::Stopped;
    endedNaturally = false;
}

Stream::State Stream::heardState(uint64_t nowNs) const {
    return endedNaturally && nowNs < endHeardNs ? State::Playing : playState;
}

int64_t Stream::heardFrame(uint64_t nowNs) const {
    return std::clamp<int64_t>(heard.frameAt(nowNs, deviceRate), 0, lengthFrames());
}

bool Stream::setFrame(int64_t frame) {
    if (frame < 0 || frame > lengthFrames()) {
        return false;
    }
    // The decoder moves on the next callback; the position reads as the new
    // one from now on.
    seekPending = true;
    seekTarget = frame;
    endedNaturally = false;
    heard.freeze(static_cast<double>(frame));
    return true;
}

void Stream::setVolume(float gain) {
    volume = std::clamp(gain, 0.0f, 1.0f);
}

void Stream::setPan(float balance) {
    pan = std::clamp(balance, -1.0f, 1.0f);
}

void Stream::copyHeard(float* out, int frames, uint64_t nowNs) const {
    frames = std::min(frames, DataFrames);
    if (heardState(nowNs) != State::Playing || seekPending) {
        std::fill(out, out + static_cast<size_t>(frames) * channels(), 0.0f);
        return;
    }
    ring.copy(heardFrame(nowNs), frames, out);
}

void Stream::dropUnheard(uint64_t nowNs) {
    if (seekPending) {
        return; // the position already stands at the seek's target
    }
    // Rendering goes on from the whole frame being heard: the heard
    // position falls between two frames, and a file at the device's rate
    // started there would have every later frame interpolated between two
    // decoded ones, a duller copy of the music to the end of the track.
    // Less than a frame is heard twice.
    const double at = std::floor(
        std::clamp(heard.positionAt(nowNs, deviceRate), 0.0, static_cast<double>(lengthFrames())));
    heard.freeze(at);
    if (endedNaturally && nowNs < endHeardNs) {
        playState = State::Playing; // the end was never heard: play up to it
    }
    endedNaturally = false;
    audible = false;
    if (floorFrame(at) > ring.begin()) {
        readPos = at;
    } else {
        seekPending = true;
        seekTarget = floorFrame(at);
    }
}

void Stream::mixInto(float* out, int frames, uint64_t heardNs) {
    bool wantSound = playState == State::Playing;
    if (audible && (seekPending || !wantSound)) {
        // After a seek the position already reads as the target; the old
        // sound only fades out.
        fadeOutInto(out, std::min(frames, FadeFrames), heardNs, !seekPending);
    }
    if (seekPending) {
        seekPending = false;
        decoder->seek(seekTarget);
        ring.reset(seekTarget);
        readPos = static_cast<double>(seekTarget);
    }
    if (wantSound) {
        renderInto(out, frames, heardNs);
    }
}

void Stream::decodeUpTo(int64_t frame) {
    frame = std::min(frame, lengthFrames());
    while (ring.end() < frame && !decoder->atEnd()) {
        int room = 0;
        float* space = ring.appendSpace(&room);
        int want = static_cast<int>(std::min<int64_t>(room, frame - ring.end()));
        ring.commit(decoder->read(space, want));
    }
}

void Stream::fadeOutInto(float* out, int frames, uint64_t heardNs, bool marksPosition) {
    decodeUpTo(floorFrame(readPos + frames * step) + 2);
    int got =
        resampleToStereo(ring, channels(), readPos, step, frames, lengthFrames(), scratch.data());
    for (int j = 0; j < got; ++j) {
        float fade = static_cast<float>(frames - 1 - j) / frames;
        out[2 * j] += scratch[2 * j] * appliedLeft * fade;
        out[2 * j + 1] += scratch[2 * j + 1] * appliedRight * fade;
    }
    if (marksPosition) {
        heard.mark(readPos, got, step, heardNs);
    }
    readPos += got * step;
    audible = false;
}

void Stream::renderInto(float* out, int frames, uint64_t heardNs) {
    // Pass 1: the natural end. Nothing is left to render; the stream is
    // heard playing until the buffers before this one have been heard.
    int64_t next = floorFrame(readPos);
    if (next >= lengthFrames() || (decoder->atEnd() && next >= ring.end())) {
        playState = State::Stopped;
        audible = false;
        readPos = static_cast<double>(std::min(next, lengthFrames()));
        heard.mark(readPos, 0, step, heardNs);
        endedNaturally = true;
        endHeardNs = heardNs;
        return;
    }

    // Pass 2: decode ahead, enough for this buffer, the fade a break would
    // need after it, and the window copyHeard reads.
    decodeUpTo(floorFrame(readPos + (frames + FadeFrames) * step) + DataFrames + 2);
    int got =
        resampleToStereo(ring, channels(), readPos, step, frames, lengthFrames(), scratch.data());

    // Pass 3: gains move from the last buffer's to the current volume and
    // pan across this buffer; sound starting from silence fades in.
    float targetLeft = volume * (pan > 0.0f ? 1.0f - pan : 1.0f);
    float targetRight = volume * (pan < 0.0f ? 1.0f + pan : 1.0f);
    for (int j = 0; j < got; ++j) {
        float along = static_cast<float>(j + 1) / frames;
        float fade = audible || j >= FadeFrames ? 1.0f : static_cast<float>(j + 1) / FadeFrames;
        float left = appliedLeft + (targetLeft - appliedLeft) * along;
        float right = appliedRight + (targetRight - appliedRight) * along;
        out[2 * j] += scratch[2 * j] * left * fade;
        out[2 * j + 1] += scratch[2 * j + 1] * right * fade;
    }
    appliedLeft = targetLeft;
    appliedRight = targetRight;

    // Pass 4: the position heard follows this buffer from its hand-over.
    heard.mark(readPos, got, step, heardNs);
    readPos += got * step;
    audible = got == frames;
}

} // namespace keltraWorks
