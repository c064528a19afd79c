// Stage figures of the music path, measured with the player's own track
// player and audio library on SDL's dummy device, in a folder holding
// glint.mp3. Prints "name value" lines for scripts/bench.sh:
//   audio_stages next      next-track call -> first sound of the new track
//                          handed to the device, ms (median, worst), and
//                          the device period in ms
//   audio_stages scope     oscilloscope samples (BASS_ChannelGetData) against
//                          the music at the heard position, offset in ms
//   audio_stages play N    CPU share of one core while playing N seconds
//   audio_stages longrun   resident memory while seeking to each of the ten
//                          tracks and mixing 60 s of each (10 minutes of
//                          music, faster than real time), MiB
#include "app/track_player.h"
#include "audio/bass.h"
#include "audio/byte_source.h"
#include "audio/mp3_decoder.h"
#include "audio/stream.h"
#include "bench/support/process_figures.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using glintBench::cpuSeconds;
using glintBench::residentMiB;

constexpr int DeviceRate = 44100;
constexpr int Period = 1024;

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void sleepMs(double ms) {
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(ms * 1000)));
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

bool startPlayer() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!BASS_Init(-1, DeviceRate, 0, nullptr, nullptr)) {
        std::fprintf(stderr, "glint: bench: the audio library did not start\n");
        return false;
    }
    if (!trackPlayer.open()) {
        std::fprintf(stderr, "glint: bench: cannot open %s\n", TrackPlayer::MusicFile);
        return false;
    }
    return true;
}

int next() {
    if (!startPlayer()) {
        return 1;
    }
    trackPlayer.play();
    sleepMs(500);
    std::vector<double> waits;
    for (int i = 0; i < 12; ++i) {
        const double start = nowMs();
        const int track = trackPlayer.nextTrack();
        const float from = trackPlayer.trackStart(track);
        // Heard once the position moves past the track start: a buffer of
        // the new place has been handed to the device.
        while (trackPlayer.elapsedSeconds() <= from + 0.0005f && nowMs() - start < 1000) {
            sleepMs(0.1);
        }
        waits.push_back(nowMs() - start);
        sleepMs(300 + 37 * i); // land at different points of the period
    }
    std::printf("next_ms %.2f\n", median(waits));
    std::printf("next_worst_ms %.2f\n", *std::max_element(waits.begin(), waits.end()));
    std::printf("period_ms %.2f\n", Period * 1000.0 / DeviceRate);
    trackPlayer.close();
    BASS_Free();
    return 0;
}

// The music around `frame` as mono (left plus right), decoded apart from
// the playing stream.
std::vector<float> musicAround(int64_t frame, int before, int count) {
    std::string error;
    auto decoder = keltraWorks::Mp3Decoder::open(
        keltraWorks::ByteSource::openFile(TrackPlayer::MusicFile, 0, 0, &error), true, &error);
    std::vector<float> mono;
    if (!decoder) {
        return mono;
    }
    keltraWorks::Stream stream(std::move(decoder), DeviceRate);
    stream.setFrame(std::max<int64_t>(0, frame - before));
    stream.play(false);
    std::vector<float> out(2 * Period);
    while (static_cast<int>(mono.size()) < count) {
        std::fill(out.begin(), out.end(), 0.0f);
        stream.mixInto(out.data(), Period, 0);
        for (int i = 0; i < Period; ++i) {
            mono.push_back(out[2 * i] + out[2 * i + 1]);
        }
    }
    mono.resize(count);
    return mono;
}

int scope() {
    if (!startPlayer()) {
        return 1;
    }
    BASS_CHANNELINFO info{};
    HSTREAM handle = BASS_StreamCreateFile(0, TrackPlayer::MusicFile, 0, 0, BASS_SAMPLE_FLOAT);
    BASS_ChannelGetInfo(handle, &info);
    BASS_StreamFree(handle);
    const int channels = static_cast<int>(info.chans);
    const int search = DeviceRate / 20; // +-50 ms
    std::vector<double> offsets;
    trackPlayer.nextTrack(); // 1234 s, well into the music
    trackPlayer.play();
    sleepMs(400);
    for (int i = 0; i < 15; ++i) {
        sleepMs(70 + 13 * i);
        std::vector<float> data(static_cast<size_t>(channels) * 1024);
        const double heard = trackPlayer.elapsedSeconds();
        BASS_ChannelGetData(trackPlayer.stream(), data.data(),
                            static_cast<DWORD>(channels * 4096) | BASS_DATA_FLOAT);
        std::vector<float> shown(1024);
        for (int f = 0; f < 1024; ++f) {
            shown[f] = channels == 2 ? data[2 * f] + data[2 * f + 1] : 2 * data[f];
        }
        const int64_t heardFrame = static_cast<int64_t>(heard * DeviceRate);
        std::vector<float> music = musicAround(heardFrame, search, 2 * search + 1024);
        if (music.empty()) {
            return 1;
        }
        // The lag with the best normalised correlation is where the shown
        // samples sit in the music, relative to the heard frame.
        double best = -2.0;
        int bestLag = 0;
        for (int lag = -search; lag <= search; ++lag) {
            double dot = 0, a = 0, b = 0;
            for (int f = 0; f < 1024; ++f) {
                const double m = music[search + lag + f];
                dot += m * shown[f];
                a += m * m;
                b += static_cast<double>(shown[f]) * shown[f];
            }
            const double c = a > 0 && b > 0 ? dot / std::sqrt(a * b) : -1.0;
            if (c > best) {
                best = c;
                bestLag = lag;
            }
        }
        if (best > 0.9) {
            offsets.push_back(std::fabs(bestLag * 1000.0 / DeviceRate));
        }
    }
    std::printf("scope_offset_ms %.2f\n", median(offsets));
    std::printf("scope_matched %zu\n", offsets.size());
    trackPlayer.close();
    BASS_Free();
    return 0;
}

int play(double seconds) {
    if (!startPlayer()) {
        return 1;
    }
    BASS_ChannelSetPosition(trackPlayer.stream(),
                            BASS_ChannelSeconds2Bytes(trackPlayer.stream(), 4092.0f));
    trackPlayer.play();
    sleepMs(300);
    const double cpu = cpuSeconds();
    const float from = trackPlayer.elapsedSeconds();
    sleepMs(seconds * 1000);
    const float music = trackPlayer.elapsedSeconds() - from;
    std::printf("play_core_percent %.2f\n", (cpuSeconds() - cpu) / music * 100.0);
    trackPlayer.close();
    BASS_Free();
    return 0;
}

int longrun() {
    std::string error;
    auto decoder = keltraWorks::Mp3Decoder::open(
        keltraWorks::ByteSource::openFile(TrackPlayer::MusicFile, 0, 0, &error), true, &error);
    if (!decoder) {
        std::fprintf(stderr, "glint: bench: %s\n", error.c_str());
        return 1;
    }
    keltraWorks::Stream stream(std::move(decoder), DeviceRate);
    stream.play(false);
    std::vector<float> out(2 * Period);
    const double start = residentMiB();
    double most = start;
    for (float from : TrackPlayer::TrackTable) {
        stream.setFrame(static_cast<int64_t>(from * DeviceRate));
        for (int p = 0; p < 60 * DeviceRate / Period; ++p) {
            stream.mixInto(out.data(), Period, 0);
        }
        most = std::max(most, residentMiB());
    }
    std::printf("longrun_start_MiB %.2f\n", start);
    std::printf("longrun_end_MiB %.2f\n", residentMiB());
    std::printf("longrun_growth_MiB %.2f\n", most - start);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "next") {
        return next();
    }
    if (what == "scope") {
        return scope();
    }
    if (what == "play") {
        return play(argc > 2 ? std::atof(argv[2]) : 10.0);
    }
    if (what == "longrun") {
        return longrun();
    }
    std::fprintf(stderr, "usage: audio_stages next|scope|play SECONDS|longrun\n");
    return 2;
}
