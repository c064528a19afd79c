#include "audio/mp3_decoder.h"

#include <cstdio>
#include <mpg123.h>
#include <mutex>

namespace keltraWorks {

namespace {

// Frames converted per pass through the 16-bit scratch buffer.
constexpr int ScratchFrames = 2048;

ssize_t readSource(void* source, void* buffer, size_t size) {
    return static_cast<ByteSource*>(source)->read(buffer, size);
}

off_t seekSource(void* source, off_t offset, int whence) {
    return static_cast<ByteSource*>(source)->seek(offset, whence);
}

bool initLibrary() {
    // mpg123_init is needed by libraries older than 1.27 and harmless after.
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = mpg123_init() == MPG123_OK; });
    return ok;
}

} // namespace

Mp3Decoder::~Mp3Decoder() {
    if (handle != nullptr) {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::open(std::unique_ptr<ByteSource> source, bool floatSamples,
                                             std::string* error) {
    if (!initLibrary()) {
        *error = "the MP3 decoder cannot start";
        return nullptr;
    }
    std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder());
    int err = MPG123_OK;
    decoder->handle = mpg123_new(nullptr, &err);
    if (decoder->handle == nullptr) {
        *error = mpg123_plain_strerror(err);
        return nullptr;
    }
    mpg123_handle* mh = decoder->handle;
    decoder->source = std::move(source);
    decoder->isFloat = floatSamples;
    decoder->encoding = floatSamples ? MPG123_ENC_FLOAT_32 : MPG123_ENC_SIGNED_16;

    // Quiet: the decoder runs inside the audio callback, which never prints.
    // Gapless: encoder delay and padding are cut, so frame N is input sample N.
    // No fuzzy seeking: the scan below gives an exact frame index.
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_FUZZY, 0.0);
    if (floatSamples && mpg123_format_support(mh, 44100, MPG123_ENC_FLOAT_32) == 0) {
        *error = "the decoder cannot deliver float samples";
        return nullptr;
    }
    // Keep the file's own rate and channel count; fix only the encoding.
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, decoder->encoding);
    }

    if (mpg123_replace_reader_handle(mh, readSource, seekSource, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh, decoder->source.get()) != MPG123_OK) {
        *error = mpg123_strerror(mh);
        return nullptr;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) {
        *error = "not an MP3 file";
        return nullptr;
    }
    if (encoding != decoder->encoding || channels < 1 || channels > 2 || rate <= 0) {
        *error = "unsupported sample format";
        return nullptr;
    }
    if (mpg123_scan(mh) != MPG123_OK) {
        *error = mpg123_strerror(mh);
        return nullptr;
    }
    off_t length = mpg123_length(mh);
    if (length <= 0) {
        *error = "no audio in the file";
        return nullptr;
    }
    // Back to the first frame: the scan left the reader at the end.
    if (mpg123_seek(mh, 0, SEEK_SET) < 0) {
        *error = mpg123_strerror(mh);
        return nullptr;
    }
    decoder->sampleRate = static_cast<int>(rate);
    decoder->channelCount = channels;
    decoder->length = static_cast<int64_t>(length);
    if (!floatSamples) {
        decoder->scratch.resize(static_cast<size_t>(ScratchFrames) * channels);
    }
    return decoder;
}

int Mp3Decoder::read(float* out, int frames) {
    int written = 0;
    while (written < frames && !ended) {
        int want = frames - written;
        size_t frameBytes = static_cast<size_t>(channelCount) * bytesPerSample();
        void* target = out + static_cast<size_t>(written) * channelCount;
        if (!isFloat) {
            want = want < ScratchFrames ? want : ScratchFrames;
            target = scratch.data();
        }
        size_t done = 0;
        int status = mpg123_read(handle, target, static_cast<size_t>(want) * frameBytes, &done);
        int got = static_cast<int>(done / frameBytes);
        if (!isFloat) {
            float* dst = out + static_cast<size_t>(written) * channelCount;
            for (int i = 0; i < got * channelCount; ++i) {
                dst[i] = scratch[static_cast<size_t>(i)] * (1.0f / 32768.0f);
            }
        }
        written += got;
        if (status == MPG123_NEW_FORMAT) {
            // Mid-file format changes would be misread: end the stream there.
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(handle, &rate, &channels, &encoding);
            if (rate != sampleRate || channels != channelCount || encoding != this->encoding) {
                ended = true;
            }
        } else if (status != MPG123_OK) {
            ended = true; // MPG123_DONE or a fault: nothing more to play
        } else if (got == 0) {
            ended = true; // no progress: treat as the end rather than spin
        }
    }
    return written;
}

bool Mp3Decoder::seek(int64_t frame) {
    ended = false;
    if (frame >= length) {
        ended = true;
        return frame == length;
    }
    if (mpg123_seek(handle, static_cast<off_t>(frame), SEEK_SET) < 0) {
        ended = true;
        return false;
    }
    return true;
}

} // namespace keltraWorks
