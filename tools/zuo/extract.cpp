#include "tools/zuo/archive_file.h"
#include "tools/zuo/commands.h"

#include <filesystem>
#include <set>

namespace zuo {

namespace {

// Picks the records to write: the winner of every name, or of the names
// asked for. Names not in the directory are reported and make `ok` false.
std::vector<size_t> selectRecords(const ArchiveFile& archive, const CommandLine& cl, bool& ok) {
    const std::vector<size_t> winners = winningRecords(archive.records);
    if (cl.operands.empty()) {
        return winners;
    }
    const std::set<std::string> wanted(cl.operands.begin(), cl.operands.end());
    std::set<std::string> found;
    std::vector<size_t> out;
    for (size_t i : winners) {
        if (wanted.count(archive.records[i].name)) {
            out.push_back(i);
            found.insert(archive.records[i].name);
        }
    }
    for (const std::string& name : wanted) {
        if (!found.count(name)) {
            ok = false;
            fail("\"" + name + "\": not in the archive");
        }
    }
    return out;
}

} // namespace

// Every entry is checked before a byte of it is written: its name must stay
// below the target folder and its bytes must lie inside the archive. A bad
// entry is reported and skipped; the others are still extracted.
int extractCommand(const CommandLine& cl) {
    namespace fs = std::filesystem;
    ArchiveFile archive;
    if (!loadArchive(cl.archive, archive)) {
        return ExitFailure;
    }
    if (archive.status == keltraWorks::DirectoryStatus::BadMagic) {
        return fail("\"" + cl.archive + "\": " + keltraWorks::describe(archive.status));
    }
    bool ok = true;
    const fs::path root = cl.dir.empty() ? fs::path(".") : fs::path(cl.dir);
    for (size_t i : selectRecords(archive, cl, ok)) {
        const keltraWorks::ArchiveRecord& r = archive.records[i];
        if (const char* problem = nameProblem(r.name)) {
            ok = false;
            fail("refusing to extract \"" + r.name + "\": " + problem);
            continue;
        }
        const std::string outside = entryProblem(r, archive.fileSize);
        if (!outside.empty()) {
            ok = false;
            fail("cannot extract \"" + r.name + "\": " + outside);
            continue;
        }
        const fs::path target = root / r.name;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        std::string error;
        if (ec) {
            error =
                "cannot create folder \"" + target.parent_path().string() + "\": " + ec.message();
        } else {
            copyEntry(archive, r, target.string(), error);
        }
        if (!error.empty()) {
            ok = false;
            fail(error);
        }
    }
    if (archive.status != keltraWorks::DirectoryStatus::Complete) {
        ok = false;
        fail("\"" + cl.archive + "\": " + keltraWorks::describe(archive.status));
    }
    return ok ? ExitOk : ExitFailure;
}

} // namespace zuo
