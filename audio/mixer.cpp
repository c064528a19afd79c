#include "audio/mixer.h"

namespace keltraWorks {

uint32_t Mixer::add(std::unique_ptr<Stream> stream) {
    for (Slot& slot : slots) {
        if (!slot.stream) {
            // After 2^32 - 1 handles the count would wrap; skip 0.
            lastHandle = lastHandle == UINT32_MAX ? 1 : lastHandle + 1;
            slot.handle = lastHandle;
            slot.stream = std::move(stream);
            return slot.handle;
        }
    }
    return 0;
}

Stream* Mixer::find(uint32_t handle) const {
    if (handle == 0) {
        return nullptr;
    }
    for (const Slot& slot : slots) {
        if (slot.handle == handle && slot.stream) {
            return slot.stream.get();
        }
    }
    return nullptr;
}

std::unique_ptr<Stream> Mixer::take(uint32_t handle) {
    if (handle == 0) {
        return nullptr;
    }
    for (Slot& slot : slots) {
        if (slot.handle == handle && slot.stream) {
            slot.handle = 0;
            return std::move(slot.stream);
        }
    }
    return nullptr;
}

std::vector<std::unique_ptr<Stream>> Mixer::takeAll() {
    std::vector<std::unique_ptr<Stream>> all;
    for (Slot& slot : slots) {
        if (slot.stream) {
            slot.handle = 0;
            all.push_back(std::move(slot.stream));
        }
    }
    return all;
}

void Mixer::render(float* out, int frames, uint64_t heardNs) {
    for (Slot& slot : slots) {
        if (slot.stream) {
            slot.stream->mixInto(out, frames, heardNs);
        }
    }
}

void Mixer::unheardLost(uint64_t nowNs) {
    for (Slot& slot : slots) {
        if (slot.stream) {
            slot.stream->dropUnheard(nowNs);
        }
    }
}

} // namespace keltraWorks
