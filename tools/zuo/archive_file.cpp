#include "tools/zuo/archive_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <sys/stat.h>

namespace zuo {

bool loadArchive(const std::string& path, ArchiveFile& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "zuo: cannot open \"%s\": %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "zuo: \"%s\" is not a regular file\n", path.c_str());
        std::fclose(f);
        return false;
    }
    out.path = path;
    out.fileSize = int64_t(st.st_size);
    out.records.clear();
    out.status = keltraWorks::readDirectory(f, out.records);
    std::fclose(f);
    return true;
}

std::string entryProblem(const keltraWorks::ArchiveRecord& record, int64_t fileSize) {
    if (record.size < 0) {
        return "negative size " + std::to_string(record.size);
    }
    if (record.offset < 0) {
        return "negative offset " + std::to_string(record.offset);
    }
    const int64_t end = int64_t(record.offset) + record.size;
    if (end > fileSize) {
        return "bytes " + std::to_string(record.offset) + " to " + std::to_string(end) +
               " lie past the end of the file (" + std::to_string(fileSize) + " bytes)";
    }
    return "";
}

std::vector<size_t> winningRecords(const std::vector<keltraWorks::ArchiveRecord>& records) {
    std::map<std::string, size_t> last;
    for (size_t i = 0; i < records.size(); ++i) {
        last[records[i].name] = i;
    }
    std::vector<size_t> out;
    for (size_t i = 0; i < records.size(); ++i) {
        if (last[records[i].name] == i) {
            out.push_back(i);
        }
    }
    return out;
}

bool copyEntry(const ArchiveFile& archive, const keltraWorks::ArchiveRecord& record,
               const std::string& target, std::string& error) {
    std::FILE* in = std::fopen(archive.path.c_str(), "rb");
    if (!in || ::fseeko(in, off_t(record.offset), SEEK_SET) != 0) {
        error = "cannot read \"" + archive.path + "\": " + std::strerror(errno);
        if (in) {
            std::fclose(in);
        }
        return false;
    }
    std::FILE* out = std::fopen(target.c_str(), "wb");
    if (!out) {
        error = "cannot create \"" + target + "\": " + std::strerror(errno);
        std::fclose(in);
        return false;
    }
    char buffer[1 << 16];
    int64_t left = record.size;
    bool ok = true;
    while (ok && left > 0) {
        const size_t want = size_t(std::min<int64_t>(left, sizeof buffer));
        const size_t got = std::fread(buffer, 1, want, in);
        ok = got == want && std::fwrite(buffer, 1, got, out) == got;
        left -= int64_t(got);
    }
    std::fclose(in);
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        error = "cannot copy \"" + record.name + "\" to \"" + target +
                "\": the archive ended early or the write failed";
        std::remove(target.c_str());
    }
    return ok;
}

} // namespace zuo
