// Writes a resource archive: the directory records first, in the order the
// entries were added, then the entries' bytes in the same order. Entries are
// given as bytes in memory or as files that are streamed at write time.
// Names are stored exactly as given; they must be 1..255 bytes without a zero
// byte. The whole archive must stay below 2 GiB, because offsets and sizes
// are signed 32-bit values. Not thread-safe; one writer per archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keltraWorks {

class ArchiveWriter {
  public:
    // False (with `error` set) when the name is empty, too long or has a
    // zero byte.
    bool addBytes(const std::string& name, std::vector<uint8_t> bytes, std::string* error);
    // Adds a file from disk; false (with `error`) when it cannot be read or
    // the name is bad. Its size is taken now and checked again when written.
    bool addFile(const std::string& name, const std::string& path, std::string* error);

    // Writes the archive to `path`. False with `error` set when the archive
    // would reach 2 GiB or a file cannot be read or written; no partial
    // archive is left behind.
    bool write(const std::string& path, std::string* error) const;

    size_t count() const { return entries.size(); }

  private:
    struct Entry {
        std::string name;
        std::string path;           // source file, or empty for in-memory bytes
        std::vector<uint8_t> bytes; // in-memory bytes
        uint64_t size = 0;
    };
    bool checkName(const std::string& name, std::string* error) const;

    std::vector<Entry> entries;
};

} // namespace keltraWorks
