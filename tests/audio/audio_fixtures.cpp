#include "tests/audio/audio_fixtures.h"

#include <cmath>
#include <cstring>

namespace glintTest {

namespace {

std::string once(std::string& cached, const Mp3Fixture& fixture, const char* name) {
    if (cached.empty()) {
        cached = makeFixture(fixture, name);
    }
    return cached;
}

} // namespace

const Mp3Fixture& clickFixture() {
    static const Mp3Fixture f = [] {
        Mp3Fixture m;
        m.clicks.assign(std::begin(ClickFrames), std::end(ClickFrames));
        return m;
    }();
    return f;
}

std::string clickFile() {
    static std::string path;
    return once(path, clickFixture(), "clicks.mp3");
}

const Mp3Fixture& toneFixture() {
    static const Mp3Fixture f = [] {
        Mp3Fixture m;
        m.toneLeft = 440.0f;
        m.toneRight = 1000.0f;
        return m;
    }();
    return f;
}

std::string toneFile() {
    static std::string path;
    return once(path, toneFixture(), "tones.mp3");
}

const Mp3Fixture& monoFixture() {
    static const Mp3Fixture f = [] {
        Mp3Fixture m;
        m.rate = 22050;
        m.channels = 1;
        m.seconds = 2.0;
        m.kbps = 64;
        m.toneLeft = 300.0f;
        m.toneLevel = 0.1f;
        m.clicks = {22050};
        return m;
    }();
    return f;
}

std::string monoFile() {
    static std::string path;
    return once(path, monoFixture(), "mono22k.mp3");
}

const Mp3Fixture& vbrFixture() {
    static const Mp3Fixture f = [] {
        Mp3Fixture m;
        m.vbr = true;
        m.toneLeft = 220.0f;
        m.toneRight = 5000.0f;
        m.toneLevel = 0.2f;
        m.noiseLevel = 0.05f;
        m.clicks = {90000};
        return m;
    }();
    return f;
}

std::string vbrFile() {
    static std::string path;
    return once(path, vbrFixture(), "vbr.mp3");
}

std::string truncatedFile() {
    static std::string path;
    if (path.empty()) {
        std::vector<uint8_t> bytes = readBytes(toneFile());
        bytes.resize(bytes.size() * 6 / 10);
        std::string target = fixtureDir() + "/truncated.mp3";
        path = writeBytes(target, bytes) ? target : std::string();
    }
    return path;
}

std::string notMp3File() {
    static std::string path;
    if (path.empty()) {
        std::string text;
        for (int i = 0; i < 400; ++i) {
            text += "This is a plain text file, not music at all. ";
        }
        std::string target = fixtureDir() + "/not_music.mp3";
        path = writeBytes(target, std::vector<uint8_t>(text.begin(), text.end())) ? target
                                                                                  : std::string();
    }
    return path;
}

int64_t peakFrame(const float* samples, int channels, int64_t from, int64_t to) {
    int64_t best = from;
    for (int64_t i = from; i < to; ++i) {
        if (std::fabs(samples[i * channels]) > std::fabs(samples[best * channels])) {
            best = i;
        }
    }
    return best;
}

} // namespace glintTest
