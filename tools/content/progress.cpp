#include "tools/content/progress.h"

#include <algorithm>
#include <unistd.h>

namespace keltraWorks {

Progress::Progress(std::string text, std::FILE* stream)
    : label(std::move(text)), out(stream), terminal(isatty(fileno(stream)) != 0),
      start(std::chrono::steady_clock::now()) {}

double Progress::elapsedSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Progress::update(double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const double elapsed = elapsedSeconds();
    const double left = fraction > 0.01 ? elapsed * (1 - fraction) / fraction : -1;
    if (terminal) {
        // Redraw at most ten times a second.
        if (lastDraw >= 0 && elapsed - lastDraw < 0.1 && fraction < 1) {
            return;
        }
        lastDraw = elapsed;
        constexpr int Width = 30;
        const int filled = int(fraction * Width + 0.5);
        std::string bar(size_t(filled), '#');
        bar.append(size_t(Width - filled), '-');
        if (left >= 0) {
            std::fprintf(out, "\rglint: content: %s [%s] %3d%%  %5.1f s, about %4.0f s left ",
                         label.c_str(), bar.c_str(), int(fraction * 100), elapsed, left);
        } else {
            std::fprintf(out, "\rglint: content: %s [%s] %3d%%  %5.1f s                  ",
                         label.c_str(), bar.c_str(), int(fraction * 100), elapsed);
        }
        std::fflush(out);
        return;
    }
    const int tenth = int(fraction * 10);
    if (tenth > lastTenth && tenth < 10) {
        lastTenth = tenth;
        std::fprintf(out, "glint: content: %s %d%% after %.1f s, about %.0f s left\n",
                     label.c_str(), tenth * 10, elapsed, std::max(left, 0.0));
        std::fflush(out);
    }
}

void Progress::finish(const std::string& summary) {
    if (terminal) {
        update(1);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "glint: content: %s\n", summary.c_str());
    std::fflush(out);
}

} // namespace keltraWorks
