// Where the library's sound goes: an output that asks its client for float
// stereo frames at a fixed rate and says when the first of them will be
// heard, so that positions and samples can follow the speaker and not the
// hand-over.
//
// The choice, made once by open(): the output of the sound server's own
// client library (PulseOutput: PulseAudio, or PipeWire's PulseAudio
// service) when the default device is asked for, SDL_AUDIODRIVER is unset
// or "pulseaudio", and a server answers; otherwise SDL's output (SdlOutput:
// ALSA-only machines, SDL's dummy driver in tests, an SDL device by number).
// GLINT_AUDIO_DEBUG=1 in the environment prints the choice and the latency
// in use (describe()) on stderr; nothing is printed otherwise.
//
// Ownership: open() hands the output to the caller; destroying it stops
// the audio thread, after which the client is never called again.
// Units: rate in Hz, frames of two float samples, time in nanoseconds of
// nowNs()'s monotonic clock.
// Threads: open, lock, unlock, describe and destruction on the program's
// thread. The client's calls run on the output's audio thread with the
// output lock held, so state touched by both sides is safe while the
// program holds the lock. The lock nests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace keltraWorks {

class AudioOutput {
  public:
    // What the output plays: called on the audio thread, lock held. Neither
    // call may block, allocate, open files or print.
    class Client {
      public:
        // Adds `frames` (<= PeriodFrames) stereo frames into out, which
        // starts zeroed; the first frame is heard at heardNs.
        virtual void render(float* out, int frames, uint64_t heardNs) = 0;
        // Everything rendered and not heard by nowNs is lost (the output
        // went away); rendering goes on from what is heard at nowNs.
        virtual void unheardLost(uint64_t nowNs) = 0;

      protected:
        ~Client() = default;
    };

    static constexpr int PeriodFrames = 1024;

    // device -1 (or 1): the system default; n > 1: SDL's (n-1)th output.
    // Null with a reason in *error when no output can be opened.
    static std::unique_ptr<AudioOutput> open(int device, int rate, Client& client,
                                             std::string* error);
    virtual ~AudioOutput() = default;

    virtual int rate() const = 0;
    virtual void lock() = 0;
    virtual void unlock() = 0;
    // One line naming the output and the latency in use now.
    virtual std::string describe() = 0;
    // The monotonic clock every time here is taken on. Any thread.
    static uint64_t nowNs();

  protected:
    // Audio thread: zeroes `frames` frames, has the client render them a
    // period at a time (each part heard that much later) and clamps.
    static void renderInto(Client& client, float* out, int frames, uint64_t heardNs, int rate);
};

// Holds the output lock for a scope.
class DeviceLock {
  public:
    explicit DeviceLock(AudioOutput& output) : output(output) { output.lock(); }
    ~DeviceLock() { output.unlock(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

  private:
    AudioOutput& output;
};

} // namespace keltraWorks
