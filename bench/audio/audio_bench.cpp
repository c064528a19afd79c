// Figures of the audio library on the full-length music:
// - open: creating the stream, which scans every frame of the file;
// - seek: moving to 5653 s and rendering the first period from there, which
//   is where the decoder actually seeks;
// - period: decoding and mixing one 1024-frame period in steady playback,
//   with the share of a core that costs per second of music;
// - playback: five seconds on SDL's dummy device, the process's CPU time
//   per second of music (the share of a core) and its memory before and
//   after; memory: resident size while seeking all through the file.
// Run: build/audio_bench (SDL's dummy driver unless SDL_AUDIODRIVER is set).
#include "audio/bass.h"
#include "audio/byte_source.h"
#include "audio/mp3_decoder.h"
#include "audio/stream.h"
#include "bench/support/process_figures.h"
#include "tests/support/audio/mp3_fixture.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using glintBench::cpuSeconds;
using glintBench::peakMiB;
using glintBench::residentMiB;

constexpr double LongSeconds = 98.5 * 60;
constexpr int DeviceRate = 44100;
constexpr int Period = 1024;

bool exists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && info.st_size > 0;
}

// The music to measure on, made once when the program's own is missing.
const std::string& musicPath() {
    static const std::string path = [] {
        if (exists(GLINT_CONTENT_MUSIC)) {
            return std::string(GLINT_CONTENT_MUSIC);
        }
        if (!exists(GLINT_BENCH_MUSIC)) {
            std::fprintf(stderr, "glint: bench: making a %.1f-minute MP3 once: %s\n",
                         LongSeconds / 60, GLINT_BENCH_MUSIC);
            glintTest::Mp3Fixture music;
            music.seconds = LongSeconds;
            music.kbps = 96;
            music.toneLeft = 220.0f;
            music.toneRight = 330.0f;
            music.noiseLevel = 0.02f;
            if (!music.write(GLINT_BENCH_MUSIC)) {
                std::fprintf(stderr, "glint: bench: cannot write %s\n", GLINT_BENCH_MUSIC);
                std::exit(1);
            }
        }
        return std::string(GLINT_BENCH_MUSIC);
    }();
    return path;
}

std::unique_ptr<keltraWorks::Stream> openStream() {
    std::string error;
    auto decoder = keltraWorks::Mp3Decoder::open(
        keltraWorks::ByteSource::openFile(musicPath().c_str(), 0, 0, &error), true, &error);
    if (!decoder) {
        std::fprintf(stderr, "glint: bench: %s\n", error.c_str());
        std::exit(1);
    }
    return std::make_unique<keltraWorks::Stream>(std::move(decoder), DeviceRate);
}

class Library {
  public:
    Library() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ok = BASS_Init(-1, DeviceRate, 0, nullptr, nullptr) != 0;
    }
    ~Library() { BASS_Free(); }
    bool ok = false;
};

void BM_Open(benchmark::State& state) {
    Library library;
    HSTREAM warm = BASS_StreamCreateFile(0, musicPath().c_str(), 0, 0, BASS_SAMPLE_FLOAT);
    BASS_StreamFree(warm); // the file is in the page cache from here on
    for (auto _ : state) {
        HSTREAM h = BASS_StreamCreateFile(0, musicPath().c_str(), 0, 0, BASS_SAMPLE_FLOAT);
        state.PauseTiming();
        if (h == 0) {
            state.SkipWithError("cannot open the music");
        }
        BASS_StreamFree(h);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_SeekTo5653(benchmark::State& state) {
    auto stream = openStream();
    std::vector<float> out(2 * Period);
    stream->play(false);
    uint64_t now = 0;
    for (auto _ : state) {
        // Away first (not timed), so that every timed seek really moves.
        state.PauseTiming();
        stream->setFrame(int64_t{100} * DeviceRate);
        stream->mixInto(out.data(), Period, now);
        state.ResumeTiming();
        stream->setFrame(int64_t{5653} * DeviceRate);
        stream->mixInto(out.data(), Period, now);
        benchmark::DoNotOptimize(out.data());
    }
    if (stream->heardFrame(now) != int64_t{5653} * DeviceRate) {
        state.SkipWithError("the seek did not land on 5653 s");
    }
}
BENCHMARK(BM_SeekTo5653)->Unit(benchmark::kMicrosecond);

void BM_Period(benchmark::State& state) {
    auto stream = openStream();
    std::vector<float> out(2 * Period);
    stream->setFrame(int64_t{1234} * DeviceRate);
    stream->play(false);
    uint64_t now = 0;
    double cpuStart = cpuSeconds();
    for (auto _ : state) {
        stream->mixInto(out.data(), Period, now);
        benchmark::DoNotOptimize(out.data());
        if (stream->state() != keltraWorks::Stream::State::Playing) {
            stream->play(true);
        }
    }
    // CPU seconds per second of music, as a share of one core.
    double music = static_cast<double>(state.iterations()) * Period / DeviceRate;
    state.counters["core_percent"] = (cpuSeconds() - cpuStart) / music * 100.0;
}
BENCHMARK(BM_Period)->Unit(benchmark::kMicrosecond);

void BM_PlaybackOnDevice(benchmark::State& state) {
    Library library;
    double before = residentMiB();
    HSTREAM h = BASS_StreamCreateFile(0, musicPath().c_str(), 0, 0, BASS_SAMPLE_FLOAT);
    double opened = residentMiB();
    BASS_ChannelSetPosition(h, BASS_ChannelSeconds2Bytes(h, 4092.0f));
    BASS_ChannelPlay(h, 0);
    double cpu = 0.0;
    double music = 0.0;
    for (auto _ : state) {
        // Only the library works: its audio thread decodes and mixes.
        double cpuStart = cpuSeconds();
        float from = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h));
        std::this_thread::sleep_for(std::chrono::seconds(5));
        music += BASS_ChannelBytes2Seconds(h, BASS_ChannelGetPosition(h)) - from;
        cpu += cpuSeconds() - cpuStart;
    }
    double played = residentMiB();
    BASS_StreamFree(h);
    state.counters["core_percent"] = music > 0 ? cpu / music * 100.0 : -1;
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_opened_MiB"] = opened;
    state.counters["rss_played_MiB"] = played;
    state.counters["peak_rss_MiB"] = peakMiB();
}
BENCHMARK(BM_PlaybackOnDevice)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_MemoryAcrossTheFile(benchmark::State& state) {
    auto stream = openStream();
    std::vector<float> out(2 * Period);
    stream->play(false);
    double start = residentMiB();
    double most = start;
    for (auto _ : state) {
        // Seek through the whole file, playing a little at each place.
        for (int second = 0; second < 5900; second += 59) {
            stream->setFrame(int64_t{second} * DeviceRate);
            for (int p = 0; p < 20; ++p) {
                stream->mixInto(out.data(), Period, 0);
            }
            most = std::max(most, residentMiB());
        }
    }
    state.counters["rss_start_MiB"] = start;
    state.counters["rss_growth_MiB"] = most - start;
}
BENCHMARK(BM_MemoryAcrossTheFile)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
