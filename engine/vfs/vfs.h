// The one process-wide reader of the resource archive ("data.zuo"): static
// state, no instances, built on one ResourceReader. mount() reads the
// directory once. readResource() is how the program reads a resource: the
// archive's entry while an archive is mounted, with no fallback to loose
// files, else the loose file of that name; only regular files, at most
// MaxResourceBytes (see resource_reader.h).
//
// openFile()/fileSize() keep the stream contract of the archive's first
// users: a fresh FILE stream on the archive positioned at the entry's first
// byte, which the caller reads (fileSize() bytes) and fcloses.
//
// A file that opens but is not a valid archive still mounts (true) with the
// records read before the first fault, possibly none: callers then get no
// entries and no loose files. Names are compared byte for byte. Sizes and
// offsets are bytes. Main thread only; work on another thread uses a
// ResourceReader of its own.
#pragma once

#include "engine/vfs/resource_reader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace keltraWorks {

class Vfs {
  public:
    Vfs() = delete;

    // False when already mounted, or when the file cannot be opened or is
    // not a regular file.
    static bool mount(const std::string& path);
    // False when no archive stream was open; mounted is cleared either way.
    static bool unmount();
    static bool isMounted();
    // The whole resource `name` into *out (empty on failure).
    static ResourceStatus readResource(const std::string& name, std::vector<uint8_t>* out);
    // Null when not mounted, the name is unknown, its offset is negative, or
    // the archive cannot be opened or positioned. The caller owns the stream.
    static std::FILE* openFile(const std::string& name);
    // The entry's size; 0 when not mounted or the name is unknown.
    static int fileSize(const std::string& name);
};

} // namespace keltraWorks
