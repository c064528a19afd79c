#include "engine/vfs/archive_format.h"

#include <cstring>

namespace keltraWorks {

namespace {

enum class Tag { Vfs, Dat, End, Other };

// Compares the tag text within its four bytes, so a tag without a zero byte
// is simply an unknown tag and nothing past the four bytes is looked at.
Tag classify(const uint8_t bytes[4]) {
    const size_t len = strnlen(reinterpret_cast<const char*>(bytes), 4);
    const std::string text(reinterpret_cast<const char*>(bytes), len);
    if (text == "VFS") {
        return Tag::Vfs;
    }
    if (text == "DAT") {
        return Tag::Dat;
    }
    if (text == "END") {
        return Tag::End;
    }
    return Tag::Other;
}

} // namespace

const char* describe(DirectoryStatus status) {
    switch (status) {
    case DirectoryStatus::Complete:
        return "complete";
    case DirectoryStatus::BadMagic:
        return "not an archive (bad magic)";
    case DirectoryStatus::BadTag:
        return "damaged directory (unknown record tag)";
    case DirectoryStatus::Truncated:
        return "damaged directory (file ends before the end tag)";
    case DirectoryStatus::NameTooLong:
        return "damaged directory (entry name longer than 255 bytes)";
    }
    return "unknown";
}

void putLe32(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
    out[2] = uint8_t(value >> 16);
    out[3] = uint8_t(value >> 24);
}

uint32_t getLe32(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

DirectoryStatus readDirectory(std::FILE* file, std::vector<ArchiveRecord>& records) {
    uint8_t tag[4];
    if (std::fread(tag, 1, 4, file) != 4 || classify(tag) != Tag::Vfs) {
        return DirectoryStatus::BadMagic;
    }
    for (;;) {
        if (std::fread(tag, 1, 4, file) != 4) {
            return DirectoryStatus::Truncated;
        }
        const Tag kind = classify(tag);
        if (kind == Tag::End) {
            return DirectoryStatus::Complete;
        }
        if (kind != Tag::Dat) {
            return DirectoryStatus::BadTag;
        }

        // The name, one byte at a time up to and including its zero byte.
        char name[MaxNameLength + 1];
        size_t len = 0;
        for (;;) {
            const int c = std::fgetc(file);
            if (c == EOF) {
                return DirectoryStatus::Truncated;
            }
            if (c == 0) {
                break;
            }
            if (len == MaxNameLength) {
                return DirectoryStatus::NameTooLong;
            }
            name[len++] = char(c);
        }

        uint8_t numbers[8];
        if (std::fread(numbers, 1, 8, file) != 8) {
            return DirectoryStatus::Truncated;
        }
        ArchiveRecord record;
        record.name.assign(name, len);
        record.size = int32_t(getLe32(numbers));
        record.offset = int32_t(getLe32(numbers + 4));
        records.push_back(std::move(record));
    }
}

uint64_t directorySize(const std::vector<std::string>& names) {
    uint64_t total = 4 + 4; // magic and end tag
    for (const std::string& name : names) {
        total += 4 + name.size() + 1 + 8;
    }
    return total;
}

} // namespace keltraWorks
