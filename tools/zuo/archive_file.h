// An archive opened for inspection by the zuo commands: its directory as
// read by the shared format code, how that reading ended, and the file's
// size in bytes, so entries can be checked against the file before any data
// is read. Entry data is copied out with copyEntry.
#pragma once

#include "engine/vfs/archive_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zuo {

struct ArchiveFile {
    std::string path;
    std::vector<keltraWorks::ArchiveRecord> records; // in directory order
    keltraWorks::DirectoryStatus status = keltraWorks::DirectoryStatus::BadMagic;
    int64_t fileSize = 0;
};

// Reads the directory of `path`. False (with a message printed) when the
// file cannot be opened or is not a regular file; a damaged directory still
// loads, with `status` saying how the reading stopped.
bool loadArchive(const std::string& path, ArchiveFile& out);

// Why the entry's bytes do not lie inside the file, or empty when they do.
std::string entryProblem(const keltraWorks::ArchiveRecord& record, int64_t fileSize);

// Indices of the records that win lookups (the last of each name), in
// directory order.
std::vector<size_t> winningRecords(const std::vector<keltraWorks::ArchiveRecord>& records);

// Copies an entry that lies inside the archive to the file `target`. False
// with `error` set on failure; no partial target is left behind.
bool copyEntry(const ArchiveFile& archive, const keltraWorks::ArchiveRecord& record,
               const std::string& target, std::string& error);

} // namespace zuo
