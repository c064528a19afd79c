// The track titles read from data/tracks.txt, and the "Track N" fallbacks
// for a missing file and for lines that cannot be used.
#include "app/track_titles.h"

#include "engine/vfs/archive_writer.h"
#include "engine/vfs/vfs.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using keltraWorks::ArchiveWriter;
using keltraWorks::Vfs;
using Titles = std::vector<std::string>;

namespace {

// Mounts an archive holding `name` with `text`.
void mountWith(const glintTest::TempFolder& dir, const std::string& name, const std::string& text) {
    ArchiveWriter archive;
    std::string error;
    ASSERT_TRUE(archive.addBytes(name, std::vector<uint8_t>(text.begin(), text.end()), &error));
    ASSERT_TRUE(archive.write(dir.path("data.zuo"), &error)) << error;
    ASSERT_TRUE(Vfs::mount(dir.path("data.zuo")));
}

class TrackTitles : public ::testing::Test {
  protected:
    void TearDown() override { Vfs::unmount(); }
    glintTest::TempFolder dir;
};

} // namespace

// Lines that are empty, too long, not UTF-8 (a broken sequence, an overlong
// '/', a surrogate) or hold a control character go by number, said once.
TEST_F(TrackTitles, ComeFromTheArchiveWithUnusableLinesNamedByNumber) {
    const std::string glass = "Glass \xc3\x9f Harbour \xe2\x98\x80 \xf0\x9f\x8c\x8a";
    const std::string longest(MaxTitleBytes, 'y');
    mountWith(dir, TrackTitlesFile,
              "First Light\r\n" + glass +
                  "\n\nBad \xc3\x28\nOverlong \xc0\xaf\nHalf \xed\xa0\x80\n" + longest + "x\n" +
                  longest + "\nTab\there\nTenth, no newline");
    ::testing::internal::CaptureStderr();
    const Titles titles = readTrackTitles();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "glint: titles: \"data/tracks.txt\" has no usable title on line 3; tracks "
              "without a title go by number\n");
    EXPECT_EQ(titles, (Titles{"First Light", glass, "Track 3", "Track 4", "Track 5", "Track 6",
                              "Track 7", longest, "Track 9", "Tenth, no newline"}));
}

// Nothing mounted and nothing loose in the tests' working folder, or an
// archive without it: the tracks go by number, without a word.
TEST_F(TrackTitles, WithoutTheFileGoByNumberQuietly) {
    ::testing::internal::CaptureStderr();
    const Titles none = readTrackTitles();
    mountWith(dir, "data/logo.png", "not the titles");
    const Titles lacking = readTrackTitles();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(none[9], "Track 10");
    EXPECT_EQ(lacking, none);
}
