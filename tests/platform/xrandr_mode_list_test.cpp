// Numbering an output's RandR modes the way the window library does, so a
// rate chosen in the dialog names the same mode when the window opens.
#include "engine/platform/xrandr_mode_list.h"

#include <gtest/gtest.h>

using keltraWorks::DisplayMode;
using keltraWorks::XrandrModeLine;

namespace {

XrandrModeLine line(int w, int h, unsigned long clock, unsigned ht, unsigned vt) {
    XrandrModeLine l;
    l.width = w;
    l.height = h;
    l.dotClock = clock;
    l.hTotal = ht;
    l.vTotal = vt;
    return l;
}

std::string describe(const std::vector<DisplayMode>& modes) {
    std::string text;
    for (const DisplayMode& m : modes) {
        text += std::to_string(m.width) + "x" + std::to_string(m.height) + "x" +
                std::to_string(m.bitsPerPixel) + "@" + std::to_string(m.refreshRate) + " ";
    }
    return text;
}

} // namespace

TEST(XrandrModeList, RatesAreRoundedToTheNearestHertz) {
    // The standard 1024 x 768 timings, and a 59.94 Hz television rate.
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1024, 768, 65000000, 1344, 806)), 60);
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1024, 768, 75000000, 1328, 806)), 70);
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1024, 768, 78750000, 1312, 800)), 75);
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1024, 768, 94500000, 1376, 808)), 85);
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1920, 1080, 148350000, 2200, 1125)), 60);
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1024, 768, 64500000, 1344, 806)), 60)
        << "59.54 Hz is nearer 60 than 59";
    // A virtual server's modes carry no timings at all.
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1024, 768, 0, 0, 0)), 0);
    EXPECT_EQ(keltraWorks::xrandrRefreshRate(line(1024, 768, 65000000, 1344, 0)), 0);
}

TEST(XrandrModeList, LargestComeFirstAndEqualModesOnce) {
    const std::vector<XrandrModeLine> lines = {
        line(800, 600, 40000000, 1056, 628),     // 60
        line(1024, 768, 65000000, 1344, 806),    // 60
        line(1024, 768, 94500000, 1376, 808),    // 85
        line(1280, 1024, 108000000, 1688, 1066), // 60
        line(1024, 768, 64900000, 1344, 806),    // 59.9: the same 60 Hz mode again
        line(1024, 768, 78750000, 1312, 800),    // 75
        line(1024, 600, 0, 0, 0),                // 0
    };
    EXPECT_EQ(describe(keltraWorks::displayModesFromXrandr(lines, false, 32)),
              "1280x1024x32@60 1024x768x32@85 1024x768x32@75 1024x768x32@60 1024x600x32@0 "
              "800x600x32@60 ");
}

TEST(XrandrModeList, AQuarterTurnedOutputSwapsWidthAndHeight) {
    const std::vector<XrandrModeLine> lines = {line(1024, 768, 65000000, 1344, 806),
                                               line(1280, 1024, 108000000, 1688, 1066)};
    EXPECT_EQ(describe(keltraWorks::displayModesFromXrandr(lines, true, 16)),
              "1024x1280x16@60 768x1024x16@60 ");
    EXPECT_TRUE(keltraWorks::displayModesFromXrandr({}, false, 32).empty());
}
