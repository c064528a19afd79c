#include "audio/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace keltraWorks {

namespace {

constexpr size_t ReadAhead = 64 * 1024;

ssize_t readAt(int fd, void* out, size_t size, uint64_t at) {
    ssize_t got;
    do {
        got = ::pread(fd, out, size, static_cast<off_t>(at));
    } while (got < 0 && errno == EINTR);
    return got;
}

} // namespace

ByteSource::~ByteSource() {
    if (fd >= 0) {
        ::close(fd);
    }
}

std::unique_ptr<ByteSource> ByteSource::openFile(const char* path, uint64_t offset, uint64_t length,
                                                 std::string* error) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = std::strerror(errno);
        return nullptr;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        *error = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = S_ISDIR(info.st_mode) ? "Is a directory" : "Not a regular file";
        ::close(fd);
        return nullptr;
    }
    auto fileSize = static_cast<uint64_t>(info.st_size);
    if (offset > fileSize || (length != 0 && length > fileSize - offset)) {
        *error = "the byte range lies outside the file";
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<ByteSource> source(new ByteSource());
    source->fd = fd;
    source->buffer.resize(ReadAhead);
    source->base = offset;
    source->length = length != 0 ? length : fileSize - offset;
    return source;
}

std::unique_ptr<ByteSource> ByteSource::borrowMemory(const void* data, uint64_t offset,
                                                     uint64_t length, std::string* error) {
    if (data == nullptr || length == 0) {
        *error = "no data in memory";
        return nullptr;
    }
    std::unique_ptr<ByteSource> source(new ByteSource());
    source->memory = static_cast<const uint8_t*>(data);
    source->base = offset;
    source->length = length;
    return source;
}

ssize_t ByteSource::read(void* out, size_t size) {
    uint64_t left = length - position;
    size_t count = size < left ? size : static_cast<size_t>(left);
    if (count == 0) {
        return 0;
    }
    if (memory != nullptr) {
        std::memcpy(out, memory + base + position, count);
        position += count;
        return static_cast<ssize_t>(count);
    }
    if (position < bufferStart || position >= bufferStart + bufferFill) {
        if (count >= buffer.size()) {
            ssize_t got = readAt(fd, out, count, base + position);
            if (got > 0) {
                position += static_cast<uint64_t>(got);
            }
            return got;
        }
        uint64_t wanted = std::min<uint64_t>(buffer.size(), length - position);
        ssize_t got = readAt(fd, buffer.data(), static_cast<size_t>(wanted), base + position);
        if (got <= 0) {
            bufferFill = 0;
            return got;
        }
        bufferStart = position;
        bufferFill = static_cast<size_t>(got);
    }
    size_t offset = static_cast<size_t>(position - bufferStart);
    size_t take = std::min(count, bufferFill - offset);
    std::memcpy(out, buffer.data() + offset, take);
    position += take;
    return static_cast<ssize_t>(take);
}

off_t ByteSource::seek(off_t offset, int whence) {
    int64_t from = whence == SEEK_SET   ? 0
                   : whence == SEEK_CUR ? static_cast<int64_t>(position)
                   : whence == SEEK_END ? static_cast<int64_t>(length)
                                        : -1;
    if (from < 0) {
        return -1;
    }
    int64_t target = from + static_cast<int64_t>(offset);
    if (target < 0 || static_cast<uint64_t>(target) > length) {
        return -1;
    }
    position = static_cast<uint64_t>(target);
    return static_cast<off_t>(target);
}

} // namespace keltraWorks
