#include "tools/content/music_writer.h"

#include "tools/content/block_queue.h"
#include "tools/content/mp3_encoder.h"
#include "tools/content/music_synth.h"
#include "tools/content/progress.h"

#include <cmath>
#include <cstdio>
#include <thread>
#include <time.h>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace keltraWorks {

namespace {

constexpr int ChunkFrames = 16384;

struct Chunk {
    std::vector<float> left, right;
    int frames = 0;
    float lowestGain = 1;
};

void flushDenormalsToZero() {
#if defined(__SSE__)
    // Decaying filters and reverb tails reach denormal numbers, which the
    // CPU handles a hundred times slower; treating them as zero is inaudible
    // and the same on every run.
    _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

} // namespace

bool writeMusic(const std::string& path, double seconds, MusicReport* report, std::string* error) {
    Mp3Encoder encoder;
    if (!encoder.open(path, error)) {
        return false;
    }
    BlockQueue<Chunk> queue(8);
    const int64_t total = std::llround(seconds * SampleRate); // as MusicSynth counts

    double synthesisCpu = 0;
    std::thread producer([&queue, &synthesisCpu, seconds] {
        flushDenormalsToZero();
        const double cpuAtStart = threadCpuSeconds();
        MusicSynth synth(seconds);
        while (synth.position() < synth.totalFrames()) {
            Chunk chunk;
            chunk.frames =
                int(std::min<int64_t>(ChunkFrames, synth.totalFrames() - synth.position()));
            chunk.left.resize(size_t(chunk.frames));
            chunk.right.resize(size_t(chunk.frames));
            synth.render(chunk.left.data(), chunk.right.data(), chunk.frames);
            chunk.lowestGain = synth.lowestLimiterGain();
            if (!queue.push(std::move(chunk))) {
                return; // the encoder gave up
            }
        }
        synthesisCpu = threadCpuSeconds() - cpuAtStart;
        queue.close();
    });

    Progress progress("music");
    Chunk chunk;
    int64_t done = 0;
    float lowest = 1;
    bool ok = true;
    double encodingCpu = 0;
    while (queue.pop(chunk)) {
        const double before = threadCpuSeconds();
        const bool encoded =
            encoder.encode(chunk.left.data(), chunk.right.data(), chunk.frames, error);
        encodingCpu += threadCpuSeconds() - before;
        if (!encoded) {
            ok = false;
            break;
        }
        done += chunk.frames;
        lowest = chunk.lowestGain;
        progress.update(total > 0 ? double(done) / double(total) : 1.0);
    }
    queue.close();
    producer.join();
    if (ok && done != total) {
        *error = "the synthesiser stopped early";
        ok = false;
    }
    if (ok) {
        ok = encoder.finish(error);
    }
    if (!ok) {
        return false;
    }
    char summary[320];
    std::snprintf(summary, sizeof summary,
                  "music: %s, %.0f s of audio, %.1f MB, in %.1f s (processor time: synthesis "
                  "%.1f s, encoding %.1f s)",
                  path.c_str(), seconds, double(encoder.bytesWritten()) / 1e6,
                  progress.elapsedSeconds(), synthesisCpu, encodingCpu);
    progress.finish(summary);
    if (report) {
        report->wallSeconds = progress.elapsedSeconds();
        report->bytes = encoder.bytesWritten();
        report->frames = done;
        report->lowestLimiterGain = lowest;
        report->synthesisCpuSeconds = synthesisCpu;
        report->encodingCpuSeconds = encodingCpu;
    }
    return true;
}

} // namespace keltraWorks
