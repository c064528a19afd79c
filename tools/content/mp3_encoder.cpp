#include "tools/content/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>

namespace keltraWorks {

Mp3Encoder::~Mp3Encoder() {
    close();
}

void Mp3Encoder::close() {
    if (lame) {
        lame_close(lame);
        lame = nullptr;
    }
}

bool Mp3Encoder::open(std::string* error) {
    close();
    stream.clear();
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
        close();
        return false;
    }
    return true;
}

bool Mp3Encoder::encode(const float* left, const float* right, int frames, std::string* error) {
    if (!lame) {
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
    stream.insert(stream.end(), buffer.begin(), buffer.begin() + n);
    return true;
}

bool Mp3Encoder::finish(std::string* error) {
    if (!lame) {
        *error = "the MP3 encoder is not open";
        return false;
    }
    buffer.resize(16384);
    const int n = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
    if (n < 0) {
        *error = "the MP3 encoder failed to flush";
        close();
        return false;
    }
    stream.insert(stream.end(), buffer.begin(), buffer.begin() + n);
    // The Info tag frame replaces the placeholder LAME put at the start.
    unsigned char tag[2880];
    const size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof tag);
    close();
    if (tagSize == 0 || tagSize > sizeof tag || tagSize > stream.size()) {
        *error = "the MP3 encoder made no Info tag";
        return false;
    }
    std::copy(tag, tag + tagSize, stream.begin());
    return true;
}

} // namespace keltraWorks
