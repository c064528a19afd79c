// MP3 files made for tests and benchmarks with libmp3lame: deterministic
// signals (tones, noise, single-sample clicks at known frames), CBR or VBR,
// any rate and channel count LAME takes. Every file carries LAME's gapless
// tag, so a gapless decoder returns input frame N as frame N. Also an
// independent decode (plain libmpg123) to compare a player's output with.
//
// Files are written to a temporary name and renamed into place, so tests
// running in parallel never see half a file. Units: frames and seconds at
// the fixture's rate; samples are floats in -1..1, interleaved.
// Single-threaded use per object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glintTest {

struct Mp3Fixture {
    int rate = 44100;
    int channels = 2;
    double seconds = 3.0;
    int kbps = 128; // constant bitrate, unless vbr
    bool vbr = false;
    float toneLeft = 0.0f;  // Hz of a sine in the first channel, 0: none
    float toneRight = 0.0f; // Hz of a sine in the second channel, 0: none
    float toneLevel = 0.25f;
    float noiseLevel = 0.0f;     // deterministic white noise
    std::vector<int64_t> clicks; // frames holding a 0.9 impulse in every channel
    float clickLevel = 0.9f;

    int64_t frames() const { return static_cast<int64_t>(seconds * rate); }
    // The input signal, interleaved (small fixtures only).
    std::vector<float> pcm() const;
    // Encodes the signal into an MP3 file at path, block by block (works
    // for hours of sound). False when LAME or the file fails.
    bool write(const std::string& path) const;
};

// A folder for fixtures under the working directory, created on first use.
std::string fixtureDir();
// fixtureDir()/name after writing the fixture there; empty on failure.
std::string makeFixture(const Mp3Fixture& fixture, const std::string& name);
// Writes raw bytes (a truncated copy, something that is not an MP3...).
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readBytes(const std::string& path);

// Decodes a whole file with libmpg123 (float, gapless); empty on failure.
std::vector<float> decodeMp3(const std::string& path, int* rate, int* channels);

} // namespace glintTest
