// What a benchmark driver measures of its own process: the processor time
// it has used (user and system, seconds), its resident size now and its
// peak resident size (MiB). Each call reads the kernel's figures afresh;
// any thread may call. -1 when a figure cannot be read.
#pragma once

namespace glintBench {

double cpuSeconds();
double residentMiB();
// The high-water mark of the resident size (VmHWM), as the benchmark reads
// it for the player.
double peakMiB();

} // namespace glintBench
