#include "engine/vfs/vfs.h"

#include "engine/vfs/archive_format.h"

#include <map>
#include <sys/stat.h>
#include <vector>

namespace keltraWorks {

namespace {

struct Entry {
    int32_t size = 0;
    int32_t offset = 0;
};

struct State {
    bool mounted = false;
    std::string path;
    std::FILE* stream = nullptr;
    std::map<std::string, Entry> directory;
};

State& state() {
    static State s;
    return s;
}

} // namespace

bool Vfs::mount(const std::string& path) {
    State& s = state();
    if (s.mounted) {
        return false;
    }
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream) {
        return false;
    }
    // A folder opens for reading on Linux but cannot be read: it is not a
    // readable archive, so callers must fall back to loose files.
    struct stat st {};
    if (::fstat(fileno(stream), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(stream);
        return false;
    }
    s.directory.clear();
    // How the reading stopped is deliberately not reported: a damaged
    // archive mounts with the records read before the fault.
    std::vector<ArchiveRecord> records;
    readDirectory(stream, records);
    for (const ArchiveRecord& r : records) {
        s.directory[r.name] = Entry{r.size, r.offset};
    }
    s.stream = stream;
    s.path = path;
    s.mounted = true;
    return true;
}

bool Vfs::unmount() {
    State& s = state();
    s.mounted = false;
    s.path.clear();
    if (!s.stream) {
        return false;
    }
    std::fclose(s.stream);
    s.stream = nullptr;
    return true;
}

bool Vfs::isMounted() { return state().mounted; }

std::FILE* Vfs::openFile(const std::string& name) {
    State& s = state();
    if (!s.mounted) {
        return nullptr;
    }
    const auto it = s.directory.find(name);
    if (it == s.directory.end() || it->second.offset < 0) {
        return nullptr;
    }
    std::FILE* stream = std::fopen(s.path.c_str(), "rb");
    if (!stream) {
        return nullptr;
    }
    if (std::fseek(stream, long(it->second.offset), SEEK_SET) != 0) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

int Vfs::fileSize(const std::string& name) {
    const State& s = state();
    if (!s.mounted) {
        return 0;
    }
    const auto it = s.directory.find(name);
    return it == s.directory.end() ? 0 : it->second.size;
}

} // namespace keltraWorks
