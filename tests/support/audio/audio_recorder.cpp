// The recording stand-in: the BASS_* functions of audio/bass.h acting on
// the installed AudioRecorder's model and log.
#include "tests/support/audio/audio_recorder.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace glintTest {

namespace {

AudioRecorder* installed = nullptr;

constexpr QWORD BadPosition = ~QWORD{0};
constexpr DWORD BadCount = ~DWORD{0};

std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

QWORD frameBytes(const RecordedStream& s) {
    return QWORD{s.chans} * s.bytesPerSample;
}

} // namespace

AudioRecorder::AudioRecorder() {
    if (installed != nullptr) {
        throw std::logic_error("only one AudioRecorder at a time");
    }
    installed = this;
}

AudioRecorder::~AudioRecorder() {
    installed = nullptr;
}

AudioRecorder* AudioRecorder::current() {
    return installed;
}

std::vector<std::string> AudioRecorder::callTexts() const {
    std::vector<std::string> out;
    for (const auto& call : log) {
        out.push_back(call.text);
    }
    return out;
}

std::vector<std::string> AudioRecorder::callNames() const {
    std::vector<std::string> out;
    for (const auto& call : log) {
        out.push_back(call.name);
    }
    return out;
}

int AudioRecorder::count(const std::string& name) const {
    int n = 0;
    for (const auto& call : log) {
        n += call.name == name ? 1 : 0;
    }
    return n;
}

HSTREAM AudioRecorder::addStream(DWORD chans, DWORD rate, DWORD bytesPerSample) {
    HSTREAM handle = nextHandle++;
    RecordedStream& s = streams[handle];
    s.chans = chans;
    s.rate = rate;
    s.bytesPerSample = bytesPerSample;
    return handle;
}

RecordedStream& AudioRecorder::stream(HSTREAM handle) {
    auto it = streams.find(handle);
    if (it == streams.end()) {
        throw std::out_of_range("no such stream in the audio recorder");
    }
    return it->second;
}

void AudioRecorder::setPositionSeconds(HSTREAM handle, double seconds) {
    RecordedStream& s = stream(handle);
    s.positionBytes = static_cast<QWORD>(std::floor(seconds * s.rate)) * frameBytes(s);
}

double AudioRecorder::positionSeconds(HSTREAM handle) {
    RecordedStream& s = stream(handle);
    return static_cast<double>(s.positionBytes / frameBytes(s)) / s.rate;
}

void AudioRecorder::record(const char* name, const std::string& args) {
    log.push_back({name, std::string(name) + "(" + args + ")"});
}

RecordedStream* AudioRecorder::find(DWORD handle) {
    auto it = streams.find(handle);
    return it == streams.end() ? nullptr : &it->second;
}

HSTREAM AudioRecorder::create(DWORD flags) {
    if (failAllCreates || failCreateFlags.count(flags) != 0) {
        return 0;
    }
    HSTREAM handle = addStream(defaultChans, defaultRate, (flags & BASS_SAMPLE_FLOAT) ? 4 : 2);
    streams[handle].createFlags = flags;
    return handle;
}

} // namespace glintTest

using glintTest::AudioRecorder;
using glintTest::BadCount;
using glintTest::BadPosition;
using glintTest::fmt;
using glintTest::RecordedStream;

namespace {

// The installed recorder's model of the handle, after logging the call.
RecordedStream* logged(const char* name, const std::string& args, DWORD handle) {
    AudioRecorder* rec = AudioRecorder::current();
    if (rec == nullptr) {
        return nullptr;
    }
    rec->record(name, args);
    return rec->find(handle);
}

} // namespace

extern "C" {

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid) {
    AudioRecorder* rec = AudioRecorder::current();
    if (rec == nullptr) {
        return 0;
    }
    rec->record("BASS_Init", fmt("%d,%u,%u,%s,%s", device, freq, flags, win ? "win" : "0",
                                 dsguid ? "guid" : "0"));
    rec->initWindow = win;
    rec->initialised = rec->initResult != 0;
    return rec->initResult;
}

BOOL BASS_Free(void) {
    AudioRecorder* rec = AudioRecorder::current();
    if (rec == nullptr) {
        return 0;
    }
    rec->record("BASS_Free", "");
    BOOL wasOn = rec->initialised ? 1 : 0;
    rec->initialised = false;
    return wasOn;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
    AudioRecorder* rec = AudioRecorder::current();
    if (rec == nullptr) {
        return 0;
    }
    std::string name =
        mem ? "mem"
            : (file ? "\"" + std::string(static_cast<const char*>(file)) + "\"" : std::string("0"));
    rec->record("BASS_StreamCreateFile",
                fmt("%d,%s,%u,%u,%u", mem, name.c_str(), offset, length, flags));
    return rec->create(flags);
}

BOOL BASS_StreamPrepareFile(const char* file, DWORD flags) {
    if (AudioRecorder* rec = AudioRecorder::current()) {
        rec->record("BASS_StreamPrepareFile", fmt("\"%s\",%u", file ? file : "(null)", flags));
    }
    return file != nullptr ? 1 : 0;
}

BOOL BASS_StreamFree(HSTREAM handle) {
    if (logged("BASS_StreamFree", fmt("%u", handle), handle) == nullptr) {
        return 0;
    }
    AudioRecorder::current()->free(handle);
    return 1;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    RecordedStream* s =
        logged("BASS_ChannelSetAttributes", fmt("%u,%d,%d,%d", handle, freq, volume, pan), handle);
    if (s == nullptr) {
        return 0;
    }
    if (volume != -1) {
        s->volume = volume;
    }
    if (pan != -101) {
        s->pan = pan;
    }
    return 1;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    RecordedStream* s = logged("BASS_ChannelPlay", fmt("%u,%d", handle, restart), handle);
    if (s == nullptr) {
        return 0;
    }
    s->state = BASS_ACTIVE_PLAYING;
    if (restart) {
        s->positionBytes = 0;
    }
    return 1;
}

BOOL BASS_ChannelPause(DWORD handle) {
    RecordedStream* s = logged("BASS_ChannelPause", fmt("%u", handle), handle);
    if (s == nullptr || s->state != BASS_ACTIVE_PLAYING) {
        return 0;
    }
    s->state = BASS_ACTIVE_PAUSED;
    return 1;
}

BOOL BASS_ChannelStop(DWORD handle) {
    RecordedStream* s = logged("BASS_ChannelStop", fmt("%u", handle), handle);
    if (s == nullptr) {
        return 0;
    }
    s->state = BASS_ACTIVE_STOPPED;
    return 1;
}

BOOL BASS_ChannelLock(DWORD handle, BOOL lock) {
    return logged("BASS_ChannelLock", fmt("%u,%d", handle, lock), handle) == nullptr ? 0 : 1;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    RecordedStream* s = logged("BASS_ChannelIsActive", fmt("%u", handle), handle);
    return s == nullptr ? BASS_ACTIVE_STOPPED : s->state;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    RecordedStream* s = logged("BASS_ChannelGetPosition", fmt("%u", handle), handle);
    return s == nullptr ? BadPosition : s->positionBytes;
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    RecordedStream* s =
        logged("BASS_ChannelSetPosition",
               fmt("%u,%llu", handle, static_cast<unsigned long long>(pos)), handle);
    if (s == nullptr) {
        return 0;
    }
    s->positionBytes = pos / glintTest::frameBytes(*s) * glintTest::frameBytes(*s);
    return 1;
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    RecordedStream* s =
        logged("BASS_ChannelBytes2Seconds",
               fmt("%u,%llu", handle, static_cast<unsigned long long>(pos)), handle);
    if (s == nullptr) {
        return -1.0f;
    }
    return static_cast<float>(static_cast<double>(pos / glintTest::frameBytes(*s)) / s->rate);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float secs) {
    RecordedStream* s = logged("BASS_ChannelSeconds2Bytes", fmt("%u,%g", handle, secs), handle);
    if (s == nullptr || secs < 0) {
        return BadPosition;
    }
    return static_cast<QWORD>(std::floor(static_cast<double>(secs) * s->rate)) *
           glintTest::frameBytes(*s);
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    RecordedStream* s =
        logged("BASS_ChannelGetInfo", fmt("%u,%s", handle, info ? "info" : "0"), handle);
    if (s == nullptr || info == nullptr) {
        return 0;
    }
    info->freq = s->rate;
    info->chans = s->chans;
    info->flags = s->bytesPerSample == 4 ? BASS_SAMPLE_FLOAT : 0;
    return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    RecordedStream* s = logged("BASS_ChannelGetData",
                               fmt("%u,%s,0x%x", handle, buffer ? "buf" : "0", length), handle);
    if (s == nullptr || buffer == nullptr) {
        return BadCount;
    }
    bool asFloat = (length & BASS_DATA_FLOAT) != 0;
    DWORD bytes = length & ~DWORD{BASS_DATA_FLOAT};
    DWORD sampleSize = asFloat ? 4 : s->bytesPerSample;
    DWORD count = bytes / sampleSize;
    for (DWORD i = 0; i < count; ++i) {
        float v = i < s->samples.size() ? s->samples[i] : 0.0f;
        if (sampleSize == 4) {
            std::memcpy(static_cast<char*>(buffer) + 4 * i, &v, 4);
        } else {
            float clamped = v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v);
            auto sample = static_cast<int16_t>(std::lround(clamped * 32767.0f));
            std::memcpy(static_cast<char*>(buffer) + 2 * i, &sample, 2);
        }
    }
    return count * sampleSize;
}

} // extern "C"
