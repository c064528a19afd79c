// Reading archive entries without mounting: the same bytes the mounted
// archive serves, the same rule for repeated names, and no reads of entries
// that claim more than the file holds.
#include "engine/vfs/archive_entries.h"
#include "engine/vfs/vfs.h"

#include "tests/support/temp_folder.h"
#include "tests/vfs/raw_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glintTest::RawArchive;
using glintTest::TempFolder;
using keltraWorks::ArchiveEntries;

namespace {

std::string text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(ArchiveEntries, ReadsWhatTheMountedArchiveServesWithoutMountingIt) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    // Directory: 4 + (4 + 6 + 8) x 3 + 4 = 62 bytes; "a.png" appears twice.
    RawArchive a;
    a.magic()
        .record("a.png", 3, 62)
        .record("b.png", 4, 65)
        .record("a.png", 2, 69)
        .end()
        .raw("oldBBBBnw");
    ASSERT_EQ(a.size(), 71u);
    ASSERT_TRUE(a.writeTo(dir.path("data.zuo")));

    ArchiveEntries entries;
    ASSERT_TRUE(entries.open(dir.path("data.zuo")));
    EXPECT_FALSE(keltraWorks::Vfs::isMounted());
    std::vector<uint8_t> out;
    ASSERT_TRUE(entries.read("b.png", &out));
    EXPECT_EQ(text(out), "BBBB");
    ASSERT_TRUE(entries.read("a.png", &out));
    EXPECT_EQ(text(out), "nw"); // the later record wins, as when mounted
    EXPECT_FALSE(entries.read("c.png", &out));
    EXPECT_TRUE(out.empty());
}

TEST(ArchiveEntries, EntriesPastTheEndOrWithBadFieldsAreNotRead) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    RawArchive a;
    a.magic().record("long", 100, 40).record("neg", 2, -5).record("zero", 0, 40).end().raw("xy");
    ASSERT_TRUE(a.writeTo(dir.path("data.zuo")));
    ArchiveEntries entries;
    ASSERT_TRUE(entries.open(dir.path("data.zuo")));
    std::vector<uint8_t> out{1, 2, 3};
    EXPECT_FALSE(entries.read("long", &out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(entries.read("neg", &out));
    EXPECT_FALSE(entries.read("zero", &out));
}

TEST(ArchiveEntries, OnlyRegularFilesOpen) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    ArchiveEntries entries;
    EXPECT_FALSE(entries.open(dir.path("missing.zuo")));
    EXPECT_FALSE(entries.open(dir.path()));
    std::vector<uint8_t> out;
    EXPECT_FALSE(entries.read("a.png", &out));
    // Not an archive at all: it opens, with no entries (as a mount would).
    ASSERT_TRUE(dir.write("plain.zuo", "hello"));
    EXPECT_TRUE(entries.open(dir.path("plain.zuo")));
    EXPECT_FALSE(entries.read("hello", &out));
}
