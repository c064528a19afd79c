#include "tools/content/png_writer.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace keltraWorks {

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void putChunk(std::vector<uint8_t>& out, const char type[5], const std::vector<uint8_t>& data) {
    putU32(out, uint32_t(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + typeAt, uInt(4 + data.size()));
    putU32(out, uint32_t(crc));
}

uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return uint8_t(a);
    }
    return uint8_t(pb <= pc ? b : c);
}

// Filters one row with each of the five PNG filters and keeps the one whose
// bytes, read as signed, add up to the least: the usual heuristic that keeps
// smooth gradients small. `trial` and `best` are scratch rows of n + 1 bytes.
void filterRow(const uint8_t* row, const uint8_t* above, size_t n, int bpp,
               std::vector<uint8_t>& trial, std::vector<uint8_t>& best, std::vector<uint8_t>& out) {
    uint64_t bestCost = ~uint64_t(0);
    for (uint8_t type = 0; type < 5; ++type) {
        trial[0] = type;
        uint64_t cost = 0;
        for (size_t i = 0; i < n; ++i) {
            const int a = i >= size_t(bpp) ? row[i - bpp] : 0;
            const int b = above ? above[i] : 0;
            const int c = (above && i >= size_t(bpp)) ? above[i - bpp] : 0;
            uint8_t v = row[i];
            switch (type) {
            case 1:
                v = uint8_t(v - a);
                break;
            case 2:
                v = uint8_t(v - b);
                break;
            case 3:
                v = uint8_t(v - ((a + b) >> 1));
                break;
            case 4:
                v = uint8_t(v - paeth(a, b, c));
                break;
            default:
                break;
            }
            trial[i + 1] = v;
            cost += v < 128 ? v : 256 - v;
        }
        if (cost < bestCost) {
            bestCost = cost;
            best.swap(trial);
        }
    }
    out.insert(out.end(), best.begin(), best.end());
}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, bool withAlpha,
                               const std::vector<uint8_t>& pixels) {
    const int bpp = withAlpha ? 4 : 3;
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * height * bpp) {
        return {};
    }
    const size_t rowBytes = size_t(width) * bpp;
    std::vector<uint8_t> filtered;
    filtered.reserve((rowBytes + 1) * height);
    std::vector<uint8_t> trial(rowBytes + 1), best(rowBytes + 1);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels.data() + rowBytes * y;
        filterRow(row, y > 0 ? row - rowBytes : nullptr, rowBytes, bpp, trial, best, filtered);
    }
    uLongf packedSize = compressBound(uLong(filtered.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), uLong(filtered.size()), 6) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    putU32(header, uint32_t(width));
    putU32(header, uint32_t(height));
    header.push_back(8);                 // bits per channel
    header.push_back(withAlpha ? 6 : 2); // truecolour with or without alpha
    header.push_back(0);                 // deflate
    header.push_back(0);                 // adaptive filtering
    header.push_back(0);                 // not interlaced
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return out;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error) {
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        if (error) {
            *error = "cannot create \"" + temporary + "\": " + std::strerror(errno);
        }
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        if (error) {
            *error = "cannot write \"" + path + "\": " + std::strerror(errno);
        }
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace keltraWorks
