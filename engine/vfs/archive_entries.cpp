#include "engine/vfs/archive_entries.h"

#include "engine/vfs/archive_format.h"

#include <sys/stat.h>

namespace keltraWorks {

ArchiveEntries::~ArchiveEntries() {
    if (stream) {
        std::fclose(stream);
    }
}

bool ArchiveEntries::open(const std::string& path) {
    if (stream) {
        std::fclose(stream);
        stream = nullptr;
    }
    directory.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    struct stat st {};
    if (::fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(file);
        return false;
    }
    std::vector<ArchiveRecord> records;
    readDirectory(file, records);
    for (const ArchiveRecord& r : records) {
        directory[r.name] = Entry{r.size, r.offset};
    }
    stream = file;
    fileBytes = static_cast<long long>(st.st_size);
    return true;
}

bool ArchiveEntries::read(const std::string& name, std::vector<uint8_t>* out) {
    out->clear();
    const auto it = directory.find(name);
    if (!stream || it == directory.end()) {
        return false;
    }
    const Entry e = it->second;
    if (e.size <= 0 || e.offset < 0 ||
        static_cast<long long>(e.offset) + static_cast<long long>(e.size) > fileBytes ||
        std::fseek(stream, e.offset, SEEK_SET) != 0) {
        return false;
    }
    out->resize(static_cast<size_t>(e.size));
    if (std::fread(out->data(), 1, out->size(), stream) != out->size()) {
        out->clear();
        return false;
    }
    return true;
}

} // namespace keltraWorks
