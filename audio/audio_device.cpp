#include "audio/audio_device.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>

namespace keltraWorks {

std::unique_ptr<AudioDevice> AudioDevice::open(int device, int rate, RenderFn render, void* user,
                                               std::string* error) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *error = SDL_GetError();
        return nullptr;
    }
    const char* name = nullptr;
    if (device > 1) {
        name = SDL_GetAudioDeviceName(device - 1, 0);
        if (name == nullptr) {
            *error = "no such output device";
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return nullptr;
        }
    } else if (device != -1 && device != 1) {
        *error = "no such output device";
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    nowNs(); // sets up the clock here, not on the audio thread
    std::unique_ptr<AudioDevice> self(new AudioDevice());
    self->render = render;
    self->user = user;
    self->sampleRate = rate;

    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = PeriodFrames;
    want.callback = callback;
    want.userdata = self.get();
    SDL_AudioSpec have;
    // No changes allowed: SDL converts to whatever the hardware wants, so
    // the callback always sees exactly this format.
    self->id = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (self->id == 0) {
        *error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(self->id, 0);
    return self;
}

AudioDevice::~AudioDevice() {
    SDL_CloseAudioDevice(id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioDevice::lock() {
    SDL_LockAudioDevice(id);
}

void AudioDevice::unlock() {
    SDL_UnlockAudioDevice(id);
}

uint64_t AudioDevice::nowNs() {
    static const uint64_t frequency = SDL_GetPerformanceFrequency();
    uint64_t ticks = SDL_GetPerformanceCounter();
    return ticks / frequency * 1000000000ull + ticks % frequency * 1000000000ull / frequency;
}

void AudioDevice::callback(void* user, uint8_t* stream, int bytes) {
    auto* self = static_cast<AudioDevice*>(user);
    auto* out = reinterpret_cast<float*>(stream);
    int frames = bytes / static_cast<int>(2 * sizeof(float));
    std::memset(stream, 0, static_cast<size_t>(bytes));
    uint64_t now = nowNs();
    // Larger requests than a period are rendered a period at a time; each
    // part is heard that much later.
    for (int done = 0; done < frames; done += PeriodFrames) {
        int part = std::min(PeriodFrames, frames - done);
        uint64_t at = now + static_cast<uint64_t>(done) * 1000000000ull / self->sampleRate;
        self->render(self->user, out + 2 * done, part, at);
    }
    for (int i = 0; i < 2 * frames; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
}

} // namespace keltraWorks
