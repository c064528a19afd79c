// Shows how far a long job has got on stderr: on a terminal a bar redrawn in
// place with the percentage, the time so far and an estimate of the time
// left; otherwise (a log, a pipe) a plain line every ten percent. Wall-clock
// seconds. One thread calls it.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace keltraWorks {

class Progress {
  public:
    explicit Progress(std::string label, std::FILE* out = stderr);
    // `fraction` 0..1 of the job done.
    void update(double fraction);
    // Ends the display with a closing line.
    void finish(const std::string& summary);
    double elapsedSeconds() const;

  private:
    std::string label;
    std::FILE* out;
    bool terminal;
    std::chrono::steady_clock::time_point start;
    double lastDraw = -1;
    int lastTenth = 0;
};

} // namespace keltraWorks
