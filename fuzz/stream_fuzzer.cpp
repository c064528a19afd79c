// Fuzzes stream creation in the audio library: the input is opened as the
// player opens "glint.mp3" (a file name, float samples first, 16-bit as the
// fallback), on SDL's silent driver. A stream that opens is then decoded
// and mixed on this thread, through seeks and to its end, exactly as the
// device callback would drive it, so the decoder, the resampler and the
// history ring see every format the input can claim.
#include "audio/bass.h"
#include "audio/byte_source.h"
#include "audio/mp3_decoder.h"
#include "audio/stream.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/memory_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using glintFuzz::check;
using keltraWorks::Stream;

namespace {

constexpr int DeviceRate = 44100;
// Device periods mixed per stretch of playing; bounds the time per input.
constexpr int Periods = 24;

glintFuzz::MemoryFile& musicFile() {
    static glintFuzz::MemoryFile file("glint.mp3");
    return file;
}

void checkHandle(HSTREAM handle) {
    BASS_CHANNELINFO info{};
    check(BASS_ChannelGetInfo(handle, &info) != 0, "an open stream has its info");
    check(info.chans == 1 || info.chans == 2, "a stream has one or two channels");
    check(info.freq > 0, "a stream has a rate");
    check(BASS_ChannelIsActive(handle) == BASS_ACTIVE_STOPPED, "a new stream is stopped");
    check(BASS_ChannelGetPosition(handle) == 0, "a new stream is at position 0");
    check(BASS_ChannelSetAttributes(handle, -1, 100, -1) != 0, "volume can be set");
    const QWORD half = BASS_ChannelSeconds2Bytes(handle, 0.5f);
    check(half != ~QWORD{0}, "seconds convert to bytes");
    const float back = BASS_ChannelBytes2Seconds(handle, half);
    check(back >= 0.0f && back <= 0.5f, "bytes convert back to seconds");
    BASS_ChannelSetPosition(handle, half); // may be past the end: then refused
    float samples[2 * 1024];
    check(BASS_ChannelGetData(handle, samples, sizeof(samples) | BASS_DATA_FLOAT) != ~DWORD{0},
          "a stopped stream gives its (silent) samples");
}

void mix(Stream& stream, uint64_t* nowNs, int periods) {
    std::vector<float> out(2 * Stream::MaxChunk);
    std::vector<float> heard(2 * Stream::DataFrames);
    for (int i = 0; i < periods && stream.state() == Stream::State::Playing; ++i) {
        std::fill(out.begin(), out.end(), 0.0f);
        stream.mixInto(out.data(), Stream::MaxChunk, *nowNs);
        for (float v : out) {
            check(std::isfinite(v), "mixed samples are finite");
        }
        stream.copyHeard(heard.data(), Stream::DataFrames, *nowNs);
        const int64_t frame = stream.heardFrame(*nowNs);
        check(frame >= 0 && frame <= stream.lengthFrames(), "the heard frame lies in the file");
        *nowNs += uint64_t(Stream::MaxChunk) * 1000000000ull / DeviceRate;
    }
}

// The same bytes from memory, driven like the device callback drives them.
void playThrough(const uint8_t* data, size_t count, bool floatSamples) {
    std::string error;
    auto source = keltraWorks::ByteSource::borrowMemory(data, 0, count, &error);
    if (!source) {
        return;
    }
    auto decoder = keltraWorks::Mp3Decoder::open(std::move(source), floatSamples, &error);
    if (!decoder) {
        return;
    }
    check(decoder->lengthFrames() > 0, "an open decoder has audio");
    Stream stream(std::move(decoder), DeviceRate);
    uint64_t nowNs = 1000000000ull;
    stream.play(false);
    mix(stream, &nowNs, Periods);
    check(stream.setFrame(stream.lengthFrames() / 2), "seeking to the middle works");
    stream.play(false);
    mix(stream, &nowNs, Periods);
    stream.pause();
    stream.play(false);
    check(stream.setFrame(std::max<int64_t>(0, stream.lengthFrames() - 100)),
          "seeking near the end works");
    mix(stream, &nowNs, Periods);
    check(!stream.setFrame(stream.lengthFrames() + 1), "seeking past the end is refused");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // No sound card is needed, and none is wanted: SDL's dummy driver.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (BASS_Init(-1, DeviceRate, 0, nullptr, nullptr) == 0) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t count) {
    glintFuzz::MemoryFile& file = musicFile();
    file.assign(data, count);
    const char* path = file.path().c_str();
    // The player's order: float samples, and 16-bit when those fail.
    HSTREAM handle = BASS_StreamCreateFile(0, path, 0, 0, BASS_SAMPLE_FLOAT);
    if (handle == 0) {
        handle = BASS_StreamCreateFile(0, path, 0, 0, 0);
    }
    if (handle != 0) {
        checkHandle(handle);
        check(BASS_StreamFree(handle) != 0, "an open stream frees");
        check(BASS_ChannelIsActive(handle) == BASS_ACTIVE_STOPPED, "a freed handle is dead");
        // Either sample format for the mixing, chosen by the input itself.
        playThrough(data, count, count % 2 == 0);
    }
    return 0;
}
