#include "tools/zuo/archive_file.h"
#include "tools/zuo/commands.h"

#include <cstdio>

namespace zuo {

int verifyCommand(const CommandLine& cl) {
    ArchiveFile archive;
    if (!loadArchive(cl.archive, archive)) {
        return ExitFailure;
    }
    bool ok = true;
    for (const keltraWorks::ArchiveRecord& r : archive.records) {
        const std::string problem = entryProblem(r, archive.fileSize);
        if (!problem.empty()) {
            ok = false;
            fail("\"" + cl.archive + "\": entry \"" + r.name + "\": " + problem);
        }
    }
    if (archive.status != keltraWorks::DirectoryStatus::Complete) {
        ok = false;
        fail("\"" + cl.archive + "\": " + keltraWorks::describe(archive.status));
    }
    if (!ok) {
        return ExitFailure;
    }
    std::puts("ok");
    return ExitOk;
}

} // namespace zuo
