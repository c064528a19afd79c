#include "fuzz/memory_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace glintFuzz {

namespace {

[[noreturn]] void die(const char* what) {
    std::perror(what);
    std::abort();
}

} // namespace

MemoryFile::MemoryFile(const char* name) {
    fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) {
        die("glint: fuzz: memfd_create");
    }
    // Reopening through /proc gives a fresh file position each time, as a
    // path on disk would.
    filePath = "/proc/self/fd/" + std::to_string(fd);
}

MemoryFile::~MemoryFile() {
    ::close(fd);
}

void MemoryFile::assign(const uint8_t* bytes, size_t count) {
    if (::ftruncate(fd, 0) != 0) {
        die("glint: fuzz: ftruncate");
    }
    size_t done = 0;
    while (done < count) {
        const ssize_t wrote = ::pwrite(fd, bytes + done, count - done, static_cast<off_t>(done));
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            die("glint: fuzz: pwrite");
        }
        done += static_cast<size_t>(wrote);
    }
}

} // namespace glintFuzz
