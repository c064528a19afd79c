#include "engine/vfs/vfs.h"
#include "tests/support/temp_folder.h"
#include "tests/tools/content/png_reader.h"
#include "tools/content/content_writer.h"
#include "tools/content/picture_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>

using namespace keltraWorks;

// Fontconfig, which cairo asks for the typeface, keeps a few allocations for
// the life of the process and never frees them. The leak checker of
// sanitizer builds is told to ignore those; without it this function is never
// called.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

// The pictures are drawn once for the whole suite (about a second).
class Pictures : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<glintTest::TempFolder>();
        std::string error;
        ContentOptions options;
        options.folder = folder->path();
        options.music = false;
        written = writeContent(options, &error);
        writeError = error;
        for (const PictureEntry& entry : pictureList()) {
            files[entry.path] = glintTest::readPngFile(folder->path(entry.path));
        }
    }
    static void TearDownTestSuite() {
        files.clear();
        folder.reset();
    }
    void SetUp() override { ASSERT_TRUE(written) << writeError; }

    static const glintTest::PngFile& file(const std::string& path) { return files.at(path); }

    static std::unique_ptr<glintTest::TempFolder> folder;
    static std::map<std::string, glintTest::PngFile> files;
    static bool written;
    static std::string writeError;
};

std::unique_ptr<glintTest::TempFolder> Pictures::folder;
std::map<std::string, glintTest::PngFile> Pictures::files;
bool Pictures::written = false;
std::string Pictures::writeError;

std::vector<std::string> group(const std::string& prefix, int first, int last,
                               const std::string& suffix = ".png") {
    std::vector<std::string> out;
    for (int i = first; i <= last; ++i) {
        out.push_back(prefix + std::to_string(i) + suffix);
    }
    return out;
}

// First and last column that holds any visible pixel.
std::pair<int, int> inkColumns(const glintTest::PngFile& png) {
    int first = int(png.width), last = -1;
    for (uint32_t y = 0; y < png.height; ++y) {
        for (uint32_t x = 0; x < png.width; ++x) {
            if (png.pixel(x, y)[3] > 0) {
                first = std::min(first, int(x));
                last = std::max(last, int(x));
            }
        }
    }
    return {first, last};
}

} // namespace

TEST_F(Pictures, EveryPictureIsAPlainTruecolourPngThatFitsItsPlace) {
    ASSERT_EQ(pictureList().size(), 39u);
    for (const PictureEntry& entry : pictureList()) {
        SCOPED_TRACE(entry.path);
        const auto& png = file(entry.path);
        ASSERT_TRUE(png.signatureOk);
        EXPECT_TRUE(png.crcsOk);
        EXPECT_EQ(png.chunks.front(), "IHDR");
        EXPECT_EQ(png.chunks.back(), "IEND");
        for (const std::string& chunk : png.chunks) {
            EXPECT_TRUE(chunk == "IHDR" || chunk == "IDAT" || chunk == "IEND") << chunk;
        }
        EXPECT_EQ(png.width, uint32_t(entry.width));
        EXPECT_EQ(png.height, uint32_t(entry.height));
        EXPECT_EQ(png.bitDepth, 8);
        EXPECT_EQ(png.colourType, entry.alpha ? 6 : 2);
        EXPECT_EQ(png.interlace, 0);
        EXPECT_FALSE(png.pixels.empty());
    }

    auto size = [](const std::string& p) { return std::make_pair(file(p).width, file(p).height); };
    for (const char* p : {"data/background_title.png", "data/logo.png", "data/background_main.png",
                          "data/background_endtitle.png"}) {
        EXPECT_EQ(size(p), std::make_pair(1024u, 768u)) << p;
    }
    EXPECT_EQ(file("data/logo.png").colourType, 6);
    // The credits scroll from x = 525 and leave the top exactly when 16 units
    // (1024 px) high.
    EXPECT_LE(file("data/credits.png").width, 499u);
    EXPECT_EQ(file("data/credits.png").height, 1024u);
    EXPECT_EQ(size("data/gui/close.png"), std::make_pair(64u, 64u));
    EXPECT_LE(file("data/gui/track_name.png").width, 89u);
    EXPECT_LE(file("data/gui/time.png").width, 64u);
    for (const char* p : {"data/gui/track_name.png", "data/gui/time.png"}) {
        EXPECT_GE(file(p).height, 26u) << p;
        EXPECT_LE(file(p).height, 47u) << p;
    }
    for (const char* b : {"play", "pause", "stop", "prev", "next"}) {
        for (const char* s : {"_off", "_on"}) {
            const std::string p = std::string("data/gui/") + b + s + ".png";
            EXPECT_EQ(size(p), std::make_pair(64u, 64u)) << p;
        }
    }
    // Widgets only grow, so each group shares one size.
    const auto digit = size("data/font/0.png");
    EXPECT_GE(digit.first, 26u);
    EXPECT_GE(digit.second, 26u);
    EXPECT_LE(digit.second, 47u);
    for (const auto& p : group("data/font/", 0, 9)) {
        EXPECT_EQ(size(p), digit) << p;
    }
    EXPECT_GE(file("data/font/dots.png").width, 26u);
    EXPECT_EQ(file("data/font/dots.png").height, digit.second);
    const auto name = size("data/gui/track1.png");
    EXPECT_LE(name.first, 300u);
    EXPECT_GE(name.second, 26u);
    EXPECT_LE(name.second, 47u);
    for (const auto& p : group("data/gui/track", 1, 10)) {
        EXPECT_EQ(size(p), name) << p;
    }
}

TEST_F(Pictures, TransparentPixelsAreZeroAndNoOverlayIsBlank) {
    for (const PictureEntry& entry : pictureList()) {
        if (!entry.alpha) {
            continue;
        }
        SCOPED_TRACE(entry.path);
        const auto& png = file(entry.path);
        size_t visible = 0, clear = 0;
        for (size_t i = 0; i + 3 < png.pixels.size(); i += 4) {
            if (png.pixels[i + 3] == 0) {
                ++clear;
                ASSERT_EQ(png.pixels[i] | png.pixels[i + 1] | png.pixels[i + 2], 0)
                    << "colour under a transparent pixel at byte " << i;
            } else {
                ++visible;
            }
        }
        EXPECT_GT(visible, 20u);
        EXPECT_GT(clear, visible / 10);
    }
}

TEST_F(Pictures, TextStaysClearOfNeighboursAndEdges) {
    // Digits overlap their neighbours by 12.8 px: 7 px must stay clear on
    // either side.
    for (const auto& p : group("data/font/", 0, 9)) {
        const auto [first, last] = inkColumns(file(p));
        EXPECT_GE(first, 7) << p;
        EXPECT_LE(last, int(file(p).width) - 8) << p;
    }
    // Track titles must not be cut off at the right edge.
    for (const auto& p : group("data/gui/track", 1, 10)) {
        EXPECT_LE(inkColumns(file(p)).second, int(file(p).width) - 4) << p;
    }
    // Every track name is its own picture.
    std::set<std::vector<uint8_t>> names;
    for (const auto& p : group("data/gui/track", 1, 10)) {
        names.insert(file(p).pixels);
    }
    EXPECT_EQ(names.size(), 10u);
}

TEST_F(Pictures, LogoIsDarkInkOverALightTitle) {
    // The logo is multiplied onto the title picture: its ink must be dark,
    // and the title light enough under it for the ink to read.
    const auto& logo = file("data/logo.png");
    const auto& title = file("data/background_title.png");
    double inkLight = 0, underLight = 0;
    size_t inked = 0;
    for (uint32_t y = 0; y < logo.height; ++y) {
        for (uint32_t x = 0; x < logo.width; ++x) {
            const uint8_t* l = logo.pixel(x, y);
            if (l[3] < 200) {
                continue;
            }
            const uint8_t* t = title.pixel(x, y);
            inkLight += (l[0] + l[1] + l[2]) / 765.0;
            underLight += (t[0] + t[1] + t[2]) / 765.0;
            ++inked;
        }
    }
    ASSERT_GT(inked, 1000u);
    EXPECT_LT(inkLight / double(inked), 0.25);
    EXPECT_GT(underLight / double(inked), 0.8);
}

TEST_F(Pictures, ArchiveHoldsTheSameFilesUnderTheSameNames) {
    ASSERT_TRUE(Vfs::mount(folder->path("data.zuo")));
    for (const PictureEntry& entry : pictureList()) {
        SCOPED_TRACE(entry.path);
        const std::string loose = glintTest::readFile(folder->path(entry.path));
        ASSERT_EQ(Vfs::fileSize(entry.path), int(loose.size()));
        std::FILE* f = Vfs::openFile(entry.path);
        ASSERT_NE(f, nullptr);
        std::string packed(loose.size(), '\0');
        EXPECT_EQ(std::fread(packed.data(), 1, packed.size(), f), packed.size());
        std::fclose(f);
        EXPECT_TRUE(packed == loose);
    }
    EXPECT_EQ(Vfs::fileSize("data/missing.png"), 0);
    // Beside them, as text, the titles the track names show.
    std::string titles;
    for (const SectionStyle& style : sectionStyles()) {
        titles += style.score.title + "\n";
    }
    EXPECT_EQ(glintTest::readFile(folder->path(TrackNamesFile)), titles);
    EXPECT_EQ(Vfs::fileSize(TrackNamesFile), int(titles.size()));
    Vfs::unmount();
}

TEST(PictureSet, DrawingIsDeterministic) {
    // Two drawings of the same picture give the same bytes.
    const PictureEntry& entry = pictureList()[2]; // the main background
    Canvas a(entry.width, entry.height, entry.alpha), b(entry.width, entry.height, entry.alpha);
    ASSERT_TRUE(drawPicture(entry, a));
    ASSERT_TRUE(drawPicture(entry, b));
    EXPECT_TRUE(a.pixels() == b.pixels());
    Canvas c(8, 8, true);
    EXPECT_FALSE(drawPicture({"data/unknown.png", 8, 8, true}, c));
}
