#include "audio/audio_output.h"

#include "audio/pulse_output.h"
#include "audio/sdl_output.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace keltraWorks {

std::unique_ptr<AudioOutput> AudioOutput::open(int device, int rate, Client& client,
                                               std::string* error) {
    // An SDL driver named explicitly (dummy in tests, alsa...) is obeyed;
    // so is an SDL device asked for by number.
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const bool sdlAsked = driver != nullptr && *driver != '\0' && std::strcmp(driver, "pulseaudio");
    if (!sdlAsked && (device == -1 || device == 1)) {
        std::unique_ptr<AudioOutput> pulse = PulseOutput::open(rate, client, error);
        if (pulse) {
            return pulse;
        }
    }
    return SdlOutput::open(device, rate, client, error);
}

uint64_t AudioOutput::nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

void AudioOutput::renderInto(Client& client, float* out, int frames, uint64_t heardNs, int rate) {
    std::fill(out, out + 2 * frames, 0.0f);
    for (int done = 0; done < frames; done += PeriodFrames) {
        int part = std::min(PeriodFrames, frames - done);
        uint64_t at = heardNs + static_cast<uint64_t>(done) * 1000000000ull / rate;
        client.render(out + 2 * done, part, at);
    }
    for (int i = 0; i < 2 * frames; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
}

} // namespace keltraWorks
