#include "audio/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdio>

namespace keltraWorks {

namespace {

constexpr size_t FrameBytes = 2 * sizeof(float);
// What the stream asks the server to keep queued: three periods, written a
// period at a time.
constexpr int TargetFrames = 3 * AudioOutput::PeriodFrames;
constexpr uint64_t StartWaitUs = 2000000; // open() gives a server this long
constexpr uint64_t TickUs = 10000;        // the silent clock's step
constexpr uint64_t RetryNs = 1000000000;  // at most one connection a second
constexpr uint64_t MaxCatchUpNs = 1000000000;

uint64_t framesToNs(uint64_t frames, int rate) {
    return frames * 1000000000ull / static_cast<uint64_t>(rate);
}

} // namespace

PulseOutput::PulseOutput(Client& client, int rate)
    : client(client), sampleRate(rate), silence(2 * PeriodFrames) {}

std::unique_ptr<AudioOutput> PulseOutput::open(int rate, Client& client, std::string* error) {
    std::unique_ptr<PulseOutput> self(new PulseOutput(client, rate));
    self->loop = pa_threaded_mainloop_new();
    if (self->loop == nullptr) {
        *error = "cannot start the sound server's main loop";
        return nullptr;
    }
    self->api = pa_threaded_mainloop_get_api(self->loop);
    if (pa_threaded_mainloop_start(self->loop) < 0) {
        *error = "cannot start the sound server's main loop";
        return nullptr;
    }
    pa_threaded_mainloop_lock(self->loop);
    // The timer ends the wait below when no server answers in time.
    timeval deadline{};
    pa_timeval_add(pa_gettimeofday(&deadline), StartWaitUs);
    self->timer = self->api->time_new(self->api, &deadline, tick, self.get());
    self->connect();
    while (self->link == Link::Connecting && !self->openTimedOut) {
        pa_threaded_mainloop_wait(self->loop);
    }
    const bool playing = self->link == Link::Playing;
    if (!playing) {
        *error = self->context != nullptr ? pa_strerror(pa_context_errno(self->context))
                                          : "no sound server";
    }
    self->opening = false;
    self->restTimer();
    pa_threaded_mainloop_unlock(self->loop);
    if (!playing) {
        return nullptr;
    }
    return self;
}

PulseOutput::~PulseOutput() {
    if (loop == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(loop);
    closing = true;
    drop();
    if (timer != nullptr) {
        api->time_free(timer);
    }
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

void PulseOutput::lock() {
    pa_threaded_mainloop_lock(loop);
}

void PulseOutput::unlock() {
    pa_threaded_mainloop_unlock(loop);
}

std::string PulseOutput::describe() {
    DeviceLock held(*this);
    const char* server = context != nullptr ? pa_context_get_server(context) : nullptr;
    std::string text = std::string("output: sound server ") + (server ? server : "(default)") +
                       " through libpulse, " + std::to_string(sampleRate) + " Hz, ";
    if (link != Link::Playing) {
        return text + "lost: the clock counts on and a connection is tried every second";
    }
    char latency[64];
    std::snprintf(latency, sizeof latency, "latency %.1f ms as the server reports it",
                  lastLatencyNs * 1e-6);
    return text + latency;
}

void PulseOutput::connect() {
    attemptNs = nowNs();
    link = Link::Connecting;
    context = pa_context_new(api, "glint");
    if (context == nullptr) {
        lose();
        return;
    }
    pa_context_set_state_callback(context, contextChanged, this);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        lose();
    }
}

void PulseOutput::startStream() {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(sampleRate), 2};
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    stream = pa_stream_new(context, "glint music", &spec, &map);
    if (stream == nullptr) {
        lose();
        return;
    }
    pa_stream_set_state_callback(stream, streamChanged, this);
    pa_stream_set_write_callback(stream, streamWants, this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(TargetFrames * FrameBytes);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(PeriodFrames * FrameBytes);
    attr.fragsize = static_cast<uint32_t>(-1);
    timed = false;
    timingAsked = false;
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        lose();
    }
}

void PulseOutput::contextChanged(pa_context* context, void* user) {
    auto* self = static_cast<PulseOutput*>(user);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        self->startStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        self->lose();
        break;
    default:
        break;
    }
}

void PulseOutput::streamChanged(pa_stream* stream, void* user) {
    auto* self = static_cast<PulseOutput*>(user);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        self->link = Link::Playing;
        if (self->opening) {
            pa_threaded_mainloop_signal(self->loop, 0);
        } else {
            // The silent clock catches up before the first write: from here
            // on the stream's writes drive the sound.
            self->renderSilently(nowNs());
            self->restTimer();
        }
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        self->lose();
        break;
    default:
        break;
    }
}

// Pass 1 asks the server for its buffer, pass 2 has the client render into
// it, stamped with the moment its first frame will be heard, pass 3 hands
// it over; repeated until the server has what it asked for.
void PulseOutput::streamWants(pa_stream* stream, size_t bytes, void* user) {
    auto* self = static_cast<PulseOutput*>(user);
    if (!self->timed) {
        // Nothing is written before the server has told its latency: the
        // first buffers would be stamped wrongly. Its answer writes them.
        if (!self->timingAsked) {
            self->timingAsked = true;
            pa_operation* asked = pa_stream_update_timing_info(stream, timingKnown, self);
            if (asked != nullptr) {
                pa_operation_unref(asked);
            }
        }
        return;
    }
    while (bytes >= FrameBytes) {
        void* data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || data == nullptr) {
            return;
        }
        size = std::min(size, bytes) / FrameBytes * FrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(stream);
            return;
        }
        const int frames = static_cast<int>(size / FrameBytes);
        renderInto(self->client, static_cast<float*>(data), frames, nowNs() + self->latencyNs(),
                   self->sampleRate);
        if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            return;
        }
        bytes -= size;
    }
}

void PulseOutput::timingKnown(pa_stream* stream, int success, void* user) {
    auto* self = static_cast<PulseOutput*>(user);
    if (success && self->stream == stream) {
        self->timed = true;
        streamWants(stream, pa_stream_writable_size(stream), self);
    }
}

uint64_t PulseOutput::latencyNs() {
    pa_usec_t usec = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &usec, &negative) == 0) {
        lastLatencyNs = negative ? 0 : usec * 1000;
    }
    return lastLatencyNs; // the last report while a new one is under way
}

void PulseOutput::lose() {
    if (link == Link::Lost) {
        return;
    }
    const bool wasPlaying = link == Link::Playing;
    link = Link::Lost;
    dropPending = true;
    if (opening) {
        pa_threaded_mainloop_signal(loop, 0);
        return;
    }
    if (wasPlaying) {
        const uint64_t now = nowNs();
        client.unheardLost(now);
        silentNs = now;
    }
    armTimer(0); // frees the dead connection outside its own callback
}

void PulseOutput::drop() {
    if (stream != nullptr) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
    }
    if (context != nullptr) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }
    dropPending = false;
}

void PulseOutput::armTimer(uint64_t afterUs) {
    timeval when{};
    pa_timeval_add(pa_gettimeofday(&when), afterUs);
    api->time_restart(timer, &when);
}

void PulseOutput::restTimer() {
    api->time_restart(timer, nullptr);
}

void PulseOutput::tick(pa_mainloop_api*, pa_time_event*, const timeval*, void* user) {
    auto* self = static_cast<PulseOutput*>(user);
    if (self->opening) {
        self->openTimedOut = true;
        pa_threaded_mainloop_signal(self->loop, 0);
        return;
    }
    if (self->closing) {
        return;
    }
    if (self->dropPending) {
        self->drop();
    }
    if (self->link == Link::Playing) {
        return;
    }
    const uint64_t now = nowNs();
    self->renderSilently(now);
    if (self->link == Link::Lost && now - self->attemptNs >= RetryNs) {
        self->connect();
    }
    self->armTimer(TickUs);
}

void PulseOutput::renderSilently(uint64_t now) {
    if (now > silentNs + MaxCatchUpNs) {
        silentNs = now - MaxCatchUpNs; // a stalled process catches up a second at most
    }
    while (silentNs < now) {
        const auto due = static_cast<uint64_t>((now - silentNs) * 1e-9 * sampleRate);
        const int frames = static_cast<int>(std::min<uint64_t>(due, PeriodFrames));
        if (frames == 0) {
            return;
        }
        renderInto(client, silence.data(), frames, silentNs, sampleRate);
        silentNs += framesToNs(static_cast<uint64_t>(frames), sampleRate);
    }
}

} // namespace keltraWorks
