// The sound server's output through its own client library (libpulse's
// asynchronous API on a threaded main loop): a float stereo playback stream
// with the server's timing kept up to date and interpolated, so that each
// buffer is stamped with the moment it will be heard: now plus the latency
// the server reports (its queue and the device's), read at every write.
// PulseAudio and PipeWire's PulseAudio service both answer here.
//
// A lost server or device is survived: the output drops what was queued
// (the client is told through unheardLost), a silent clock renders and
// discards the sound in real time so positions keep counting, and a new
// connection to the default server is tried at most once a second. When it
// plays again the music goes on from the position heard by then.
//
// Ownership: owns the main loop, its thread, the connection and the stream.
// Threads: open, lock, unlock, describe and destruction on the program's
// thread (never while holding the lock for destruction). Everything else
// runs on the main loop's thread with its lock held: the stream's write
// callback (the audio path: it renders into the server's own buffer and
// writes it; nothing of ours there blocks, allocates, opens files or
// prints) and, only while no sound can be written, the silent clock and the
// reconnection.
#pragma once

#include "audio/audio_output.h"

#include <vector>

struct pa_context;
struct pa_mainloop_api;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;
struct timeval;

namespace keltraWorks {

class PulseOutput final : public AudioOutput {
  public:
    // Null, with the reason in *error, when no server plays within 2 s.
    static std::unique_ptr<AudioOutput> open(int rate, Client& client, std::string* error);
    ~PulseOutput() override;

    int rate() const override { return sampleRate; }
    void lock() override;
    void unlock() override;
    std::string describe() override;

  private:
    enum class Link { Connecting, Playing, Lost };

    PulseOutput(Client& client, int rate);
    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void streamWants(pa_stream* stream, size_t bytes, void* self);
    static void timingKnown(pa_stream* stream, int success, void* self);
    static void tick(pa_mainloop_api* api, pa_time_event* event, const timeval* tv, void* self);

    void connect();
    void startStream();
    void lose();
    void drop();
    void armTimer(uint64_t afterUs);
    void restTimer();
    uint64_t latencyNs();
    void renderSilently(uint64_t nowNs);

    Client& client;
    int sampleRate;
    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* timer = nullptr;

    Link link = Link::Connecting;
    bool opening = true; // open() is waiting for the first answer
    bool openTimedOut = false;
    bool closing = false;
    bool dropPending = false; // a failed connection waits to be freed
    bool timed = false;       // the server's timing of this stream is known
    bool timingAsked = false;
    uint64_t attemptNs = 0; // when the last connection attempt began
    uint64_t silentNs = 0;  // the silent clock has rendered up to here
    uint64_t lastLatencyNs = 0;
    std::vector<float> silence; // one period, the silent clock's scratch
};

} // namespace keltraWorks
