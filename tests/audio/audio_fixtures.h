// The MP3 fixtures shared by the audio tests, made once per test process.
#pragma once

#include "tests/support/audio/mp3_fixture.h"

#include <string>

namespace glintTest {

// 3 s stereo 44.1 kHz CBR, silent but for clicks at ClickFrames.
inline constexpr int64_t ClickFrames[] = {11025, 44100, 70000, 100000};
const Mp3Fixture& clickFixture();
std::string clickFile();
// 3 s stereo 44.1 kHz, a different tone in each channel.
const Mp3Fixture& toneFixture();
std::string toneFile();
// 2 s mono 22.05 kHz tone with one click at 22050.
const Mp3Fixture& monoFixture();
std::string monoFile();
// 3 s stereo VBR of tones and noise, with a click at 90000.
const Mp3Fixture& vbrFixture();
std::string vbrFile();
// The tone file cut mid-frame at 60 % of its bytes.
std::string truncatedFile();
// A text file named like an MP3.
std::string notMp3File();

// The frame of the largest absolute sample of channel 0 in [from, to).
int64_t peakFrame(const float* samples, int channels, int64_t from, int64_t to);

} // namespace glintTest
