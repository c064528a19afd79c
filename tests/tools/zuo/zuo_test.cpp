// Runs the built zuo binary on archives and folders made by the tests.
#include "tests/support/temp_folder.h"
#include "tests/vfs/raw_archive.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using glintTest::RawArchive;
using glintTest::readFile;
using glintTest::TempFolder;

namespace {

struct Result {
    bool exited = false; // false when killed by a signal, i.e. a crash
    int code = -1;
    std::string out;
    std::string err;
};

class ZuoTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.valid()); }

    Result zuo(const std::vector<std::string>& args) {
        const std::string outPath = dir.path(".stdout");
        const std::string errPath = dir.path(".stderr");
        std::vector<char*> argv{const_cast<char*>(ZUO_PATH)};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int o = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(o, 1);
            ::dup2(e, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        Result r;
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
            ADD_FAILURE() << "cannot run " << ZUO_PATH;
            return r;
        }
        r.exited = WIFEXITED(status);
        r.code = r.exited ? WEXITSTATUS(status) : -1;
        r.out = readFile(outPath);
        r.err = readFile(errPath);
        return r;
    }

    // A clean failure: exit 1, no crash, a "zuo: " message mentioning `what`.
    static void expectFailure(const Result& r, const std::string& what) {
        EXPECT_TRUE(r.exited) << "crashed";
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err.rfind("zuo: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(what), std::string::npos) << r.err;
    }

    std::string archive(const std::string& name, const RawArchive& a) {
        EXPECT_TRUE(a.writeTo(dir.path(name)));
        return dir.path(name);
    }

    TempFolder dir;
};

// One line of `zuo list`: size and offset right-aligned in ten columns.
std::string line(int size, int offset, const std::string& name) {
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%10d %10d ", size, offset);
    return numbers + name + "\n";
}

// Every regular file below `root`, by its path relative to `root`.
std::map<std::string, std::string> tree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), root).string()] = readFile(e.path().string());
        }
    }
    return files;
}

} // namespace

TEST_F(ZuoTest, PackListExtractRoundTripsAFolderByteForByte) {
    std::string binary;
    for (int i = 0; i < 70000; ++i) {
        binary.push_back(char((i * 31) ^ (i >> 8)));
    }
    ASSERT_TRUE(dir.write("src/data/gui/play_on.png", binary));
    ASSERT_TRUE(dir.write("src/data/gui/empty.png", ""));
    ASSERT_TRUE(dir.write("src/data/a b.txt", "spaces in a name"));
    ASSERT_TRUE(dir.write("src/data/deep/er/still/x", "x"));
    ASSERT_TRUE(dir.write("src/top.txt", "top"));

    Result r = zuo({"pack", dir.path("a.zuo"), "-C", dir.path("src"), "data", "top.txt"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");

    r = zuo({"list", dir.path("a.zuo")});
    ASSERT_EQ(r.code, 0) << r.err;
    // Folders are walked in sorted order; the data follows the directory
    // (magic, end tag and 13 bytes plus the name per record) without gaps.
    const std::vector<std::pair<std::string, int>> entries = {{"data/a b.txt", 16},
                                                              {"data/deep/er/still/x", 1},
                                                              {"data/gui/empty.png", 0},
                                                              {"data/gui/play_on.png", 70000},
                                                              {"top.txt", 3}};
    int offset = 8;
    for (const auto& e : entries) {
        offset += 13 + int(e.first.size());
    }
    std::string expected;
    for (const auto& [name, size] : entries) {
        expected += line(size, offset, name);
        offset += size;
    }
    EXPECT_EQ(r.out, expected);

    r = zuo({"verify", dir.path("a.zuo")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "ok\n");

    r = zuo({"extract", dir.path("a.zuo"), "-C", dir.path("out")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(tree(dir.path("out")), tree(dir.path("src")));

    // The same tree always gives the same archive.
    ASSERT_EQ(zuo({"pack", dir.path("b.zuo"), "-C", dir.path("src"), "data/", "top.txt"}).code, 0);
    EXPECT_EQ(readFile(dir.path("b.zuo")), readFile(dir.path("a.zuo")));
}

TEST_F(ZuoTest, PackingDotStoresUnprefixedNamesAndLeavesOutTheArchive) {
    ASSERT_TRUE(dir.write("src/b", "b"));
    ASSERT_TRUE(dir.write("src/a/c", "c"));
    for (int round = 0; round < 2; ++round) {
        const Result r = zuo({"pack", dir.path("src/self.zuo"), "-C", dir.path("src"), "."});
        ASSERT_EQ(r.code, 0) << r.err;
    }
    const Result r = zuo({"list", dir.path("src/self.zuo")});
    EXPECT_EQ(r.out, line(1, 38, "a/c") + line(1, 39, "b"));
}

TEST_F(ZuoTest, ExtractWritesTheWinningRecordOfChosenNames) {
    RawArchive a;
    a.magic().record("dup", 2, 57).record("keep", 1, 59).record("dup", 3, 60).end().raw("aakbbb");
    ASSERT_EQ(a.size(), 63u);
    const std::string path = archive("a.zuo", a);

    Result r = zuo({"extract", path, "-C", dir.path("out"), "dup"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(tree(dir.path("out")), (std::map<std::string, std::string>{{"dup", "bbb"}}));

    r = zuo({"extract", path, "-C", dir.path("out2"), "keep", "nothere"});
    expectFailure(r, "nothere");
    EXPECT_EQ(readFile(dir.path("out2/keep")), "k");
}

TEST_F(ZuoTest, ExtractRefusesNamesThatLeaveTheFolder) {
    const std::string absolute = dir.path("escaped-abs");
    RawArchive a;
    a.magic()
        .record("../escaped-up", 1, 0)
        .record(absolute, 1, 0)
        .record("a/../../escaped-mid", 1, 0)
        .record("fine", 1, 0)
        .end();
    const Result r = zuo({"extract", archive("a.zuo", a), "-C", dir.path("out/inner")});
    expectFailure(r, "\"../escaped-up\"");
    EXPECT_NE(r.err.find(absolute), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("a/../../escaped-mid"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.path("out/escaped-up")));
    EXPECT_FALSE(fs::exists(dir.path("out/escaped-mid")));
    EXPECT_FALSE(fs::exists(absolute));
    EXPECT_EQ(readFile(dir.path("out/inner/fine")), "V") << "safe entries are still extracted";
}

TEST_F(ZuoTest, DamagedArchivesFailCleanlyInEveryCommand) {
    struct Case {
        const char* what;
        RawArchive archive;
        const char* message;   // expected in the messages of verify and extract
        bool directoryDamaged; // list fails too
    };
    auto one = [] {
        RawArchive a;
        a.magic().record("good", 1, 0);
        return a;
    };
    const std::vector<Case> cases = {
        {"truncated", one().record("cut", 1, 0).cut(3), "ends before the end tag", true},
        {"bad magic", RawArchive().tag("ZIP").record("x", 1, 0).end(), "not an archive", true},
        {"unknown tag", one().tag("DATX").end(), "unknown record tag", true},
        {"long name", one().record(std::string(300, 'n'), 1, 0).end(), "255", true},
        // The file is 41 bytes: this entry ends one byte past it.
        {"past the end", one().record("bad", 2, 40).end(), "\"bad\"", false},
        {"negative size", one().record("bad", -5, 0).end(), "negative size", false},
        {"negative offset", one().record("bad", 1, -40).end(), "negative offset", false},
        {"huge entry", one().record("bad", 0x7FFFFFFF, 0x7FFFFFFF).end(), "past the end", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = archive("bad.zuo", c.archive);
        expectFailure(zuo({"verify", path}), c.message);
        expectFailure(zuo({"extract", path, "-C", dir.path("out")}), c.message);
        const Result list = zuo({"list", path});
        if (c.directoryDamaged) {
            expectFailure(list, c.message);
        } else {
            EXPECT_EQ(list.code, 0) << "list reports the directory, not the data";
            EXPECT_NE(list.out.find(" bad\n"), std::string::npos) << list.out;
        }
    }
    // list shows what was readable before reporting the fault.
    const Result r = zuo({"list", archive("bad.zuo", one())});
    expectFailure(r, "ends before the end tag");
    EXPECT_EQ(r.out, line(1, 0, "good"));

    expectFailure(zuo({"list", dir.path("missing.zuo")}), "missing.zuo");
    expectFailure(zuo({"verify", dir.path()}), "not a regular file");
}

TEST_F(ZuoTest, PackRefusesNamesTheArchiveCannotHold) {
    ASSERT_TRUE(dir.write("src/x", "x"));
    ASSERT_TRUE(dir.write("src/" + std::string(200, 'd') + "/" + std::string(54, 'f'), "x"));
    ASSERT_TRUE(dir.write("src/" + std::string(200, 'd') + "/" + std::string(55, 'f'), "x"));
    const std::string out = dir.path("out.zuo");
    expectFailure(zuo({"pack", out, dir.path("src/x")}), "absolute");
    expectFailure(zuo({"pack", out, "-C", dir.path("src"), "../src/x"}), "..");
    expectFailure(zuo({"pack", out, "-C", dir.path("src"), "./x"}), "\".\"");
    expectFailure(zuo({"pack", out, "-C", dir.path("src"), "missing"}), "missing");
    expectFailure(zuo({"pack", out, "-C", dir.path("src"), std::string(200, 'd')}), "255 bytes");
    EXPECT_FALSE(fs::exists(out));
    // The longest name that fits is accepted.
    EXPECT_EQ(zuo({"pack", out, "-C", dir.path("src"),
                   std::string(200, 'd') + "/" + std::string(54, 'f')})
                  .code,
              0);
}

TEST_F(ZuoTest, PackRefusesArchivesOfTwoGiB) {
    ASSERT_TRUE(dir.write("src/big", ""));
    // Sparse: no disk space. The directory takes 4 + 13 + 3 + 4 bytes.
    ASSERT_EQ(::truncate(dir.path("src/big").c_str(), (off_t(1) << 31) - 24), 0);
    // An output folder that does not exist: the size is refused before any
    // attempt to create the archive.
    expectFailure(zuo({"pack", dir.path("no/such/out.zuo"), "-C", dir.path("src"), "big"}),
                  "2 GiB");
}

TEST_F(ZuoTest, HelpAndBadUsage) {
    for (const std::vector<std::string>& help : {std::vector<std::string>{"--help"},
                                                 {"pack", "--help"},
                                                 {"list", "--help"},
                                                 {"extract", "x.zuo", "--help"},
                                                 {"verify", "--help"}}) {
        const Result r = zuo(help);
        EXPECT_EQ(r.code, 0) << help[0];
        EXPECT_NE(r.out.find("usage: zuo " + (help.size() > 1 ? help[0] : "pack")),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(r.err, "");
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{},
                                                {"unpack", "a.zuo"},
                                                {"pack", "a.zuo"},
                                                {"list"},
                                                {"list", "a.zuo", "b.zuo"},
                                                {"list", "a.zuo", "-C", "x"},
                                                {"extract", "a.zuo", "-C"},
                                                {"verify", "-x", "a.zuo"}}) {
        const Result r = zuo(bad);
        EXPECT_EQ(r.code, 2) << (bad.empty() ? "" : bad[0]);
        EXPECT_NE(r.err.find("usage: zuo"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists("a.zuo"));
}
