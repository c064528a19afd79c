#include "bench/support/process_figures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace glintBench {

double cpuSeconds() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        return -1.0;
    }
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double residentMiB() {
    long pages = 0;
    long resident = -1;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return -1.0;
    }
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
        resident = -1;
    }
    std::fclose(statm);
    if (resident < 0) {
        return -1.0;
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

double peakMiB() {
    double kib = -1.0;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1.0;
    }
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kib = std::atof(line + 6);
        }
    }
    std::fclose(status);
    return kib < 0 ? -1.0 : kib / 1024.0;
}

} // namespace glintBench
