#include "audio/sdl_output.h"

#include <SDL.h>

namespace keltraWorks {

std::unique_ptr<AudioOutput> SdlOutput::open(int device, int rate, Client& client,
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
    std::unique_ptr<SdlOutput> self(new SdlOutput(client, rate));

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

SdlOutput::~SdlOutput() {
    SDL_CloseAudioDevice(id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlOutput::lock() {
    SDL_LockAudioDevice(id);
}

void SdlOutput::unlock() {
    SDL_UnlockAudioDevice(id);
}

std::string SdlOutput::describe() {
    const char* driver = SDL_GetCurrentAudioDriver();
    return std::string("output: SDL (") + (driver != nullptr ? driver : "?") + "), " +
           std::to_string(sampleRate) + " Hz, latency not reported: heard at hand-over";
}

void SdlOutput::callback(void* user, uint8_t* stream, int bytes) {
    auto* self = static_cast<SdlOutput*>(user);
    renderInto(self->client, reinterpret_cast<float*>(stream),
               bytes / static_cast<int>(2 * sizeof(float)), nowNs(), self->sampleRate);
}

} // namespace keltraWorks
