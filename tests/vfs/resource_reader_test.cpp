// Reading resources with a reader of one's own, without mounting: the same
// bytes the mounted archive serves, the same rule for repeated names, and no
// reads of entries that lie outside the file.
#include "engine/vfs/resource_reader.h"
#include "engine/vfs/vfs.h"

#include "tests/support/temp_folder.h"
#include "tests/vfs/raw_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glintTest::RawArchive;
using glintTest::TempFolder;
using keltraWorks::ResourceReader;
using keltraWorks::ResourceStatus;

namespace {

std::string text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(ResourceReader, ReadsWhatTheMountedArchiveServesWithoutMountingIt) {
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

    ResourceReader reader;
    ASSERT_TRUE(reader.openArchive(dir.path("data.zuo")));
    EXPECT_FALSE(keltraWorks::Vfs::isMounted());
    std::vector<uint8_t> out;
    ASSERT_EQ(reader.readResource("b.png", &out), ResourceStatus::Ok);
    EXPECT_EQ(text(out), "BBBB");
    ASSERT_EQ(reader.readResource("a.png", &out), ResourceStatus::Ok);
    EXPECT_EQ(text(out), "nw"); // the later record wins, as when mounted
    EXPECT_EQ(reader.readResource("c.png", &out), ResourceStatus::CannotOpen);
    EXPECT_TRUE(out.empty());
}

TEST(ResourceReader, EntriesPastTheEndOrWithBadFieldsAreNotRead) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    RawArchive a;
    a.magic().record("long", 100, 40).record("neg", 2, -5).record("zero", 0, 40).end().raw("xy");
    ASSERT_TRUE(a.writeTo(dir.path("data.zuo")));
    ResourceReader reader;
    ASSERT_TRUE(reader.openArchive(dir.path("data.zuo")));
    std::vector<uint8_t> out{1, 2, 3};
    EXPECT_EQ(reader.readResource("long", &out), ResourceStatus::OutsideArchive);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(reader.readResource("neg", &out), ResourceStatus::OutsideArchive);
    EXPECT_EQ(reader.readResource("zero", &out), ResourceStatus::UnusableSize);
}

TEST(ResourceReader, OnlyRegularFilesOpen) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    ResourceReader reader;
    EXPECT_FALSE(reader.openArchive(dir.path("missing.zuo")));
    EXPECT_FALSE(reader.openArchive(dir.path()));
    EXPECT_FALSE(reader.hasArchive());
    // Not an archive at all: it opens, with no entries (as a mount would),
    // and its names are not looked for on disk.
    ASSERT_TRUE(dir.write("plain.zuo", "hello"));
    ASSERT_TRUE(dir.write("hello", "loose"));
    EXPECT_TRUE(reader.openArchive(dir.path("plain.zuo")));
    std::vector<uint8_t> out;
    EXPECT_EQ(reader.readResource(dir.path("hello"), &out), ResourceStatus::CannotOpen);
}
