#include "engine/vfs/resource_reader.h"

#include "engine/vfs/archive_format.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace keltraWorks {

namespace {

using Stream = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Opens `path` for reading when it is a regular file, with its size. The
// open does not block (a FIFO without a writer would wait for one), and the
// check is made on what was opened, so nothing can be swapped in between.
// (Reads from a regular file never block, so the flag may stay set.)
// Null with *status set otherwise; errno stays as the failed open left it.
Stream openRegularFile(const std::string& path, int64_t* size, ResourceStatus* status) {
    Stream none(nullptr, std::fclose);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *status = ResourceStatus::CannotOpen;
        return none;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *status = ResourceStatus::NotRegular;
        ::close(fd);
        return none;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        *status = ResourceStatus::CannotOpen;
        ::close(fd);
        return none;
    }
    *size = static_cast<int64_t>(st.st_size);
    *status = ResourceStatus::Ok;
    return Stream(file, std::fclose);
}

ResourceStatus readBytes(std::FILE* file, int64_t count, std::vector<uint8_t>* out) {
    if (count <= 0 || count > MaxResourceBytes) {
        return ResourceStatus::UnusableSize;
    }
    out->resize(static_cast<size_t>(count));
    if (std::fread(out->data(), 1, out->size(), file) != out->size()) {
        out->clear();
        return ResourceStatus::ReadFailed;
    }
    return ResourceStatus::Ok;
}

} // namespace

const char* describe(ResourceStatus status) {
    switch (status) {
    case ResourceStatus::Ok:
        return "is read";
    case ResourceStatus::CannotOpen:
        return "cannot be opened";
    case ResourceStatus::NotRegular:
        return "is not a regular file";
    case ResourceStatus::UnusableSize:
        return "has an unusable size";
    case ResourceStatus::OutsideArchive:
        return "lies outside its archive file";
    case ResourceStatus::ReadFailed:
        return "cannot be read";
    }
    return "is unknown";
}

ResourceReader::~ResourceReader() {
    closeArchive();
}

bool ResourceReader::openArchive(const std::string& path) {
    if (archive != nullptr) {
        return false;
    }
    int64_t size = 0;
    ResourceStatus status = ResourceStatus::Ok;
    Stream file = openRegularFile(path, &size, &status);
    if (!file) {
        return false;
    }
    // How the reading stopped is deliberately not kept: a damaged archive
    // opens with the records read before the fault.
    std::vector<ArchiveRecord> records;
    readDirectory(file.get(), records);
    directory.clear();
    for (const ArchiveRecord& r : records) {
        directory[r.name] = Entry{r.size, r.offset};
    }
    archive = file.release();
    archivePath = path;
    return true;
}

bool ResourceReader::closeArchive() {
    directory.clear();
    archivePath.clear();
    if (archive == nullptr) {
        return false;
    }
    std::fclose(archive);
    archive = nullptr;
    return true;
}

ResourceStatus ResourceReader::readResource(const std::string& name,
                                            std::vector<uint8_t>* out) const {
    out->clear();
    int64_t fileBytes = 0;
    ResourceStatus status = ResourceStatus::Ok;
    if (archive == nullptr) {
        const Stream loose = openRegularFile(name, &fileBytes, &status);
        return loose ? readBytes(loose.get(), fileBytes, out) : status;
    }
    const auto it = directory.find(name);
    if (it == directory.end()) {
        return ResourceStatus::CannotOpen;
    }
    // Sizes and offsets come from the archive itself, so a damaged or
    // hostile one may claim up to 2 GiB anywhere: the entry must lie within
    // the file before a buffer is set aside for it.
    const Entry e = it->second;
    if (e.size <= 0) {
        return ResourceStatus::UnusableSize;
    }
    const Stream file = openRegularFile(archivePath, &fileBytes, &status);
    if (!file) {
        return status;
    }
    if (e.offset < 0 || int64_t(e.offset) + int64_t(e.size) > fileBytes) {
        return ResourceStatus::OutsideArchive;
    }
    if (std::fseek(file.get(), long(e.offset), SEEK_SET) != 0) {
        return ResourceStatus::ReadFailed;
    }
    return readBytes(file.get(), e.size, out);
}

int32_t ResourceReader::entrySize(const std::string& name) const {
    const auto it = directory.find(name);
    return it == directory.end() ? 0 : it->second.size;
}

std::FILE* ResourceReader::openEntry(const std::string& name) const {
    const auto it = directory.find(name);
    if (archive == nullptr || it == directory.end() || it->second.offset < 0) {
        return nullptr;
    }
    int64_t fileBytes = 0;
    ResourceStatus status = ResourceStatus::Ok;
    Stream file = openRegularFile(archivePath, &fileBytes, &status);
    if (!file || std::fseek(file.get(), long(it->second.offset), SEEK_SET) != 0) {
        return nullptr;
    }
    return file.release();
}

} // namespace keltraWorks
