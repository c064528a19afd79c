// The track titles read from data/tracks.txt in the archive, and the
// "Track N" fallbacks for a missing file and for lines that cannot be used.
#include "app/track_titles.h"

#include "engine/vfs/archive_writer.h"
#include "engine/vfs/vfs.h"
#include "tests/vfs/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using keltraWorks::ArchiveWriter;
using keltraWorks::Vfs;
using Titles = std::vector<std::string>;

namespace {

// Mounts an archive holding `name` with `text`.
void mountWith(const glintTest::TempDir& dir, const std::string& name, const std::string& text) {
    ArchiveWriter archive;
    std::string error;
    ASSERT_TRUE(archive.addBytes(name, std::vector<uint8_t>(text.begin(), text.end()), &error));
    ASSERT_TRUE(archive.write(dir.path("data.zuo"), &error)) << error;
    ASSERT_TRUE(Vfs::mount(dir.path("data.zuo")));
}

class TrackTitles : public ::testing::Test {
  protected:
    void TearDown() override { Vfs::unmount(); }
    glintTest::TempDir dir;
};

} // namespace

TEST_F(TrackTitles, ComeFromTheArchiveWithUnusableLinesNamedByNumber) {
    mountWith(dir, TrackTitlesFile,
              "First Light\r\n"
              "Glass \xc3\x9f Harbour \xe2\x98\x80 \xf0\x9f\x8c\x8a\n"
              "\n"                         // empty
              "Bad \xc3\x28 byte\n"        // broken sequence
              "Overlong \xc0\xaf\n"        // overlong '/'
              "Surrogate \xed\xa0\x80\n" + // U+D800
                  std::string(MaxTitleBytes + 1, 'x') +
                  "\n" + std::string(MaxTitleBytes, 'y') +
                  "\n"
                  "Tab\tin it\n"
                  "Tenth, no newline");
    ::testing::internal::CaptureStderr();
    const Titles titles = readTrackTitles();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "glint: titles: \"data/tracks.txt\" has no usable title on line 3; tracks "
              "without a title go by number\n");
    EXPECT_EQ(titles, (Titles{"First Light", "Glass \xc3\x9f Harbour \xe2\x98\x80 \xf0\x9f\x8c\x8a",
                              "Track 3", "Track 4", "Track 5", "Track 6", "Track 7",
                              std::string(MaxTitleBytes, 'y'), "Track 9", "Tenth, no newline"}));
}

TEST_F(TrackTitles, WithoutTheFileAreTrackOneToTen) {
    const Titles numbered = {"Track 1", "Track 2", "Track 3", "Track 4", "Track 5",
                             "Track 6", "Track 7", "Track 8", "Track 9", "Track 10"};
    // No archive and no loose file in the tests' working folder: no word.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(readTrackTitles(), numbered);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    // An archive without it: its entries are the only source.
    mountWith(dir, "data/logo.png", "not the titles");
    EXPECT_EQ(readTrackTitles(), numbered);
    Vfs::unmount();
    // A short file names the first tracks only.
    mountWith(dir, TrackTitlesFile, "One\nTwo\n");
    EXPECT_EQ(readTrackTitles()[1], "Two");
    EXPECT_EQ(readTrackTitles()[2], "Track 3");
}

TEST_F(TrackTitles, ComeFromTheLooseFileWhenNoArchiveIsMounted) {
    ASSERT_TRUE(dir.write(TrackTitlesFile, "Loose One\nLoose Two\n"));
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const Titles titles = readTrackTitles();
    std::filesystem::current_path(here);
    EXPECT_EQ(titles[0], "Loose One");
    EXPECT_EQ(titles[1], "Loose Two");
    EXPECT_EQ(titles[9], "Track 10");
}
