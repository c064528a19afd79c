#include "engine/render/picture_decode_ahead.h"

#include "engine/render/png_decode.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace keltraWorks {

namespace {

struct Item {
    std::string name;
    std::vector<uint8_t> encoded; // kept to match a later request
    Image picture{true};
    bool done = false;    // the worker is finished with this item
    bool decoded = false; // ... and `picture` holds the result
    bool taken = false;
};

class Worker {
  public:
    ~Worker() { stop(); }

    void start(std::vector<std::string> names, PictureDecodeAhead::Reader reader) {
        stop();
        items.clear();
        items.resize(names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            items[i].name = std::move(names[i]);
        }
        stopping = false;
        thread = std::thread([this, reader = std::move(reader)] { run(reader); });
    }

    bool take(const uint8_t* bytes, size_t count, Image* out) {
        std::unique_lock<std::mutex> lock(mutex);
        for (Item& item : items) {
            if (item.taken) {
                continue;
            }
            // Wait until the worker has read (and decoded) this item.
            changed.wait(lock, [&] { return item.done; });
            if (item.decoded && item.encoded.size() == count &&
                (count == 0 || std::memcmp(item.encoded.data(), bytes, count) == 0)) {
                item.taken = true;
                *out = std::move(item.picture);
                std::vector<uint8_t>().swap(item.encoded);
                return true;
            }
        }
        lock.unlock();
        join(); // a miss: the caller decodes, and must be the decoder's only user
        return false;
    }

    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        join();
        items.clear();
    }

    size_t held() {
        std::lock_guard<std::mutex> lock(mutex);
        size_t n = 0;
        for (const Item& item : items) {
            n += item.decoded && !item.taken ? 1 : 0;
        }
        return n;
    }

  private:
    void join() {
        if (thread.joinable()) {
            thread.join();
        }
    }

    void run(const PictureDecodeAhead::Reader& reader) {
        for (Item& item : items) {
            std::vector<uint8_t> encoded;
            Image picture(true);
            bool decoded = false;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (stopping) {
                    break;
                }
            }
            if (reader(item.name, &encoded) && !encoded.empty()) {
                // Quiet: a refused picture is reported by the loader's own try.
                decoded = decodePng(encoded.data(), encoded.size(), &picture, true);
            }
            std::lock_guard<std::mutex> lock(mutex);
            item.encoded = std::move(encoded);
            item.picture = std::move(picture);
            item.decoded = decoded;
            item.done = true;
            changed.notify_all();
        }
        // Items the worker did not reach count as done and undecoded, so a
        // waiting take() moves on.
        std::lock_guard<std::mutex> lock(mutex);
        for (Item& item : items) {
            item.done = true;
        }
        changed.notify_all();
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Item> items;
    std::thread thread;
    bool stopping = false;
};

Worker& worker() {
    static Worker w;
    return w;
}

} // namespace

void PictureDecodeAhead::start(std::vector<std::string> names, Reader reader) {
    worker().start(std::move(names), std::move(reader));
}

bool PictureDecodeAhead::take(const uint8_t* bytes, size_t count, Image* out) {
    return worker().take(bytes, count, out);
}

void PictureDecodeAhead::clear() { worker().stop(); }

size_t PictureDecodeAhead::held() { return worker().held(); }

} // namespace keltraWorks
