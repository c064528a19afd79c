// The library's C calls: argument checks, the handle table and the output
// lock around each stream operation. The state lives in one process-wide
// Library made by BASS_Init and destroyed by BASS_Free.
#include "audio/bass.h"

#include "audio/audio_output.h"
#include "audio/byte_source.h"
#include "audio/decoder_ahead.h"
#include "audio/mixer.h"
#include "audio/mp3_decoder.h"
#include "audio/stream.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using keltraWorks::AudioOutput;
using keltraWorks::DeviceLock;
using keltraWorks::Mixer;
using keltraWorks::Stream;

namespace {

constexpr QWORD BadPosition = ~QWORD{0};
constexpr DWORD BadCount = ~DWORD{0};
constexpr int MinRate = 8000;
constexpr int MaxRate = 192000;
constexpr int KeepPan = -101;

constexpr uint64_t DebugEveryNs = 1000000000;

struct Library {
    Mixer mixer;
    std::unique_ptr<AudioOutput> output;
    int channelLocks = 0; // BASS_ChannelLock holds not yet let go
    bool debug = false;   // GLINT_AUDIO_DEBUG asks for the output's line
    uint64_t debugNs = 0;
    std::string debugLine;
};

Library* library = nullptr;

// With GLINT_AUDIO_DEBUG set (and not "0"), the output's line on stderr
// when it first opens and whenever it changes, looked at once a second.
void debugOutput(uint64_t nowNs) {
    if (!library->debug || nowNs - library->debugNs < DebugEveryNs) {
        return;
    }
    library->debugNs = nowNs;
    std::string line = library->output->describe();
    if (line != library->debugLine) {
        std::fprintf(stderr, "glint: audio: %s\n", line.c_str());
        library->debugLine = line;
    }
}

Stream* findStream(DWORD handle) {
    return library != nullptr ? library->mixer.find(handle) : nullptr;
}

QWORD frameBytes(const Stream& stream) {
    return static_cast<QWORD>(stream.channels()) * stream.bytesPerSample();
}

} // namespace

extern "C" {

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid) {
    if (library != nullptr || freq < MinRate || freq > MaxRate) {
        return 0;
    }
    auto made = std::make_unique<Library>();
    std::string error;
    made->output = AudioOutput::open(device, static_cast<int>(freq), made->mixer, &error);
    if (!made->output) {
        std::fprintf(stderr, "glint: audio: cannot open the output device: %s\n", error.c_str());
        return 0;
    }
    const char* debug = std::getenv("GLINT_AUDIO_DEBUG");
    made->debug = debug != nullptr && *debug != '\0' && std::strcmp(debug, "0") != 0;
    library = made.release();
    debugOutput(AudioOutput::nowNs());
    return 1;
}

BOOL BASS_Free(void) {
    if (library == nullptr) {
        return 0;
    }
    // Closing the output first: no callback runs once it is gone, so the
    // streams can go without the lock.
    library->output.reset();
    library->mixer.takeAll();
    keltraWorks::DecoderAhead::clear();
    delete library;
    library = nullptr;
    return 1;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
    if (library == nullptr || file == nullptr) {
        return 0;
    }
    const bool floatSamples = (flags & BASS_SAMPLE_FLOAT) != 0;
    const bool wholeFile = !mem && offset == 0 && length == 0;
    // A decoder opened ahead for this very file is used as it is. Asking
    // also waits for that work, so two opens never run at once.
    auto decoder = keltraWorks::DecoderAhead::take(
        wholeFile ? std::string(static_cast<const char*>(file)) : std::string(), floatSamples);
    if (!decoder) {
        std::string error;
        auto source = mem ? keltraWorks::ByteSource::borrowMemory(file, offset, length, &error)
                          : keltraWorks::ByteSource::openFile(static_cast<const char*>(file),
                                                              offset, length, &error);
        if (!source) {
            return 0;
        }
        // Opening scans the whole file: done here, outside the device lock.
        decoder = keltraWorks::Mp3Decoder::open(std::move(source), floatSamples, &error);
        if (!decoder) {
            return 0;
        }
    }
    auto stream = std::make_unique<Stream>(std::move(decoder), library->output->rate());
    DeviceLock lock(*library->output);
    return library->mixer.add(std::move(stream));
}

BOOL BASS_StreamPrepareFile(const char* file, DWORD flags) {
    if (file == nullptr) {
        return 0;
    }
    keltraWorks::DecoderAhead::start(file, (flags & BASS_SAMPLE_FLOAT) != 0);
    return 1;
}

BOOL BASS_StreamFree(HSTREAM handle) {
    if (library == nullptr) {
        return 0;
    }
    std::unique_ptr<Stream> gone;
    {
        DeviceLock lock(*library->output);
        gone = library->mixer.take(handle);
    }
    // Freed after the lock is let go: closing the decoder is not brief.
    return gone ? 1 : 0;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    Stream* stream = findStream(handle);
    // The stream plays at the file's own rate; only that rate is accepted
    // (-1 and 0 both mean it).
    if (stream == nullptr || (freq != -1 && freq != 0 && freq != stream->rate())) {
        return 0;
    }
    DeviceLock lock(*library->output);
    if (volume != -1) {
        stream->setVolume(static_cast<float>(volume) / 100.0f);
    }
    if (pan != KeepPan) {
        stream->setPan(static_cast<float>(pan) / 100.0f);
    }
    return 1;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    Stream* stream = findStream(handle);
    if (stream == nullptr) {
        return 0;
    }
    DeviceLock lock(*library->output);
    stream->play(restart != 0);
    return 1;
}

BOOL BASS_ChannelPause(DWORD handle) {
    Stream* stream = findStream(handle);
    if (stream == nullptr) {
        return 0;
    }
    DeviceLock lock(*library->output);
    return stream->pause() ? 1 : 0;
}

BOOL BASS_ChannelStop(DWORD handle) {
    Stream* stream = findStream(handle);
    if (stream == nullptr) {
        return 0;
    }
    DeviceLock lock(*library->output);
    stream->stop();
    return 1;
}

BOOL BASS_ChannelLock(DWORD handle, BOOL lock) {
    if (findStream(handle) == nullptr || (!lock && library->channelLocks == 0)) {
        return 0;
    }
    if (lock) {
        library->output->lock();
        ++library->channelLocks;
    } else {
        --library->channelLocks;
        library->output->unlock();
    }
    return 1;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    Stream* stream = findStream(handle);
    if (stream == nullptr) {
        return BASS_ACTIVE_STOPPED;
    }
    DeviceLock lock(*library->output);
    switch (stream->heardState(AudioOutput::nowNs())) {
    case Stream::State::Playing:
        return BASS_ACTIVE_PLAYING;
    case Stream::State::Paused:
        return BASS_ACTIVE_PAUSED;
    case Stream::State::Stopped:
        break;
    }
    return BASS_ACTIVE_STOPPED;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    Stream* stream = findStream(handle);
    if (stream == nullptr) {
        return BadPosition;
    }
    const uint64_t now = AudioOutput::nowNs();
    debugOutput(now);
    DeviceLock lock(*library->output);
    return static_cast<QWORD>(stream->heardFrame(now)) * frameBytes(*stream);
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    Stream* stream = findStream(handle);
    if (stream == nullptr) {
        return 0;
    }
    QWORD frame = pos / frameBytes(*stream);
    if (frame > static_cast<QWORD>(stream->lengthFrames())) {
        return 0;
    }
    DeviceLock lock(*library->output);
    return stream->setFrame(static_cast<int64_t>(frame)) ? 1 : 0;
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    Stream* stream = findStream(handle);
    if (stream == nullptr) {
        return -1.0f;
    }
    return static_cast<float>(static_cast<double>(pos / frameBytes(*stream)) / stream->rate());
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float secs) {
    Stream* stream = findStream(handle);
    if (stream == nullptr || !(secs >= 0.0f) || std::isinf(secs)) {
        return BadPosition;
    }
    auto frame = static_cast<QWORD>(std::floor(static_cast<double>(secs) * stream->rate()));
    return frame * frameBytes(*stream);
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    Stream* stream = findStream(handle);
    if (stream == nullptr || info == nullptr) {
        return 0;
    }
    info->freq = static_cast<DWORD>(stream->rate());
    info->chans = static_cast<DWORD>(stream->channels());
    info->flags = stream->floatSamples() ? BASS_SAMPLE_FLOAT : 0;
    return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    Stream* stream = findStream(handle);
    bool asFloat = (length & BASS_DATA_FLOAT) != 0;
    DWORD bytes = length & ~DWORD{BASS_DATA_FLOAT};
    if (stream == nullptr || buffer == nullptr || bytes > 0x0fffffff) {
        return BadCount; // also any flag this library does not offer
    }
    int channels = stream->channels();
    int sampleBytes = asFloat ? 4 : stream->bytesPerSample();
    int frames = static_cast<int>(bytes / static_cast<DWORD>(channels * sampleBytes));
    if (frames > Stream::DataFrames) {
        frames = Stream::DataFrames;
    }
    // Copied under the lock into a buffer of our own, converted after.
    float heard[Stream::DataFrames * 2];
    {
        DeviceLock lock(*library->output);
        stream->copyHeard(heard, frames, AudioOutput::nowNs());
    }
    int count = frames * channels;
    if (sampleBytes == 4) {
        std::memcpy(buffer, heard, static_cast<size_t>(count) * sizeof(float));
    } else {
        auto* out = static_cast<int16_t*>(buffer);
        for (int i = 0; i < count; ++i) {
            float v = std::round(heard[i] * 32768.0f);
            out[i] =
                static_cast<int16_t>(v < -32768.0f ? -32768.0f : (v > 32767.0f ? 32767.0f : v));
        }
    }
    return static_cast<DWORD>(count * sampleBytes);
}

} // extern "C"
