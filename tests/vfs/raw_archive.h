// Test helper: builds archive files byte by byte, so tests can write intact,
// damaged and hostile archives that no writer would produce. Header-only.
// Integers are appended little-endian; nothing is validated on purpose.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace glintTest {

class RawArchive {
  public:
    RawArchive& raw(const std::string& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    // Four bytes as given: "DAT" gets its zero byte, "DATX" has none.
    RawArchive& tag(const std::string& text) {
        std::string four = text;
        four.resize(4, '\0');
        return raw(four);
    }
    RawArchive& magic() { return tag("VFS"); }
    RawArchive& end() { return tag("END"); }
    RawArchive& le32(int32_t value) {
        const auto v = uint32_t(value);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(uint8_t(v >> shift));
        }
        return *this;
    }
    // A whole directory record: tag, name with its zero byte, size, offset.
    RawArchive& record(const std::string& name, int32_t size, int32_t offset) {
        tag("DAT").raw(name);
        bytes.push_back(0);
        return le32(size).le32(offset);
    }
    size_t size() const { return bytes.size(); }
    // Drops bytes from the end, to cut a record short.
    RawArchive& cut(size_t count) {
        bytes.resize(bytes.size() - count);
        return *this;
    }

    bool writeTo(const std::string& path) const {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) {
            return false;
        }
        const bool ok =
            bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }

    std::vector<uint8_t> bytes;
};

} // namespace glintTest
