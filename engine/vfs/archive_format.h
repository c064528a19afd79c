// The "data.zuo" archive format, shared by the reader (Vfs), the writer and
// the zuo tool. All integers are little-endian.
//
//   "VFS\0"                          magic
//   { "DAT\0" name\0 size:i32 offset:i32 }*   directory records
//   "END\0"                          end tag
//   entry bytes at the offsets the directory gives (absolute, from byte 0)
//
// A tag is the text before the first zero byte of its four bytes. Names are
// relative paths with forward slashes, compared byte for byte, at most
// MaxNameLength bytes. Two records of one name are allowed; the later wins.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace keltraWorks {

constexpr size_t MaxNameLength = 255;

struct ArchiveRecord {
    std::string name;
    int32_t size = 0;
    int32_t offset = 0;
};

// How the reading of a directory ended. Only Complete means an intact one.
enum class DirectoryStatus {
    Complete,    // "END" reached
    BadMagic,    // the first four bytes are not "VFS\0": nothing was read
    BadTag,      // a record tag other than "DAT" or "END"
    Truncated,   // the file ended inside the directory or before "END"
    NameTooLong, // a record name longer than MaxNameLength bytes
};

const char* describe(DirectoryStatus status);

// Reads the directory from the current position of `file` (its start),
// appending records in file order to `records`. Stops at the first fault and
// keeps the records read before it; never reads past "END". Never reads more
// than the file holds and never writes a name beyond MaxNameLength bytes.
DirectoryStatus readDirectory(std::FILE* file, std::vector<ArchiveRecord>& records);

// Bytes the directory occupies (magic, records and end tag) for these names.
uint64_t directorySize(const std::vector<std::string>& names);

void putLe32(uint8_t* out, uint32_t value);
uint32_t getLe32(const uint8_t* in);

} // namespace keltraWorks
