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

// Samples per pixel by colour type; 0 marks the types PNG does not define.
constexpr uint8_t SamplesPerPixel[7] = {1, 0, 3, 1, 2, 0, 4};

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

std::vector<uint8_t> pngSignature() {
    return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
}

std::vector<uint8_t> pngChunk(const std::string& type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    putU32(out, uint32_t(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + 4, uInt(out.size() - 4));
    putU32(out, uint32_t(crc));
    return out;
}

std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height, uint8_t bitDepth,
                               uint8_t colourType) {
    std::vector<uint8_t> header;
    putU32(header, width);
    putU32(header, height);
    header.push_back(bitDepth);
    header.push_back(colourType);
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering
    header.push_back(0); // not interlaced
    return header;
}

std::vector<uint8_t> encodePng(const PngPicture& p) {
    const uint8_t samples = p.colourType < 7 ? SamplesPerPixel[p.colourType] : 0;
    const size_t bitsPerPixel = size_t(samples) * p.bitDepth;
    const size_t rowBytes = (p.width * bitsPerPixel + 7) / 8;
    if (samples == 0 || p.width == 0 || p.height == 0 || p.rows.size() != rowBytes * p.height) {
        return {};
    }
    // Filters look back one whole pixel, or one byte for pixels below a byte.
    const int bpp = int(bitsPerPixel < 8 ? 1 : bitsPerPixel / 8);
    std::vector<uint8_t> filtered;
    filtered.reserve((rowBytes + 1) * p.height);
    std::vector<uint8_t> trial(rowBytes + 1), best(rowBytes + 1);
    for (uint32_t y = 0; y < p.height; ++y) {
        const uint8_t* row = p.rows.data() + rowBytes * y;
        filterRow(row, y > 0 ? row - rowBytes : nullptr, rowBytes, bpp, trial, best, filtered);
    }
    uLongf packedSize = compressBound(uLong(filtered.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), uLong(filtered.size()), 6) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    std::vector<uint8_t> out = pngSignature();
    const auto append = [&out](const std::vector<uint8_t>& chunk) {
        out.insert(out.end(), chunk.begin(), chunk.end());
    };
    append(pngChunk("IHDR", pngHeader(p.width, p.height, p.bitDepth, p.colourType)));
    if (!p.palette.empty()) {
        append(pngChunk("PLTE", p.palette));
    }
    if (!p.transparency.empty()) {
        append(pngChunk("tRNS", p.transparency));
    }
    append(pngChunk("IDAT", packed));
    append(pngChunk("IEND", {}));
    return out;
}

std::vector<uint8_t> encodePng(int width, int height, bool withAlpha,
                               const std::vector<uint8_t>& pixels) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    PngPicture picture;
    picture.width = uint32_t(width);
    picture.height = uint32_t(height);
    picture.colourType = withAlpha ? 6 : 2;
    picture.rows = pixels;
    return encodePng(picture);
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
