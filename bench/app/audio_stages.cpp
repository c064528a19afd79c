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
// On the private sound server of scripts/pulse-server.sh (its environment):
//   audio_stages heard     the heard position against the sink's monitor
//                          recording, ms (median), beside the latency the
//                          server reports for the stream, ms
//   audio_stages restart   the server stopped for 1.5 s mid-play and started
//                          again -> music in the monitor again, s
#include "app/track_player.h"
#include "audio/bass.h"
#include "audio/byte_source.h"
#include "audio/mp3_decoder.h"
#include "audio/stream.h"
#include "bench/support/process_figures.h"
#include "tests/support/audio/sink_monitor.h"

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

// The output is the library's choice from the environment: scripts/bench.sh
// names SDL's dummy driver, the sound server's rows leave it unnamed.
bool startPlayer() {
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

// The music around `frame` as the player renders it (interleaved stereo),
// decoded apart from the playing stream.
std::vector<float> musicAround(int64_t frame, int before, int count) {
    std::string error;
    auto decoder = keltraWorks::Mp3Decoder::open(
        keltraWorks::ByteSource::openFile(TrackPlayer::MusicFile, 0, 0, &error), true, &error);
    std::vector<float> music;
    if (!decoder) {
        return music;
    }
    keltraWorks::Stream stream(std::move(decoder), DeviceRate);
    stream.setFrame(std::max<int64_t>(0, frame - before));
    stream.play(false);
    std::vector<float> out(2 * Period);
    while (static_cast<int>(music.size()) < 2 * count) {
        std::fill(out.begin(), out.end(), 0.0f);
        stream.mixInto(out.data(), Period, 0);
        music.insert(music.end(), out.begin(), out.end());
    }
    music.resize(static_cast<size_t>(2 * count));
    return music;
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
                const size_t at = static_cast<size_t>(2 * (search + lag + f));
                const double m = music[at] + music[at + 1];
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

// The stream's latency as the server reports it (buffer plus sink), ms.
double serverLatencyMs() {
    std::FILE* listing = popen("pactl list sink-inputs", "r");
    double total = 0.0;
    char line[256];
    while (listing != nullptr && std::fgets(line, sizeof line, listing) != nullptr) {
        double usec = 0.0;
        if (std::sscanf(line, " Buffer Latency: %lf usec", &usec) == 1 ||
            std::sscanf(line, " Sink Latency: %lf usec", &usec) == 1) {
            total += usec / 1000.0;
        }
    }
    if (listing != nullptr) {
        pclose(listing);
    }
    return total;
}

uint64_t monotonicNs() {
    return glintTest::SinkMonitor::nowNs();
}

std::vector<glintTest::HeardReading> followHeard(double seconds) {
    std::vector<glintTest::HeardReading> readings;
    const uint64_t end = monotonicNs() + static_cast<uint64_t>(seconds * 1e9);
    while (monotonicNs() < end) {
        readings.push_back({monotonicNs(), trackPlayer.elapsedSeconds()});
        sleepMs(2);
    }
    return readings;
}

int heard() {
    glintTest::SinkMonitor monitor;
    if (!startPlayer() || !monitor.start()) {
        return 1;
    }
    trackPlayer.nextTrack(); // 1234 s, well into the music
    trackPlayer.play();
    sleepMs(500);
    const double latency = serverLatencyMs();
    const auto readings = followHeard(3.0);
    monitor.stop();
    const std::vector<float> recorded = monitor.samples();
    // One match fixes every recorded frame's place in the music.
    const int64_t anchor = static_cast<int64_t>(recorded.size() / 2) - DeviceRate;
    const auto guess = static_cast<int64_t>(
        glintTest::heardAt(readings, readings.back().ns - 1000000000ull) * DeviceRate);
    const int search = DeviceRate / 2;
    std::vector<float> music = musicAround(guess, search, 2 * search + 2048);
    const int64_t found =
        anchor >= 0
            ? glintTest::locateInMusic(music, recorded.data() + 2 * anchor, 2048, 0, 2 * search)
            : -1;
    if (found < 0) {
        std::fprintf(stderr, "glint: bench: the music is not in the sink's monitor\n");
        return 1;
    }
    std::vector<double> offsets = glintTest::heardMinusMonitorMs(
        readings, monitor.arrivals(), anchor, guess - search + found, 1234.3);
    std::printf("server_heard_offset_ms %.2f\n", median(offsets));
    std::printf("server_heard_matched %zu\n", offsets.size());
    std::printf("server_latency_ms %.2f\n", latency);
    trackPlayer.close();
    BASS_Free();
    return 0;
}

int restart() {
    glintTest::SinkMonitor monitor;
    if (!startPlayer()) {
        return 1;
    }
    trackPlayer.nextTrack();
    trackPlayer.play();
    sleepMs(500);
    if (!glintTest::SinkMonitor::server("stop")) {
        return 1;
    }
    sleepMs(1500);
    if (!glintTest::SinkMonitor::server("start") || !monitor.start()) {
        return 1;
    }
    const uint64_t back = monotonicNs();
    double waited = -1.0;
    while (waited < 0 && monotonicNs() - back < 5000000000ull) {
        sleepMs(5);
        const std::vector<float> recorded = monitor.samples();
        for (const auto& a : monitor.arrivals()) {
            const size_t from = static_cast<size_t>(2 * a.frame);
            if (from + 512 <= recorded.size() &&
                std::any_of(recorded.begin() + static_cast<long>(from),
                            recorded.begin() + static_cast<long>(from + 512),
                            [](float v) { return std::fabs(v) > 0.01f; })) {
                waited = static_cast<double>(a.ns - back) * 1e-9;
                break;
            }
        }
    }
    monitor.stop();
    std::printf("server_back_s %.3f\n", waited < 0 ? 99.0 : waited);
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
    if (what == "heard") {
        return heard();
    }
    if (what == "restart") {
        return restart();
    }
    std::fprintf(stderr, "usage: audio_stages next|scope|play SECONDS|longrun|heard|restart\n");
    return 2;
}
