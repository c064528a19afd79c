// Reads the program's resources by name: while an archive is open, the
// entries of that archive and nothing else; with none open, loose files, the
// name being a path from the working directory. Vfs is the process-wide
// reader; the start-up decoder keeps one of its own to read pictures before
// the archive is mounted.
//
// Only regular files are read, archive or loose: a folder, FIFO or device
// named like a resource is refused without blocking (a FIFO would otherwise
// wait for a writer). No resource larger than MaxResourceBytes is read.
// Names are compared byte for byte; sizes and offsets are bytes.
//
// Ownership and threads: a reader owns its archive stream and opens a fresh
// stream for every read, so readers share nothing and separate readers may
// run on separate threads at once. One reader is used by one thread at a
// time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace keltraWorks {

// The most bytes one resource may have; the largest picture is far smaller.
constexpr int32_t MaxResourceBytes = 64 << 20;

enum class ResourceStatus {
    Ok,
    CannotOpen,     // no such loose file (errno says why), or no such entry
    NotRegular,     // a folder, FIFO, device or socket
    UnusableSize,   // empty, or more than MaxResourceBytes
    OutsideArchive, // an entry whose bytes do not lie within the archive file
    ReadFailed,     // an error or a short read while reading
};

// A few words for a log line, such as "is not a regular file".
const char* describe(ResourceStatus status);

class ResourceReader {
  public:
    ResourceReader() = default;
    ~ResourceReader();
    ResourceReader(const ResourceReader&) = delete;
    ResourceReader& operator=(const ResourceReader&) = delete;

    // Opens the archive at `path` and reads its directory once; later
    // records of a name win. False, and nothing changes, when an archive is
    // open already or the file cannot be opened or is not a regular file. A
    // file that is no valid archive opens with the records read before the
    // first fault, possibly none: its names then fail, with no loose files.
    bool openArchive(const std::string& path);
    // False when no archive was open.
    bool closeArchive();
    bool hasArchive() const { return archive != nullptr; }

    // The whole resource `name` into *out (empty on failure).
    ResourceStatus readResource(const std::string& name, std::vector<uint8_t>* out) const;

    // The entry's size as its record gives it; 0 without an archive or for
    // an unknown name.
    int32_t entrySize(const std::string& name) const;
    // A fresh stream on the archive positioned at the entry's first byte;
    // null without an archive, for an unknown name or a negative offset, or
    // when the archive cannot be opened. The caller owns and fcloses it.
    std::FILE* openEntry(const std::string& name) const;

  private:
    struct Entry {
        int32_t size = 0;
        int32_t offset = 0;
    };

    std::FILE* archive = nullptr; // kept open while the archive is open
    std::string archivePath;
    std::map<std::string, Entry> directory;
};

} // namespace keltraWorks
