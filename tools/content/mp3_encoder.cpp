#include "tools/content/mp3_encoder.h"

#include <lame/lame.h>

#include <cerrno>
#include <cstring>

namespace keltraWorks {

Mp3Encoder::~Mp3Encoder() {
    abandon();
}

void Mp3Encoder::abandon() {
    if (file) {
        std::fclose(file);
        file = nullptr;
        std::remove(partPath.c_str());
    }
    if (lame) {
        lame_close(lame);
        lame = nullptr;
    }
}

bool Mp3Encoder::open(const std::string& path, std::string* error) {
    abandon();
    lame = lame_init();
    if (!lame) {
        *error = "the MP3 encoder could not start";
        return false;
    }
    lame_set_in_samplerate(lame, 44100);
    lame_set_out_samplerate(lame, 44100);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 96);
    lame_set_quality(lame, 7);
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        *error = "the MP3 encoder refused its settings";
        abandon();
        return false;
    }
    finalPath = path;
    partPath = path + ".part";
    file = std::fopen(partPath.c_str(), "wb");
    if (!file) {
        *error = "cannot create \"" + partPath + "\": " + std::strerror(errno);
        abandon();
        return false;
    }
    written = 0;
    return true;
}

bool Mp3Encoder::put(const unsigned char* bytes, size_t n, std::string* error) {
    if (n > 0 && std::fwrite(bytes, 1, n, file) != n) {
        *error = "cannot write \"" + partPath + "\": " + std::strerror(errno);
        return false;
    }
    written += n;
    return true;
}

bool Mp3Encoder::encode(const float* left, const float* right, int frames, std::string* error) {
    if (!lame || !file) {
        *error = "the MP3 encoder is not open";
        return false;
    }
    // LAME's own bound for its output: 1.25 x frames + 7200 bytes.
    buffer.resize(size_t(frames) * 5 / 4 + 7200);
    const int n =
        lame_encode_buffer_ieee_float(lame, left, right, frames, buffer.data(), int(buffer.size()));
    if (n < 0) {
        *error = "the MP3 encoder failed (" + std::to_string(n) + ")";
        return false;
    }
    return put(buffer.data(), size_t(n), error);
}

bool Mp3Encoder::finish(std::string* error) {
    if (!lame || !file) {
        *error = "the MP3 encoder is not open";
        return false;
    }
    buffer.resize(16384);
    const int n = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
    if (n < 0 || !put(buffer.data(), size_t(n), error)) {
        if (n < 0) {
            *error = "the MP3 encoder failed to flush";
        }
        abandon();
        return false;
    }
    // The Info tag frame replaces the placeholder LAME put at the start.
    unsigned char tag[2880];
    const size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof tag);
    if (tagSize == 0 || tagSize > sizeof tag || std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fwrite(tag, 1, tagSize, file) != tagSize) {
        *error = "cannot write the MP3 Info tag to \"" + partPath + "\"";
        abandon();
        return false;
    }
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    lame_close(lame);
    lame = nullptr;
    if (!closed || std::rename(partPath.c_str(), finalPath.c_str()) != 0) {
        *error = "cannot write \"" + finalPath + "\": " + std::strerror(errno);
        std::remove(partPath.c_str());
        return false;
    }
    return true;
}

} // namespace keltraWorks
