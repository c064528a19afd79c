#include "engine/vfs/vfs.h"

#include "tests/support/temp_folder.h"
#include "tests/vfs/raw_archive.h"

#include <gtest/gtest.h>

#include <string>

using glintTest::RawArchive;
using glintTest::TempFolder;
using keltraWorks::Vfs;

namespace {

// Vfs is process-wide state: every test starts and ends unmounted.
class VfsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Vfs::unmount();
        ASSERT_TRUE(dir.valid());
    }
    void TearDown() override { Vfs::unmount(); }

    std::string write(const std::string& name, const RawArchive& archive) {
        const std::string p = dir.path(name);
        EXPECT_TRUE(archive.writeTo(p));
        return p;
    }

    // Reads `count` bytes of an entry through the stream openFile hands out.
    static std::string readEntry(const std::string& name, size_t count) {
        std::FILE* f = Vfs::openFile(name);
        if (!f) {
            return "<null>";
        }
        std::string out(count, '\0');
        out.resize(std::fread(out.data(), 1, count, f));
        std::fclose(f);
        return out;
    }

    TempFolder dir;
};

// One entry "a.png" of ten bytes, exactly as the format's worked example.
RawArchive exampleArchive() {
    RawArchive a;
    a.magic().record("a.png", 10, 26).end().raw("0123456789");
    return a;
}

} // namespace

TEST_F(VfsTest, ExampleArchiveServesItsEntryFromByte26) {
    const RawArchive a = exampleArchive();
    const std::vector<uint8_t> expected = {0x56, 0x46, 0x53, 0x00, 0x44, 0x41, 0x54, 0x00, 0x61,
                                           0x2E, 0x70, 0x6E, 0x67, 0x00, 0x0A, 0x00, 0x00, 0x00,
                                           0x1A, 0x00, 0x00, 0x00, 0x45, 0x4E, 0x44, 0x00};
    ASSERT_EQ(std::vector<uint8_t>(a.bytes.begin(), a.bytes.begin() + 26), expected);

    ASSERT_TRUE(Vfs::mount(write("data.zuo", a)));
    EXPECT_TRUE(Vfs::isMounted());
    EXPECT_EQ(Vfs::fileSize("a.png"), 10);
    std::FILE* f = Vfs::openFile("a.png");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::ftell(f), 26);
    EXPECT_EQ(std::fgetc(f), '0');
    std::fclose(f);
    EXPECT_EQ(readEntry("a.png", 10), "0123456789");
    // Names are compared byte for byte.
    EXPECT_EQ(Vfs::openFile("A.png"), nullptr);
    EXPECT_EQ(Vfs::openFile("./a.png"), nullptr);
    EXPECT_EQ(Vfs::fileSize("a.png "), 0);
}

TEST_F(VfsTest, EachOpenFileIsAnIndependentStream) {
    RawArchive a;
    a.magic().record("x", 3, 36).record("y", 3, 39).end().raw("xxxyyy");
    ASSERT_EQ(a.size(), 42u);
    ASSERT_TRUE(Vfs::mount(write("data.zuo", a)));
    std::FILE* x = Vfs::openFile("x");
    std::FILE* y = Vfs::openFile("y");
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(std::fgetc(y), 'y');
    EXPECT_EQ(std::fgetc(x), 'x');
    std::fclose(x);
    std::fclose(y);
}

TEST_F(VfsTest, MountFailsForMissingFilesAndFoldersAndLeavesStateAlone) {
    EXPECT_FALSE(Vfs::mount(dir.path("missing.zuo")));
    EXPECT_FALSE(Vfs::isMounted());
    EXPECT_FALSE(Vfs::mount(dir.path()));
    EXPECT_FALSE(Vfs::isMounted());
    EXPECT_FALSE(Vfs::mount(""));
    EXPECT_FALSE(Vfs::unmount()) << "nothing was open";
}

TEST_F(VfsTest, SecondMountFailsAndKeepsTheFirstDirectory) {
    const std::string first = write("first.zuo", exampleArchive());
    RawArchive other;
    other.magic().record("b.png", 1, 26).end().raw("b");
    const std::string second = write("second.zuo", other);

    ASSERT_TRUE(Vfs::mount(first));
    EXPECT_FALSE(Vfs::mount(second));
    EXPECT_FALSE(Vfs::mount(first));
    EXPECT_TRUE(Vfs::isMounted());
    EXPECT_EQ(readEntry("a.png", 10), "0123456789");
    EXPECT_EQ(Vfs::openFile("b.png"), nullptr);
}

TEST_F(VfsTest, UnmountEndsLookupsAndTheNextMountStartsAFreshDirectory) {
    ASSERT_TRUE(Vfs::mount(write("first.zuo", exampleArchive())));
    EXPECT_TRUE(Vfs::unmount());
    EXPECT_FALSE(Vfs::isMounted());
    EXPECT_EQ(Vfs::openFile("a.png"), nullptr);
    EXPECT_EQ(Vfs::fileSize("a.png"), 0);
    EXPECT_FALSE(Vfs::unmount());

    RawArchive other;
    other.magic().record("b.png", 1, 26).end().raw("b");
    ASSERT_TRUE(Vfs::mount(write("second.zuo", other)));
    EXPECT_EQ(readEntry("b.png", 1), "b");
    EXPECT_EQ(Vfs::openFile("a.png"), nullptr);
    EXPECT_EQ(Vfs::fileSize("a.png"), 0);
}

TEST_F(VfsTest, NonArchiveMountsWithAnEmptyDirectory) {
    for (const std::string& content : {std::string("plain text, not an archive"), std::string(),
                                       std::string("VFSX\0DAT\0", 9)}) {
        SCOPED_TRACE(content);
        ASSERT_TRUE(dir.write("data.zuo", content));
        ASSERT_TRUE(Vfs::mount(dir.path("data.zuo")));
        EXPECT_TRUE(Vfs::isMounted());
        EXPECT_EQ(Vfs::openFile("plain"), nullptr);
        EXPECT_EQ(Vfs::openFile(""), nullptr);
        EXPECT_TRUE(Vfs::unmount());
    }
}

TEST_F(VfsTest, ZeroLengthEntryOpensWithSizeZero) {
    RawArchive a;
    a.magic().record("empty", 0, 26).end();
    ASSERT_TRUE(Vfs::mount(write("data.zuo", a)));
    EXPECT_EQ(Vfs::fileSize("empty"), 0);
    std::FILE* f = Vfs::openFile("empty");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fgetc(f), EOF);
    std::fclose(f);
}

TEST_F(VfsTest, LaterRecordOfTheSameNameWins) {
    RawArchive a;
    a.magic().record("n", 2, 36).record("n", 3, 38).end().raw("aabbb");
    ASSERT_EQ(a.size(), 41u);
    ASSERT_TRUE(Vfs::mount(write("data.zuo", a)));
    EXPECT_EQ(Vfs::fileSize("n"), 3);
    EXPECT_EQ(readEntry("n", 3), "bbb");
}

TEST_F(VfsTest, NegativeOffsetGivesNoStream) {
    RawArchive a;
    a.magic().record("neg", 4, -1).record("ok", 2, 39).end().raw("ok");
    ASSERT_EQ(a.size(), 41u);
    ASSERT_TRUE(Vfs::mount(write("data.zuo", a)));
    EXPECT_EQ(Vfs::openFile("neg"), nullptr);
    EXPECT_EQ(readEntry("ok", 2), "ok");
}

TEST_F(VfsTest, DeletedArchiveGivesNoStream) {
    const std::string p = write("data.zuo", exampleArchive());
    ASSERT_TRUE(Vfs::mount(p));
    ASSERT_EQ(std::remove(p.c_str()), 0);
    EXPECT_EQ(Vfs::openFile("a.png"), nullptr);
    EXPECT_EQ(Vfs::fileSize("a.png"), 10) << "the directory was read at mount time";
}

// Every directory fault mounts the archive with the records read before it
// and nothing from after it.
TEST_F(VfsTest, DamagedDirectoryKeepsOnlyTheRecordsBeforeTheFault) {
    struct Case {
        const char* what;
        RawArchive archive;
    };
    auto good = [] {
        RawArchive a;
        a.magic().record("good", 1, 0);
        return a;
    };
    std::vector<Case> cases;
    cases.push_back({"unknown tag", good().tag("XYZ").record("late", 1, 0).end()});
    cases.push_back({"magic as record tag", good().tag("VFS").record("late", 1, 0).end()});
    cases.push_back({"tag without zero byte", good().tag("DATX").record("late", 1, 0).end()});
    cases.push_back({"END without zero byte", good().tag("ENDX").record("late", 1, 0).end()});
    cases.push_back({"missing end tag", good()});
    cases.push_back({"cut inside the offset", good().record("late", 1, 0).cut(1)});
    cases.push_back({"cut inside the name", good().tag("DAT").raw("lat")});
    cases.push_back(
        {"300-byte name", good().record(std::string(300, 'n'), 1, 0).record("late", 1, 0).end()});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Vfs::mount(write("data.zuo", c.archive)));
        EXPECT_EQ(Vfs::fileSize("good"), 1);
        EXPECT_EQ(Vfs::fileSize("late"), 0);
        EXPECT_EQ(Vfs::openFile("late"), nullptr);
        EXPECT_EQ(Vfs::openFile(std::string(300, 'n')), nullptr);
        EXPECT_EQ(Vfs::openFile(std::string(255, 'n')), nullptr);
        EXPECT_TRUE(Vfs::unmount());
    }
}

TEST_F(VfsTest, NamesUpTo255BytesAreRead) {
    const std::string longest(255, 'L');
    RawArchive a;
    a.magic().record(longest, 2, 0).end();
    ASSERT_TRUE(Vfs::mount(write("data.zuo", a)));
    EXPECT_EQ(Vfs::fileSize(longest), 2);
    std::FILE* f = Vfs::openFile(longest);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fgetc(f), 'V');
    std::fclose(f);
}
