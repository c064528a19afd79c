#include "tests/tools/content/mp3_reader.h"

#include <mpg123.h>

namespace glintTest {

Mp3Audio decodeMp3(const std::string& path) {
    Mp3Audio out;
    mpg123_init();
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h) {
        return out;
    }
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_GAPLESS, 0);
    if (mpg123_open(h, path.c_str()) != MPG123_OK) {
        mpg123_delete(h);
        return out;
    }
    int encoding = 0;
    if (mpg123_getformat(h, &out.rate, &out.channels, &encoding) != MPG123_OK) {
        mpg123_delete(h);
        return out;
    }
    out.opened = true;
    unsigned char buffer[1 << 16];
    bool first = true;
    for (;;) {
        size_t got = 0;
        const int r = mpg123_read(h, buffer, sizeof buffer, &got);
        const float* f = reinterpret_cast<const float*>(buffer);
        out.samples.insert(out.samples.end(), f, f + got / sizeof(float));
        if (first) {
            mpg123_frameinfo info;
            if (mpg123_info(h, &info) == MPG123_OK) {
                out.mpegVersion = info.version;
                out.layer = info.layer;
                out.mode = info.mode;
                out.bitrate = info.bitrate;
                out.constantBitrate = info.vbr == MPG123_CBR;
            }
            first = false;
        }
        if (r != MPG123_OK && r != MPG123_NEW_FORMAT) {
            break;
        }
    }
    mpg123_close(h);
    mpg123_delete(h);
    return out;
}

} // namespace glintTest
