// Fuzzes the archive reader: the input is mounted as "data.zuo" would be,
// then every name its directory holds is looked up and read, both raw (as
// the callers' contract says) and through the picture loader the renderer
// uses. The bytes read must be the input's bytes at the entry's offset.
#include "engine/vfs/archive_format.h"
#include "engine/vfs/vfs.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/memory_file.h"
#include "tests/support/render/recording_renderer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

using glintFuzz::check;
using keltraWorks::ArchiveRecord;
using keltraWorks::Vfs;

namespace {

// Enough to compare every byte of small entries without making a hostile
// size (up to 2 GiB) cost the fuzzer its memory.
constexpr int32_t ReadLimit = 1 << 16;

glintFuzz::MemoryFile& archiveFile() {
    static glintFuzz::MemoryFile file("data.zuo");
    return file;
}

// What the directory should hold: records in file order, the later of two
// records of one name winning.
std::map<std::string, ArchiveRecord> expectedDirectory(const std::string& path) {
    std::map<std::string, ArchiveRecord> byName;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    check(file != nullptr, "the archive file opens");
    std::vector<ArchiveRecord> records;
    keltraWorks::readDirectory(file, records);
    std::fclose(file);
    for (const ArchiveRecord& r : records) {
        check(r.name.size() <= keltraWorks::MaxNameLength, "names stay within 255 bytes");
        byName[r.name] = r;
    }
    return byName;
}

void readEntry(const ArchiveRecord& entry, const uint8_t* data, size_t count) {
    check(Vfs::fileSize(entry.name) == entry.size, "fileSize is the last record's size");
    std::FILE* stream = Vfs::openFile(entry.name);
    if (entry.offset < 0) {
        check(stream == nullptr, "a negative offset gives no stream");
        return;
    }
    check(stream != nullptr, "an entry with a usable offset opens");
    const int32_t want = std::clamp<int32_t>(entry.size, 0, ReadLimit);
    std::vector<uint8_t> bytes(static_cast<size_t>(want));
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), stream);
    std::fclose(stream);
    const size_t offset = static_cast<size_t>(entry.offset);
    const size_t present = offset < count ? std::min(count - offset, bytes.size()) : 0;
    check(got == present, "reads stop exactly at the end of the archive");
    check(std::equal(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(got), data + offset),
          "an entry's bytes are the archive's bytes at its offset");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t count) {
    glintFuzz::MemoryFile& file = archiveFile();
    file.assign(data, count);
    const std::map<std::string, ArchiveRecord> expected = expectedDirectory(file.path());

    check(Vfs::mount(file.path()), "any readable file mounts");
    check(!Vfs::mount(file.path()), "a second mount is refused");
    for (const auto& [name, entry] : expected) {
        readEntry(entry, data, count);
    }
    if (expected.count("no/such/entry.png") == 0) {
        check(Vfs::openFile("no/such/entry.png") == nullptr, "an unknown name gives no stream");
    }

    // The renderer's loaders, as the player screen loads its pictures, on
    // the first eight entries, so that one input cannot stall the run.
    keltraWorks::RecordingRenderer renderer;
    int loads = 0;
    for (const auto& [name, entry] : expected) {
        if (++loads > 8) {
            break;
        }
        renderer.loadTexture(name, keltraWorks::FilterNearest, true);
        renderer.loadImage(name);
    }

    check(Vfs::unmount(), "unmount closes the mounted archive");
    check(!Vfs::isMounted() && Vfs::fileSize(expected.empty() ? "x" : expected.begin()->first) == 0,
          "nothing is found after unmount");
    return 0;
}
