// Decodes pictures on a worker thread before they are asked for, so that
// their decoding overlaps the slow steps of start-up (the window, the GL
// driver, the music index). A result is matched by its exact encoded bytes:
// a later decode of the same bytes takes the finished picture, anything else
// is decoded as usual, so what is shown never depends on the work ahead.
//
// Process-wide, like the PNG decoder's own state. start(), take() and
// clear() are called from one thread (the main thread). While the worker
// runs it is the decoder's only user: take() on a miss first waits for the
// worker to end, so the caller may then decode itself.
#pragma once

#include "engine/render/image.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace keltraWorks {

class PictureDecodeAhead {
  public:
    PictureDecodeAhead() = delete;

    // Fills `out` with a picture's encoded bytes; false when it has none.
    // Runs on the worker thread, so it must not use Vfs (main thread only):
    // the program gives it a ResourceReader of its own.
    using Reader = std::function<bool(const std::string& name, std::vector<uint8_t>* out)>;

    // Starts reading and decoding `names` in order on the worker; any work
    // ahead that was still held is dropped first.
    static void start(std::vector<std::string> names, Reader reader);
    // True with the decoded picture in *out when these bytes were decoded
    // ahead (waiting for that picture if it is not done yet); each result is
    // handed out once. False otherwise, with the worker ended.
    static bool take(const uint8_t* bytes, size_t count, Image* out);
    // Ends the worker after its current picture and frees what it held.
    static void clear();
    // Pictures decoded ahead and not taken yet (for tests).
    static size_t held();
};

} // namespace keltraWorks
