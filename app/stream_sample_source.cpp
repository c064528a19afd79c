#include "app/stream_sample_source.h"

#include <algorithm>

namespace {

// The most samples one request may ask for: the library takes the byte
// count in the same word as its flags.
constexpr std::size_t MaxRequestSamples = 0x0fffffff / sizeof(float);

} // namespace

unsigned StreamSampleSource::channels() {
    BASS_CHANNELINFO info{};
    if (!BASS_ChannelGetInfo(handle, &info)) {
        return 0;
    }
    return info.chans;
}

bool StreamSampleSource::read(float* out, std::size_t count, std::size_t* written) {
    const std::size_t asked = std::min(count, MaxRequestSamples);
    const DWORD bytes = DWORD(asked * sizeof(float));
    const DWORD got = BASS_ChannelGetData(handle, out, bytes | BASS_DATA_FLOAT);
    if (got == DWORD(-1)) {
        return false;
    }
    // Never more than was asked for, whatever the library reports.
    *written = std::min<std::size_t>(got / sizeof(float), asked);
    return true;
}
