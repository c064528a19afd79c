// SDL2's audio output: the requested rate, float samples, stereo, a period
// of 1024 frames, from open to close without pause. SDL does not tell the
// latency behind its callback, so a buffer counts as heard when it is
// handed over. When SDL loses the device it keeps calling back in real time
// and drops the sound, so the heard clock goes on counting.
//
// Ownership: owns the SDL device and its share of SDL's audio subsystem.
// Threads: as AudioOutput; the client runs on SDL's audio thread, under
// SDL's device lock (which nests).
#pragma once

#include "audio/audio_output.h"

namespace keltraWorks {

class SdlOutput final : public AudioOutput {
  public:
    static std::unique_ptr<AudioOutput> open(int device, int rate, Client& client,
                                             std::string* error);
    ~SdlOutput() override;

    int rate() const override { return sampleRate; }
    void lock() override;
    void unlock() override;
    std::string describe() override;

  private:
    SdlOutput(Client& client, int rate) : client(client), sampleRate(rate) {}
    static void callback(void* self, uint8_t* stream, int bytes);

    Client& client;
    int sampleRate;
    uint32_t id = 0;
};

} // namespace keltraWorks
