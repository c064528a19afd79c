#include "engine/vfs/archive_format.h"

#include "tests/support/temp_folder.h"
#include "tests/vfs/raw_archive.h"

#include <gtest/gtest.h>

using glintTest::RawArchive;
using glintTest::TempFolder;
using keltraWorks::ArchiveRecord;
using keltraWorks::DirectoryStatus;
using keltraWorks::readDirectory;

namespace {

struct Reading {
    DirectoryStatus status;
    std::vector<ArchiveRecord> records;
    long position; // where the reader left the stream
};

Reading readBack(const RawArchive& archive) {
    TempFolder dir;
    const std::string p = dir.path("a.zuo");
    EXPECT_TRUE(archive.writeTo(p));
    Reading r{DirectoryStatus::Complete, {}, -1};
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (!f) {
        ADD_FAILURE() << "cannot open " << p;
        return r;
    }
    r.status = readDirectory(f, r.records);
    r.position = std::ftell(f);
    std::fclose(f);
    return r;
}

} // namespace

TEST(ArchiveFormat, ReadsRecordsInFileOrderAndStopsRightAfterTheEndTag) {
    RawArchive a;
    a.magic().record("z/last", 7, 1000).record("a", -3, -2).record("z/last", 0, 5).end();
    const long directoryEnd = long(a.size());
    a.raw(std::string("DAT\0more", 8)); // data that happens to look like a record
    const Reading r = readBack(a);
    ASSERT_EQ(r.status, DirectoryStatus::Complete);
    EXPECT_EQ(r.position, directoryEnd);
    ASSERT_EQ(r.records.size(), 3u);
    EXPECT_EQ(r.records[0].name, "z/last");
    EXPECT_EQ(r.records[0].size, 7);
    EXPECT_EQ(r.records[0].offset, 1000);
    EXPECT_EQ(r.records[1].size, -3) << "sizes are signed";
    EXPECT_EQ(r.records[1].offset, -2);
    EXPECT_EQ(r.records[2].offset, 5);
}

TEST(ArchiveFormat, IntegersAreLittleEndian) {
    RawArchive a;
    a.magic().tag("DAT").raw("n").raw(std::string(1, '\0'));
    a.raw("\x01\x02\x03\x04").raw("\xFF\xFF\xFF\x7F").end();
    const Reading r = readBack(a);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].size, 0x04030201);
    EXPECT_EQ(r.records[0].offset, 0x7FFFFFFF);
}

TEST(ArchiveFormat, EachFaultIsReportedWithTheRecordsBeforeIt) {
    struct Case {
        const char* what;
        RawArchive archive;
        DirectoryStatus status;
        size_t kept;
    };
    auto one = [] {
        RawArchive a;
        a.magic().record("good", 1, 0);
        return a;
    };
    RawArchive empty;
    std::vector<Case> cases = {
        {"empty file", empty, DirectoryStatus::BadMagic, 0},
        {"magic cut short", RawArchive().raw("VF"), DirectoryStatus::BadMagic, 0},
        {"magic without zero byte", RawArchive().tag("VFSX").end(), DirectoryStatus::BadMagic, 0},
        {"other magic", RawArchive().tag("DAT").end(), DirectoryStatus::BadMagic, 0},
        {"no records", RawArchive().magic().end(), DirectoryStatus::Complete, 0},
        {"unknown tag", one().tag("XYZ").end(), DirectoryStatus::BadTag, 1},
        {"magic as a record tag", one().tag("VFS").end(), DirectoryStatus::BadTag, 1},
        {"DAT without zero byte", one().tag("DATX").record("b", 1, 0).end(),
         DirectoryStatus::BadTag, 1},
        {"empty tag", one().tag("").end(), DirectoryStatus::BadTag, 1},
        {"missing end tag", one(), DirectoryStatus::Truncated, 1},
        {"end tag cut short", one().raw("EN"), DirectoryStatus::Truncated, 1},
        {"cut after the name", one().tag("DAT").raw(std::string("b\0", 2)).le32(1),
         DirectoryStatus::Truncated, 1},
        {"name runs to the end", one().tag("DAT").raw("bbb"), DirectoryStatus::Truncated, 1},
        {"256-byte name", one().record(std::string(256, 'n'), 1, 0).end(),
         DirectoryStatus::NameTooLong, 1},
        {"300-byte name", one().record(std::string(300, 'n'), 1, 0).end(),
         DirectoryStatus::NameTooLong, 1},
        {"255-byte name", one().record(std::string(255, 'n'), 1, 0).end(),
         DirectoryStatus::Complete, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Reading r = readBack(c.archive);
        EXPECT_EQ(r.status, c.status);
        ASSERT_EQ(r.records.size(), c.kept);
        if (c.kept > 0) {
            EXPECT_EQ(r.records[0].name, "good");
        }
        if (c.kept > 1) {
            EXPECT_EQ(r.records[1].name.size(), 255u);
        }
    }
}
