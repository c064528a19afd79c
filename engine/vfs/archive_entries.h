// Reads named entries of a resource archive on its own, without mounting it:
// for work done ahead of the mount (decoding pictures while the window is
// still being made). Each reader owns its FILE stream, so one may run on a
// worker thread while the process-wide Vfs is used elsewhere. Names and
// sizes follow the archive format (later records of a name win); an entry
// that claims more bytes than the file holds, or none, is not read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace keltraWorks {

class ArchiveEntries {
  public:
    ArchiveEntries() = default;
    ~ArchiveEntries();
    ArchiveEntries(const ArchiveEntries&) = delete;
    ArchiveEntries& operator=(const ArchiveEntries&) = delete;

    // False when the file cannot be opened or is not a regular file; a
    // damaged directory still opens with the records read before the fault.
    bool open(const std::string& path);
    // False (and `out` empty) for an unknown name or an unreadable entry.
    bool read(const std::string& name, std::vector<uint8_t>* out);

  private:
    struct Entry {
        int32_t size = 0;
        int32_t offset = 0;
    };
    std::FILE* stream = nullptr;
    long long fileBytes = 0;
    std::map<std::string, Entry> directory;
};

} // namespace keltraWorks
