#include "tests/support/audio/sink_monitor.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

namespace glintTest {

uint64_t SinkMonitor::nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

bool SinkMonitor::start() {
    int ends[2];
    if (pid > 0 || pipe(ends) != 0) {
        return false;
    }
    pid = fork();
    if (pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        close(ends[0]);
        close(ends[1]);
        execlp("parec", "parec", "--device=glint.monitor", "--format=float32le", "--rate=44100",
               "--channels=2", "--latency-msec=2", "--raw", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return false;
    }
    fd = ends[0];
    recorded.clear();
    reads.clear();
    reader = std::thread([this] { read(); });
    return true;
}

void SinkMonitor::stop() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    if (reader.joinable()) {
        reader.join();
    }
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

void SinkMonitor::read() {
    std::vector<char> bytes(1 << 16);
    size_t held = 0; // bytes of a frame not yet complete
    for (;;) {
        ssize_t got = ::read(fd, bytes.data() + held, bytes.size() - held);
        if (got <= 0) {
            return;
        }
        const uint64_t now = nowNs();
        held += static_cast<size_t>(got);
        const size_t whole = held / 8 * 8;
        std::lock_guard<std::mutex> hold(lock);
        const auto* samples = reinterpret_cast<const float*>(bytes.data());
        reads.push_back({now, static_cast<int64_t>(recorded.size() / 2)});
        recorded.insert(recorded.end(), samples, samples + whole / 4);
        std::copy(bytes.begin() + static_cast<long>(whole), bytes.begin() + static_cast<long>(held),
                  bytes.begin());
        held -= whole;
    }
}

std::vector<float> SinkMonitor::samples() const {
    std::lock_guard<std::mutex> hold(lock);
    return recorded;
}

std::vector<SinkMonitor::Arrival> SinkMonitor::arrivals() const {
    std::lock_guard<std::mutex> hold(lock);
    return reads;
}

bool SinkMonitor::server(const std::string& command) {
    const char* script = std::getenv("GLINT_PULSE_SCRIPT");
    const char* dir = std::getenv("GLINT_PULSE_DIR");
    if (script == nullptr || dir == nullptr) {
        return false;
    }
    const std::string line = std::string("'") + script + "' " + command + " '" + dir + "'";
    return std::system(line.c_str()) == 0;
}

double heardAt(const std::vector<HeardReading>& readings, uint64_t ns) {
    auto gap = [ns](const HeardReading& r) { return std::llabs(static_cast<int64_t>(r.ns - ns)); };
    auto nearest = std::min_element(readings.begin(), readings.end(),
                                    [&](auto& a, auto& b) { return gap(a) < gap(b); });
    return nearest->seconds + static_cast<double>(static_cast<int64_t>(ns - nearest->ns)) * 1e-9;
}

std::vector<double> heardMinusMonitorMs(const std::vector<HeardReading>& readings,
                                        const std::vector<SinkMonitor::Arrival>& arrivals,
                                        int64_t anchor, int64_t anchorMusic, double fromSeconds) {
    std::vector<double> offsets;
    for (const SinkMonitor::Arrival& a : arrivals) {
        const double music =
            static_cast<double>(anchorMusic + a.frame - anchor) / SinkMonitor::Rate;
        if (music >= fromSeconds && !readings.empty() && a.ns < readings.back().ns) {
            offsets.push_back((heardAt(readings, a.ns) - music) * 1000.0);
        }
    }
    return offsets;
}

int64_t locateInMusic(const std::vector<float>& music, const float* recorded, int frames,
                      int64_t from, int64_t to) {
    from = std::max<int64_t>(from, 0);
    to = std::min<int64_t>(to, static_cast<int64_t>(music.size() / 2) - frames);
    double energy = 0.0;
    for (int i = 0; i < frames; ++i) {
        energy += static_cast<double>(recorded[2 * i]) * recorded[2 * i];
    }
    double best = 0.95;
    int64_t found = -1;
    for (int64_t at = from; at < to && energy > 0.0; ++at) {
        double dot = 0.0;
        double own = 0.0;
        for (int i = 0; i < frames; ++i) {
            const double m = music[static_cast<size_t>(2 * (at + i))];
            dot += m * recorded[2 * i];
            own += m * m;
        }
        const double c = own > 0.0 ? dot / std::sqrt(own * energy) : 0.0;
        if (c > best) {
            best = c;
            found = at;
        }
    }
    return found;
}

} // namespace glintTest
