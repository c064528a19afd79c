// Opens a music file's decoder on a worker thread ahead of the stream that
// will play it. Opening scans the whole file for its exact length and frame
// index, tens of milliseconds for a long recording; done while the program
// still waits for the user, it is off the path to the first sound.
//
// A prepared decoder goes only to a stream of the same path, the whole file
// and the same sample kind, and only while the file on disk is the one that
// was opened (same device, inode, size and change time); anything else
// opens afresh. take() always waits for the worker first, so no two opens
// ever run at once.
//
// Ownership: the prepared decoder is held here until taken or dropped.
// Threads: start/take/clear from one thread (the library's caller).
#pragma once

#include "audio/mp3_decoder.h"

#include <memory>
#include <string>

namespace keltraWorks {

class DecoderAhead {
  public:
    DecoderAhead() = delete;

    // Drops any earlier preparation and starts opening `path`.
    static void start(const std::string& path, bool floatSamples);
    // The decoder prepared for exactly this request, or null.
    static std::unique_ptr<Mp3Decoder> take(const std::string& path, bool floatSamples);
    // Waits for the worker and frees what it prepared.
    static void clear();
};

} // namespace keltraWorks
