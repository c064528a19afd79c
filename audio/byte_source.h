// The bytes of one MP3 stream: a range of a file or of the caller's memory,
// read by the decoder through plain read/seek calls.
//
// File reads go through a read-ahead buffer: the decoder asks for a few
// bytes at a time (a frame header, then its body), and a system call for
// each would make scanning a long file slow.
//
// Ownership: a file source owns its descriptor and its buffer and closes
// the file when destroyed; a memory source only borrows the caller's bytes.
// Units: bytes, positions relative to the start of the range.
// Threads: opened on the caller's thread; read() and seek() then run on the
// audio callback thread (or under the device lock) and never allocate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace keltraWorks {

class ByteSource {
  public:
    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // The bytes [offset, offset + length) of a file; length 0: to its end.
    // Null with a reason in *error when the file cannot be opened or the
    // range lies outside it.
    static std::unique_ptr<ByteSource> openFile(const char* path, uint64_t offset, uint64_t length,
                                                std::string* error);
    // length bytes at data + offset; the memory must outlive the source.
    static std::unique_ptr<ByteSource> borrowMemory(const void* data, uint64_t offset,
                                                    uint64_t length, std::string* error);

    // Up to size bytes at the current position; 0 at the end, -1 on error.
    ssize_t read(void* out, size_t size);
    // Moves like lseek(2) within the range; the new position, or -1.
    off_t seek(off_t offset, int whence);
    uint64_t size() const { return length; }

  private:
    ByteSource() = default;

    int fd = -1;                     // file sources
    const uint8_t* memory = nullptr; // memory sources
    uint64_t base = 0;               // first byte of the range
    uint64_t length = 0;
    uint64_t position = 0;
    std::vector<uint8_t> buffer; // file sources: bytes read ahead
    uint64_t bufferStart = 0;    // range position of buffer[0]
    size_t bufferFill = 0;
};

} // namespace keltraWorks
