// The streams the device plays, by handle, and the sum of their sound.
// Handles count up from 1 and are never handed out twice in a run.
//
// Ownership: owns every stream added until it is taken out again.
// Capacity: MaxStreams streams at once; the table never reallocates.
// Threads: add/take change the table and need the output lock; the
// program's thread may look streams up without the lock (only it changes
// the table). render and unheardLost run on the output's audio thread with
// the lock held and never block or allocate.
#pragma once

#include "audio/audio_output.h"
#include "audio/stream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace keltraWorks {

class Mixer final : public AudioOutput::Client {
  public:
    static constexpr int MaxStreams = 64;

    // The new stream's handle; 0 when the table is full (the stream is then
    // destroyed).
    uint32_t add(std::unique_ptr<Stream> stream);
    // The stream of a handle, or null for 0, unknown and removed handles.
    Stream* find(uint32_t handle) const;
    // Takes a stream out of the table; null for a bad handle.
    std::unique_ptr<Stream> take(uint32_t handle);
    // Takes every stream out.
    std::vector<std::unique_ptr<Stream>> takeAll();

    // Adds every stream's next `frames` stereo frames into out.
    void render(float* out, int frames, uint64_t heardNs) override;
    // Every stream goes on from what is heard at nowNs.
    void unheardLost(uint64_t nowNs) override;

  private:
    struct Slot {
        uint32_t handle = 0;
        std::unique_ptr<Stream> stream;
    };
    std::array<Slot, MaxStreams> slots;
    uint32_t lastHandle = 0;
};

} // namespace keltraWorks
