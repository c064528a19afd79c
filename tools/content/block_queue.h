// A bounded first-in first-out queue that hands blocks of audio from the
// synthesis thread to the encoding thread. `push` waits while the queue is
// full and `pop` while it is empty; `close` wakes both for good (a closed
// queue takes nothing and, once drained, gives nothing). Thread-safe: one
// producer and one consumer.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace keltraWorks {

template <class T> class BlockQueue {
  public:
    explicit BlockQueue(size_t capacity) : capacity(capacity) {}

    // False when the queue was closed; the item is then dropped.
    bool push(T item) {
        std::unique_lock<std::mutex> lock(mutex);
        notFull.wait(lock, [this] { return closed || items.size() < capacity; });
        if (closed) {
            return false;
        }
        items.push_back(std::move(item));
        notEmpty.notify_one();
        return true;
    }

    // False when the queue is closed and empty.
    bool pop(T& item) {
        std::unique_lock<std::mutex> lock(mutex);
        notEmpty.wait(lock, [this] { return closed || !items.empty(); });
        if (items.empty()) {
            return false;
        }
        item = std::move(items.front());
        items.pop_front();
        notFull.notify_one();
        return true;
    }

    void close() {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        notFull.notify_all();
        notEmpty.notify_all();
    }

  private:
    size_t capacity;
    std::mutex mutex;
    std::condition_variable notFull, notEmpty;
    std::deque<T> items;
    bool closed = false;
};

} // namespace keltraWorks
