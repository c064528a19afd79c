#include "audio/decoder_ahead.h"

#include "audio/byte_source.h"

#include <sys/stat.h>
#include <thread>

namespace keltraWorks {

namespace {

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    struct timespec changed {};

    bool operator==(const Identity& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

bool identify(const std::string& path, Identity* out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    out->device = st.st_dev;
    out->inode = st.st_ino;
    out->size = st.st_size;
    out->changed = st.st_ctim;
    return true;
}

struct Prepared {
    std::thread worker;
    std::string path;
    bool floatSamples = false;
    Identity identity;
    std::unique_ptr<Mp3Decoder> decoder; // written by the worker, read after join

    ~Prepared() { clear(); }

    void join() {
        if (worker.joinable()) {
            worker.join();
        }
    }
    void clear() {
        join();
        decoder.reset();
        path.clear();
    }
};

Prepared& prepared() {
    static Prepared p;
    return p;
}

} // namespace

void DecoderAhead::start(const std::string& path, bool floatSamples) {
    Prepared& p = prepared();
    p.clear();
    p.path = path;
    p.floatSamples = floatSamples;
    p.worker = std::thread([&p] {
        Identity before, after;
        std::string error;
        if (!identify(p.path, &before)) {
            return;
        }
        auto source = ByteSource::openFile(p.path.c_str(), 0, 0, &error);
        auto decoder =
            source ? Mp3Decoder::open(std::move(source), p.floatSamples, &error) : nullptr;
        // A file replaced or rewritten while it was read is not trusted.
        if (decoder && identify(p.path, &after) && after == before) {
            p.identity = before;
            p.decoder = std::move(decoder);
        }
    });
}

std::unique_ptr<Mp3Decoder> DecoderAhead::take(const std::string& path, bool floatSamples) {
    Prepared& p = prepared();
    p.join();
    Identity now;
    if (!p.decoder || p.path != path || p.floatSamples != floatSamples || !identify(path, &now) ||
        !(now == p.identity)) {
        return nullptr;
    }
    p.path.clear();
    return std::move(p.decoder);
}

void DecoderAhead::clear() {
    prepared().clear();
}

} // namespace keltraWorks
