// The output device: SDL2 audio at the requested rate, float samples,
// stereo, a period of 1024 frames. It runs from open to close without
// pause; whatever it renders (silence when nothing plays) comes from the
// render function given at open, called on SDL's audio thread.
//
// Ownership: owns the SDL device and its share of SDL's audio subsystem;
// destroying it closes the device after any running callback has returned.
// Units: rate in Hz, frames of two float samples, time in nanoseconds.
// Threads: open, lock, unlock and destruction on the program's thread. The
// render function runs on SDL's audio thread with the device lock held, so
// state touched by both sides is safe when the program holds the lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace keltraWorks {

class AudioDevice {
  public:
    // Adds `frames` stereo frames into out (which starts zeroed); the first
    // frame is handed to the device at nowNs.
    using RenderFn = void (*)(void* user, float* out, int frames, uint64_t nowNs);

    static constexpr int PeriodFrames = 1024;

    // device -1 (or 1): the system default; n > 1: SDL's (n-1)th output.
    // Null with a reason in *error when no such device can be opened.
    static std::unique_ptr<AudioDevice> open(int device, int rate, RenderFn render, void* user,
                                             std::string* error);
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    int rate() const { return sampleRate; }
    void lock();
    void unlock();
    // The monotonic clock the hand-over times are taken on.
    static uint64_t nowNs();

  private:
    AudioDevice() = default;
    static void callback(void* self, uint8_t* stream, int bytes);

    uint32_t id = 0;
    int sampleRate = 0;
    RenderFn render = nullptr;
    void* user = nullptr;
};

// Holds the device lock for a scope.
class DeviceLock {
  public:
    explicit DeviceLock(AudioDevice& device) : device(device) { device.lock(); }
    ~DeviceLock() { device.unlock(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

  private:
    AudioDevice& device;
};

} // namespace keltraWorks
