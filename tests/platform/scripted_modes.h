// A display for the setup dialog's tests: a scripted mode list and, when
// `haveDesktop`, a current mode. Modes listed in `refused` fail the switch
// test; every call that tests, sets or waits for the display is recorded.
// Sizes in pixels, rates in Hz. Single-threaded.
#pragma once

#include "engine/platform/display_mode_source.h"

#include <vector>

namespace glintTest {

using keltraWorks::DisplayMode;

inline DisplayMode mode(int w, int h, int bits, int rate) {
    DisplayMode m;
    m.width = w;
    m.height = h;
    m.bitsPerPixel = bits;
    m.refreshRate = rate;
    return m;
}

class ScriptedModes : public keltraWorks::DisplayModeSource {
  public:
    explicit ScriptedModes(std::vector<DisplayMode> list) : modes(std::move(list)) {}

    bool mode(int number, DisplayMode& out) override {
        if (number < 0 || number >= static_cast<int>(modes.size())) {
            return false;
        }
        out = modes[static_cast<size_t>(number)];
        return true;
    }
    bool testMode(const DisplayMode& m) override {
        tested.push_back(m);
        for (const DisplayMode& r : refused) {
            if (same(r, m)) {
                return false;
            }
        }
        return true;
    }
    bool desktopMode(DisplayMode& out) const override {
        if (haveDesktop) {
            out = desktop;
        }
        return haveDesktop;
    }
    bool setMode(const DisplayMode& m) override {
        set.push_back(m);
        return true;
    }
    void pause(int milliseconds) override { pauses.push_back(milliseconds); }

    static bool same(const DisplayMode& a, const DisplayMode& b) {
        return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
               a.refreshRate == b.refreshRate;
    }

    std::vector<DisplayMode> modes;
    bool haveDesktop = false;
    DisplayMode desktop;
    std::vector<DisplayMode> refused;
    std::vector<DisplayMode> tested;
    std::vector<DisplayMode> set;
    std::vector<int> pauses;
};

} // namespace glintTest
