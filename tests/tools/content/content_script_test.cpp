// The content script decides when `make run` regenerates build/content: these
// tests run it against a stand-in generator that only counts its runs.
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class ContentScript : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(build.valid());
        // The stand-in prints the version kept in a file, writes a complete
        // content folder (or fails when told to) and counts its runs.
        const std::string generator = R"sh(#!/usr/bin/env bash
here="$(dirname "$0")"
if [ "$1" = --version ]; then cat "$here/version"; exit 0; fi
[ -f "$here/fail" ] && exit 1
out="$2"
mkdir -p "$out/data/gui" "$out/data/font"
for i in $(seq 1 39); do echo png > "$out/data/gui/p$i.png"; done
echo zuo > "$out/data.zuo"
echo mp3 > "$out/glint.mp3"
echo run >> "$here/runs"
)sh";
        ASSERT_TRUE(build.write("glint-content", generator));
        std::filesystem::permissions(build.path("glint-content"),
                                     std::filesystem::perms::owner_all);
        setVersion("stand-in 1");
    }

    void setVersion(const std::string& version) { ASSERT_TRUE(build.write("version", version)); }

    int runScript() {
        const std::string command =
            "bash " GLINT_SOURCE_DIR "/scripts/content.sh " + build.path() + " >/dev/null 2>&1";
        return std::system(command.c_str());
    }

    int generatorRuns() const {
        const std::string runs = glintTest::readFile(build.path("runs"));
        return int(std::count(runs.begin(), runs.end(), '\n'));
    }

    glintTest::TempFolder build;
};

} // namespace

TEST_F(ContentScript, GeneratesOnceAndThenSkipsWhileCurrent) {
    ASSERT_EQ(runScript(), 0);
    EXPECT_EQ(generatorRuns(), 1);
    ASSERT_EQ(runScript(), 0);
    EXPECT_EQ(generatorRuns(), 1);
}

TEST_F(ContentScript, RegeneratesForAnotherVersionOrMissingFiles) {
    ASSERT_EQ(runScript(), 0);
    setVersion("stand-in 2");
    ASSERT_EQ(runScript(), 0);
    EXPECT_EQ(generatorRuns(), 2);

    std::filesystem::remove(build.path("content/data/gui/p7.png"));
    ASSERT_EQ(runScript(), 0);
    EXPECT_EQ(generatorRuns(), 3);

    std::filesystem::remove(build.path("content/glint.mp3"));
    ASSERT_EQ(runScript(), 0);
    EXPECT_EQ(generatorRuns(), 4);
}

TEST_F(ContentScript, FailedGenerationIsReportedAndRetried) {
    ASSERT_TRUE(build.write("fail", "yes"));
    EXPECT_NE(runScript(), 0);
    EXPECT_FALSE(std::filesystem::exists(build.path("content/.content-version")));
    std::filesystem::remove(build.path("fail"));
    ASSERT_EQ(runScript(), 0);
    EXPECT_EQ(generatorRuns(), 1);
}
