#include "tests/support/audio/mp3_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <lame/lame.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glintTest {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int BlockFrames = 8192;

// One deterministic noise value in -1..1 per (frame, channel).
float noiseAt(int64_t frame, int channel) {
    uint64_t x = static_cast<uint64_t>(frame) * 2 + static_cast<uint64_t>(channel) + 1;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    x ^= x >> 33;
    return static_cast<float>(static_cast<double>(x >> 11) / 4503599627370496.0 - 1.0);
}

float sampleAt(const Mp3Fixture& f, int64_t frame, int channel) {
    float tone = channel == 0 ? f.toneLeft : f.toneRight;
    double v = 0.0;
    if (tone > 0.0f) {
        v += f.toneLevel * std::sin(2.0 * Pi * tone * static_cast<double>(frame) / f.rate);
    }
    if (f.noiseLevel > 0.0f) {
        v += f.noiseLevel * noiseAt(frame, channel);
    }
    for (int64_t click : f.clicks) {
        if (click == frame) {
            v += f.clickLevel;
        }
    }
    return static_cast<float>(v);
}

} // namespace

std::vector<float> Mp3Fixture::pcm() const {
    std::vector<float> out(static_cast<size_t>(frames()) * channels);
    for (int64_t i = 0; i < frames(); ++i) {
        for (int c = 0; c < channels; ++c) {
            out[static_cast<size_t>(i) * channels + c] = sampleAt(*this, i, c);
        }
    }
    return out;
}

bool Mp3Fixture::write(const std::string& path) const {
    lame_t lame = lame_init();
    if (lame == nullptr) {
        return false;
    }
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_quality(lame, 7);
    lame_set_bWriteVbrTag(lame, 1); // the gapless tag, also for CBR
    if (vbr) {
        lame_set_VBR(lame, vbr_default);
        lame_set_VBR_quality(lame, 4.0f);
    } else {
        lame_set_VBR(lame, vbr_off);
        lame_set_brate(lame, kbps);
    }
    std::string temp = path + ".tmp" + std::to_string(getpid());
    std::FILE* file = lame_init_params(lame) >= 0 ? std::fopen(temp.c_str(), "wb") : nullptr;
    if (file == nullptr) {
        lame_close(lame);
        return false;
    }
    std::vector<float> left(BlockFrames);
    std::vector<float> right(BlockFrames);
    std::vector<unsigned char> mp3(BlockFrames * 5 / 4 + 7200);
    bool ok = true;
    for (int64_t done = 0; ok && done < frames(); done += BlockFrames) {
        int n = static_cast<int>(std::min<int64_t>(BlockFrames, frames() - done));
        for (int i = 0; i < n; ++i) {
            left[i] = sampleAt(*this, done + i, 0);
            right[i] = channels > 1 ? sampleAt(*this, done + i, 1) : left[i];
        }
        int bytes = lame_encode_buffer_ieee_float(lame, left.data(), right.data(), n, mp3.data(),
                                                  static_cast<int>(mp3.size()));
        ok = bytes >= 0 && std::fwrite(mp3.data(), 1, static_cast<size_t>(bytes), file) ==
                               static_cast<size_t>(bytes);
    }
    int bytes = ok ? lame_encode_flush(lame, mp3.data(), static_cast<int>(mp3.size())) : -1;
    ok = bytes >= 0 &&
         std::fwrite(mp3.data(), 1, static_cast<size_t>(bytes), file) == static_cast<size_t>(bytes);
    // LAME left an empty first frame for the tag that carries the encoder
    // delay and padding: fill it in now.
    size_t tagBytes = ok ? lame_get_lametag_frame(lame, mp3.data(), mp3.size()) : 0;
    if (ok && tagBytes > 0 && tagBytes <= mp3.size()) {
        ok = std::fseek(file, 0, SEEK_SET) == 0 &&
             std::fwrite(mp3.data(), 1, tagBytes, file) == tagBytes;
    }
    ok = std::fclose(file) == 0 && ok;
    lame_close(lame);
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::string fixtureDir() {
    std::string dir = "audio_fixtures";
    ::mkdir(dir.c_str(), 0755);
    return dir;
}

std::string makeFixture(const Mp3Fixture& fixture, const std::string& name) {
    std::string path = fixtureDir() + "/" + name;
    return fixture.write(path) ? path : std::string();
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string temp = path + ".tmp" + std::to_string(getpid());
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
    }
    std::fclose(file);
    return bytes;
}

std::vector<float> decodeMp3(const std::string& path, int* rate, int* channels) {
    std::vector<float> out;
    mpg123_init();
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (mh == nullptr) {
        return out;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) {
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    }
    long r = 0;
    int ch = 0;
    int enc = 0;
    if (mpg123_open(mh, path.c_str()) == MPG123_OK &&
        mpg123_getformat(mh, &r, &ch, &enc) == MPG123_OK) {
        *rate = static_cast<int>(r);
        *channels = ch;
        float block[4096];
        size_t done = 0;
        int status;
        do {
            status = mpg123_read(mh, block, sizeof block, &done);
            out.insert(out.end(), block, block + done / sizeof(float));
        } while (status == MPG123_OK || status == MPG123_NEW_FORMAT);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return out;
}

} // namespace glintTest
