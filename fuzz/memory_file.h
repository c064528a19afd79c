// A file that lives in memory (memfd) but has a path, for the fuzz targets:
// the code under test opens files by name (the archive reader, the audio
// library), and each input is written here instead of to the disk.
//
// Ownership: owns its descriptor; the path stays valid while it lives and
// can be opened any number of times (each open sees the current bytes).
// Units: bytes. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace glintFuzz {

class MemoryFile {
  public:
    // Aborts when the kernel offers no memfd: a fuzz run cannot go on.
    explicit MemoryFile(const char* name);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the whole content with these bytes; aborts on failure.
    void assign(const uint8_t* bytes, size_t count);
    const std::string& path() const { return filePath; }

  private:
    int fd = -1;
    std::string filePath;
};

} // namespace glintFuzz
