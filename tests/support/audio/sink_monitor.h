// What reaches the private sound server's sink (scripts/pulse-server.sh):
// its monitor recorded with parec as float stereo at 44.1 kHz, each read
// stamped with the monotonic time it arrived. A null sink hands each block
// to its monitor as the block begins to play, and the 2 ms fragments asked
// for here keep its blocks that short: the first frame of a read began to
// play about when the read arrived.
// Also: where recorded frames sit in the music, and the server's stop and
// start for tests of a lost output.
//
// Units: frames at 44.1 kHz, times in nanoseconds of CLOCK_MONOTONIC (the
// audio library's clock). Threads: one reader thread inside; the calls are
// for one thread and copy under a lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace glintTest {

class SinkMonitor {
  public:
    static constexpr int Rate = 44100;

    struct Arrival {
        uint64_t ns;   // when the read returned
        int64_t frame; // the first recorded frame it brought
    };

    SinkMonitor() = default;
    ~SinkMonitor() { stop(); }
    SinkMonitor(const SinkMonitor&) = delete;
    SinkMonitor& operator=(const SinkMonitor&) = delete;

    // Starts recording anew; false when parec cannot be started.
    bool start();
    // Ends parec and the reader; what was recorded stays.
    void stop();

    std::vector<float> samples() const; // interleaved stereo
    std::vector<Arrival> arrivals() const;

    // "stop" or "start" the launcher's server (GLINT_PULSE_SCRIPT and
    // GLINT_PULSE_DIR); false when there is none or the command failed.
    static bool server(const std::string& command);
    static uint64_t nowNs();

  private:
    void read();

    int pid = -1;
    int fd = -1;
    std::thread reader;
    mutable std::mutex lock;
    std::vector<float> recorded;
    std::vector<Arrival> reads;
};

// The heard position read at a moment while the music plays.
struct HeardReading {
    uint64_t ns;
    double seconds;
};
// The heard position at `ns`, from the nearest reading (it moves at the
// clock's pace while the music plays).
double heardAt(const std::vector<HeardReading>& readings, uint64_t ns);
// For each arrival from `fromSeconds` of music on, while the readings last:
// the heard position at its arrival minus the music time of its first
// frame, in ms. Recorded frame `anchor` holds music frame `anchorMusic`
// (the recording runs on without a gap).
std::vector<double> heardMinusMonitorMs(const std::vector<HeardReading>& readings,
                                        const std::vector<SinkMonitor::Arrival>& arrivals,
                                        int64_t anchor, int64_t anchorMusic, double fromSeconds);

// The first frame of the best match of `frames` frames of `recorded`
// (channel 0 of interleaved stereo) within `music` (channel 0 of
// interleaved stereo), searched at whole frames from..to; -1 when the best
// normalised correlation stays below 0.95 or the range is empty.
int64_t locateInMusic(const std::vector<float>& music, const float* recorded, int frames,
                      int64_t from, int64_t to);

} // namespace glintTest
