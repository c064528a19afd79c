#include "tools/zuo/archive_file.h"
#include "tools/zuo/commands.h"

#include <cstdio>

namespace zuo {

// Lists every record as read, superseded ones included, then reports how a
// damaged directory ended, so a user sees what the player would see.
int listCommand(const CommandLine& cl) {
    ArchiveFile archive;
    if (!loadArchive(cl.archive, archive)) {
        return ExitFailure;
    }
    for (const keltraWorks::ArchiveRecord& r : archive.records) {
        std::printf("%10d %10d %s\n", int(r.size), int(r.offset), r.name.c_str());
    }
    std::fflush(stdout);
    if (archive.status != keltraWorks::DirectoryStatus::Complete) {
        return fail("\"" + cl.archive + "\": " + keltraWorks::describe(archive.status));
    }
    return ExitOk;
}

} // namespace zuo
