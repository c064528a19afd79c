#include "engine/vfs/archive_writer.h"

#include "engine/vfs/archive_format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace keltraWorks {

namespace {

constexpr uint64_t ArchiveLimit = uint64_t(1) << 31; // offsets are signed 32-bit

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void setError(std::string* error, const std::string& text) {
    if (error) {
        *error = text;
    }
}

bool copyFile(std::FILE* out, const std::string& path, uint64_t expected, std::string* error) {
    FilePtr in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        setError(error, "cannot open \"" + path + "\": " + std::strerror(errno));
        return false;
    }
    char buffer[1 << 16];
    uint64_t copied = 0;
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
        copied += n;
        if (copied > expected) {
            break;
        }
        if (std::fwrite(buffer, 1, n, out) != n) {
            setError(error, std::string("write failed: ") + std::strerror(errno));
            return false;
        }
    }
    if (std::ferror(in.get()) || copied != expected) {
        setError(error, "\"" + path + "\" changed or could not be read while packing");
        return false;
    }
    return true;
}

} // namespace

bool ArchiveWriter::checkName(const std::string& name, std::string* error) const {
    if (name.empty()) {
        setError(error, "empty entry name");
        return false;
    }
    if (name.size() > MaxNameLength) {
        setError(error, "entry name longer than 255 bytes: \"" + name + "\"");
        return false;
    }
    if (name.find('\0') != std::string::npos) {
        setError(error, "entry name contains a zero byte");
        return false;
    }
    return true;
}

bool ArchiveWriter::addBytes(const std::string& name, std::vector<uint8_t> bytes,
                             std::string* error) {
    if (!checkName(name, error)) {
        return false;
    }
    Entry e;
    e.name = name;
    e.size = bytes.size();
    e.bytes = std::move(bytes);
    entries.push_back(std::move(e));
    return true;
}

bool ArchiveWriter::addFile(const std::string& name, const std::string& path, std::string* error) {
    if (!checkName(name, error)) {
        return false;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        setError(error, "cannot read \"" + path + "\": " + std::strerror(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        setError(error, "\"" + path + "\" is not a regular file");
        return false;
    }
    Entry e;
    e.name = name;
    e.path = path;
    e.size = uint64_t(st.st_size);
    entries.push_back(std::move(e));
    return true;
}

bool ArchiveWriter::write(const std::string& path, std::string* error) const {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const Entry& e : entries) {
        names.push_back(e.name);
    }
    uint64_t offset = directorySize(names);
    uint64_t total = offset;
    for (const Entry& e : entries) {
        total += e.size;
    }
    if (total >= ArchiveLimit) {
        setError(error, "archive would be " + std::to_string(total) +
                            " bytes; the format holds less than 2 GiB");
        return false;
    }

    FilePtr out(std::fopen(path.c_str(), "wb"));
    if (!out) {
        setError(error, "cannot create \"" + path + "\": " + std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite("VFS\0", 1, 4, out.get()) == 4;
    for (const Entry& e : entries) {
        uint8_t numbers[8];
        putLe32(numbers, uint32_t(e.size));
        putLe32(numbers + 4, uint32_t(offset));
        ok = ok && std::fwrite("DAT\0", 1, 4, out.get()) == 4 &&
             std::fwrite(e.name.c_str(), 1, e.name.size() + 1, out.get()) == e.name.size() + 1 &&
             std::fwrite(numbers, 1, 8, out.get()) == 8;
        offset += e.size;
    }
    ok = ok && std::fwrite("END\0", 1, 4, out.get()) == 4;
    if (!ok) {
        setError(error, std::string("write failed: ") + std::strerror(errno));
    }
    for (const Entry& e : entries) {
        if (!ok) {
            break;
        }
        if (e.path.empty()) {
            ok = e.bytes.empty() ||
                 std::fwrite(e.bytes.data(), 1, e.bytes.size(), out.get()) == e.bytes.size();
            if (!ok) {
                setError(error, std::string("write failed: ") + std::strerror(errno));
            }
        } else {
            ok = copyFile(out.get(), e.path, e.size, error);
        }
    }
    if (std::fclose(out.release()) != 0 && ok) {
        setError(error, std::string("write failed: ") + std::strerror(errno));
        ok = false;
    }
    if (!ok) {
        std::remove(path.c_str());
    }
    return ok;
}

} // namespace keltraWorks
