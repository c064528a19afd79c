#include "engine/vfs/archive_writer.h"

#include "engine/vfs/archive_format.h"
#include "engine/vfs/vfs.h"

#include "tests/support/temp_folder.h"
#include "tests/vfs/raw_archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using glintTest::RawArchive;
using glintTest::readFile;
using glintTest::TempFolder;
using keltraWorks::ArchiveWriter;
using keltraWorks::Vfs;

namespace {

std::vector<uint8_t> bytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

class ArchiveWriterTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.valid()); }
    void TearDown() override { Vfs::unmount(); }

    // A file of `size` bytes that takes no disk space.
    std::string sparseFile(const std::string& name, uint64_t size) {
        const std::string p = dir.path(name);
        EXPECT_TRUE(dir.write(name, ""));
        EXPECT_EQ(::truncate(p.c_str(), off_t(size)), 0);
        return p;
    }

    TempFolder dir;
    std::string error;
};

} // namespace

TEST_F(ArchiveWriterTest, SingleEntryMatchesTheFormatsWorkedExample) {
    ArchiveWriter w;
    ASSERT_TRUE(w.addBytes("a.png", bytesOf("0123456789"), &error)) << error;
    ASSERT_TRUE(w.write(dir.path("a.zuo"), &error)) << error;
    RawArchive expected;
    expected.magic().record("a.png", 10, 26).end().raw("0123456789");
    const std::string& want = std::string(expected.bytes.begin(), expected.bytes.end());
    EXPECT_EQ(readFile(dir.path("a.zuo")), want);
}

TEST_F(ArchiveWriterTest, PackThenMountGivesBackEveryByte) {
    std::string binary;
    for (int i = 0; i < 3000; ++i) {
        binary.push_back(char(i * 7));
    }
    ASSERT_TRUE(dir.write("src/disk.bin", binary));

    ArchiveWriter w;
    ASSERT_TRUE(w.addBytes("data/gui/play_on.png", bytesOf(std::string("\0\1\2PNG\0", 7)), &error));
    ASSERT_TRUE(w.addBytes("empty", {}, &error));
    ASSERT_TRUE(w.addFile("data/disk.bin", dir.path("src/disk.bin"), &error)) << error;
    ASSERT_TRUE(w.addBytes("dup", bytesOf("first"), &error));
    ASSERT_TRUE(w.addBytes("dup", bytesOf("second!"), &error));
    ASSERT_TRUE(w.addBytes(std::string(255, 'x'), bytesOf("long"), &error));
    EXPECT_EQ(w.count(), 6u);
    ASSERT_TRUE(w.write(dir.path("out.zuo"), &error)) << error;

    ASSERT_TRUE(Vfs::mount(dir.path("out.zuo")));
    const std::pair<std::string, std::string> entries[] = {
        {"data/gui/play_on.png", std::string("\0\1\2PNG\0", 7)},
        {"empty", ""},
        {"data/disk.bin", binary},
        {"dup", "second!"},
        {std::string(255, 'x'), "long"},
    };
    for (const auto& [name, content] : entries) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Vfs::fileSize(name), int(content.size()));
        std::FILE* f = Vfs::openFile(name);
        ASSERT_NE(f, nullptr);
        std::string got(content.size() + 1, '?');
        got.resize(std::fread(got.data(), 1, got.size(), f));
        std::fclose(f);
        // One byte more is asked for: the next entry follows, except for the last.
        EXPECT_EQ(got.substr(0, content.size()), content);
    }

    // The directory comes first and the data follows it without gaps.
    std::FILE* f = std::fopen(dir.path("out.zuo").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<keltraWorks::ArchiveRecord> records;
    EXPECT_EQ(keltraWorks::readDirectory(f, records), keltraWorks::DirectoryStatus::Complete);
    int64_t next = std::ftell(f);
    std::fclose(f);
    for (const auto& r : records) {
        EXPECT_EQ(r.offset, next) << r.name;
        next += r.size;
    }
    EXPECT_EQ(next, int64_t(std::filesystem::file_size(dir.path("out.zuo"))));
}

TEST_F(ArchiveWriterTest, RefusesBadNames) {
    ArchiveWriter w;
    EXPECT_FALSE(w.addBytes("", {}, &error));
    EXPECT_NE(error.find("empty"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(w.addBytes(std::string(256, 'x'), {}, &error));
    EXPECT_NE(error.find("255"), std::string::npos) << error;
    EXPECT_FALSE(w.addBytes(std::string("a\0b", 3), {}, &error));
    EXPECT_FALSE(w.addFile(std::string(256, 'x'), dir.path(), &error));
    EXPECT_FALSE(w.addBytes("", {}, nullptr)) << "the error text is optional";
    EXPECT_TRUE(w.addBytes("fine", {}, nullptr));
    EXPECT_EQ(w.count(), 1u);
}

TEST_F(ArchiveWriterTest, RefusesUnreadableSourcesAndLeavesNoPartialArchive) {
    ArchiveWriter w;
    EXPECT_FALSE(w.addFile("x", dir.path("missing"), &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_FALSE(w.addFile("x", dir.path(), &error));
    EXPECT_EQ(w.count(), 0u);

    // A source that changes size between adding and writing.
    ASSERT_TRUE(dir.write("grows", "abc"));
    ASSERT_TRUE(w.addFile("grows", dir.path("grows"), &error));
    ASSERT_TRUE(dir.write("grows", "abcdef"));
    EXPECT_FALSE(w.write(dir.path("out.zuo"), &error));
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.zuo")));

    ArchiveWriter cannotCreate;
    EXPECT_FALSE(cannotCreate.write(dir.path("no/such/folder/out.zuo"), &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

// Sizes are checked before the archive is created, so an output folder that
// does not exist tells the size refusal apart from a write attempt.
TEST_F(ArchiveWriterTest, ArchiveMustStayBelowTwoGiB) {
    const uint64_t limit = uint64_t(1) << 31;
    const uint64_t directory = keltraWorks::directorySize({"big"});
    ASSERT_EQ(directory, 4u + 4 + 4 + 8 + 4);
    const std::string unwritable = dir.path("no/such/folder/out.zuo");

    ArchiveWriter justBelow;
    ASSERT_TRUE(justBelow.addFile("big", sparseFile("below", limit - 1 - directory), &error));
    EXPECT_FALSE(justBelow.write(unwritable, &error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;

    ArchiveWriter atLimit;
    ASSERT_TRUE(atLimit.addFile("big", sparseFile("at", limit - directory), &error));
    EXPECT_FALSE(atLimit.write(unwritable, &error));
    EXPECT_NE(error.find("2 GiB"), std::string::npos) << error;

    // Many small entries add up too.
    ArchiveWriter many;
    const std::string quarter = sparseFile("quarter", limit / 4);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(many.addFile("q" + std::to_string(i), quarter, &error));
    }
    EXPECT_FALSE(many.write(unwritable, &error));
    EXPECT_NE(error.find("2 GiB"), std::string::npos) << error;
}
