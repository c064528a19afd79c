// The one process-wide reader of the resource archive ("data.zuo"): static
// state, no instances. mount() reads the directory once; afterwards each
// openFile() hands out a fresh FILE stream on the archive positioned at the
// entry's first byte, which the caller reads (fileSize() bytes) and fcloses.
//
// A file that opens but is not a valid archive still mounts (true) with the
// records read before the first fault, possibly none: callers then get no
// entries and do not fall back to loose files. Names are compared byte for
// byte. Sizes and offsets are bytes. Single-threaded.
#pragma once

#include <cstdio>
#include <string>

namespace keltraWorks {

class Vfs {
  public:
    Vfs() = delete;

    // False when already mounted or when the file cannot be opened.
    static bool mount(const std::string& path);
    // False when no archive stream was open; mounted is cleared either way.
    static bool unmount();
    static bool isMounted();
    // Null when not mounted, the name is unknown, its offset is negative, or
    // the archive cannot be opened or positioned. The caller owns the stream.
    static std::FILE* openFile(const std::string& name);
    // The entry's size; 0 when not mounted or the name is unknown.
    static int fileSize(const std::string& name);
};

} // namespace keltraWorks
