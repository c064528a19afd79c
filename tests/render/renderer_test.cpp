// Loading pictures by name: from the mounted archive, or from disk when no
// archive is mounted. Runs through the recording renderer, which shares the
// real renderer's loading and decoding, so no GL is needed.
#include "engine/render/renderer.h"
#include "engine/vfs/archive_writer.h"
#include "engine/vfs/vfs.h"
#include "tests/render/time_limit.h"
#include "tests/support/render/recording_renderer.h"
#include "tests/support/temp_folder.h"
#include "tools/content/png_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/stat.h>

using Bytes = std::vector<uint8_t>;
using keltraWorks::ArchiveWriter;
using keltraWorks::RecordingRenderer;
using keltraWorks::Vfs;

namespace {

class PictureLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.valid());
        Bytes pixels;
        for (int i = 0; i < 20 * 10; ++i) {
            pixels.insert(pixels.end(), {uint8_t(i), 0, 255});
        }
        png = keltraWorks::encodePng(20, 10, false, pixels);
    }
    void TearDown() override { Vfs::unmount(); }
    std::string path(const std::string& name) const { return dir.path(name); }
    void mountArchiveWith(const std::string& name, const Bytes& bytes) {
        ArchiveWriter writer;
        std::string error;
        ASSERT_TRUE(writer.addBytes(name, bytes, &error)) << error;
        ASSERT_TRUE(writer.write(path("data.zuo"), &error)) << error;
        ASSERT_TRUE(Vfs::mount(path("data.zuo")));
    }

    glintTest::TempFolder dir;
    Bytes png;
    RecordingRenderer renderer;
};

void expectPaddedRecord(const RecordingRenderer& renderer, int texture) {
    const keltraWorks::ImageInfo* info = renderer.getTextureInfo(texture);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->width, 32);
    EXPECT_EQ(info->imageWidth, 20);
    EXPECT_EQ(info->height, 16);
    EXPECT_EQ(info->imageHeight, 10);
    EXPECT_EQ(info->bitsPerPixel, 24);
    EXPECT_EQ(info->invalid, 0);
    EXPECT_FLOAT_EQ(renderer.getTextureExtent(texture).x, 0.625f);
    EXPECT_FLOAT_EQ(renderer.getTextureExtent(texture).y, 0.625f);
}

} // namespace

TEST_F(PictureLoad, LooseFileLoadsWhenNoArchiveIsMounted) {
    ASSERT_TRUE(dir.write("a.png", png));
    const int texture = renderer.loadTexture(path("a.png"), 0, false);
    EXPECT_EQ(texture, 1);
    expectPaddedRecord(renderer, texture);
    EXPECT_EQ(renderer.loadImage(path("a.png")), 1);
}

TEST_F(PictureLoad, MissingOrUndecodableFilesGiveNoIndex) {
    EXPECT_EQ(renderer.loadTexture(path("missing.png"), 0, false), 0);
    ASSERT_TRUE(dir.write("text.png", Bytes{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(renderer.loadTexture(path("text.png"), 0, false), 0);
    ASSERT_TRUE(dir.write("empty.png", Bytes{}));
    EXPECT_EQ(renderer.loadImage(path("empty.png")), 0);
    EXPECT_EQ(renderer.textureCount(), 0);
    EXPECT_EQ(renderer.imageCount(), 0);
}

TEST_F(PictureLoad, ArchiveEntryLoadsByItsName) {
    mountArchiveWith("data/gui/play_on.png", png);
    const int texture = renderer.loadTexture("data/gui/play_on.png", 1, false);
    EXPECT_EQ(texture, 1);
    expectPaddedRecord(renderer, texture);
}

TEST_F(PictureLoad, MountedArchiveLackingTheEntryDoesNotFallBackToDisk) {
    ASSERT_TRUE(dir.write("loose.png", png));
    mountArchiveWith("data/other.png", png);
    EXPECT_EQ(renderer.loadTexture(path("loose.png"), 0, false), 0);
    EXPECT_EQ(renderer.loadImage(path("loose.png")), 0);
}

// A FIFO opened for reading waits for a writer: one named like a picture or
// like the archive must be refused at once, not block start-up. Run in a
// child process, so a regression fails on the time limit instead of hanging.
TEST_F(PictureLoad, FifoNamedLikeAPictureOrTheArchiveIsRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(path("pipe.png").c_str(), 0600), 0);
    ASSERT_TRUE(dir.write("a.png", png));
    const auto body = [&] {
        return renderer.loadTexture(path("pipe.png"), 0, false) == 0 &&
               !Vfs::mount(path("pipe.png")) &&
               renderer.loadTexture(path("a.png"), 0, false) == 1; // positive control
    };
    const glintTest::ChildOutcome outcome = glintTest::runWithTimeLimit(body, 10);
    EXPECT_EQ(outcome, glintTest::ChildOutcome::Passed) << glintTest::outcomeName(outcome);
}

TEST_F(PictureLoad, ArchiveEntryCutShortFailsCleanly) {
    mountArchiveWith("cut.png", Bytes(png.begin(), png.begin() + long(png.size() / 2)));
    EXPECT_EQ(renderer.loadTexture("cut.png", 0, false), 0);
}

// Found by fuzzing: an entry claiming nearly 2 GiB made the loader allocate
// that much before its read came up short. It is now refused up front.
TEST_F(PictureLoad, ArchiveEntryClaimingMoreThanTheArchiveHoldsIsRefusedUnread) {
    const Bytes directory = {'V', 'F', 'S', 0,   'D', 'A',  'T',  0,    'a',
                             '.', 'p', 'n', 'g', 0,   0xFF, 0xFF, 0xFF, 0x7F, // size: INT32_MAX
                             26,  0,   0,   0, // offset: just after the directory
                             'E', 'N', 'D', 0};
    Bytes archive(directory.size() + png.size());
    std::copy(directory.begin(), directory.end(), archive.begin());
    std::copy(png.begin(), png.end(), archive.begin() + long(directory.size()));
    ASSERT_TRUE(dir.write("data.zuo", archive));
    ASSERT_TRUE(Vfs::mount(path("data.zuo")));

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(renderer.loadTexture("a.png", 0, false), 0);
    EXPECT_EQ(renderer.loadImage("a.png"), 0);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\"a.png\" lies outside its archive file"), std::string::npos) << log;
}

TEST_F(PictureLoad, DecodeImageNeedsTheWholeByteCount) {
    ASSERT_TRUE(dir.write("a.png", png));
    int32_t w = 0, h = 0, bits = 0;
    uint8_t* pixels = nullptr;
    const int32_t size = int32_t(png.size());

    EXPECT_FALSE(renderer.decodeImage(nullptr, size, &w, &h, &bits, &pixels));

    std::FILE* f = std::fopen(path("a.png").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(renderer.decodeImage(f, size + 10, &w, &h, &bits, &pixels)) << "short read";
    std::rewind(f);
    ASSERT_TRUE(renderer.decodeImage(f, size, &w, &h, &bits, &pixels));
    std::fclose(f);
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 10);
    EXPECT_EQ(bits, 24);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[3 * 21], 21); // second row, second pixel: red = index 21
    delete[] pixels;
}
