// The real player on bad input: damaged, hostile or missing archives,
// pictures and music, and a machine without fonts. Each case prepares its
// own working folder, answers the dialog, lets the player run a few seconds
// and ends it with Escape twice. In every case the program must neither
// crash nor hang, must end with status 0, and must say on stderr what went
// wrong where something did, naming the file, without flooding.
#include "tests/e2e/player_run.h"
#include "tests/e2e/png_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/wait.h>

namespace glintE2e {
namespace {

// ---- Archives, written byte by byte so that any field can lie. ----

struct Record {
    std::string name;
    int payload = -1;              // index into the payloads, or -1 for none
    std::optional<int32_t> size;   // overrides the payload's true size
    std::optional<int32_t> offset; // overrides the payload's true offset
};

void putLe32(std::string* out, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

std::string buildArchive(const std::vector<Record>& records,
                         const std::vector<std::string>& payloads, bool endTag = true) {
    size_t directory = 4 + (endTag ? 4 : 0);
    for (const Record& r : records) {
        directory += 4 + r.name.size() + 1 + 8;
    }
    std::vector<size_t> offsets;
    size_t at = directory;
    for (const std::string& p : payloads) {
        offsets.push_back(at);
        at += p.size();
    }
    std::string out("VFS\0", 4);
    for (const Record& r : records) {
        out.append("DAT\0", 4);
        out.append(r.name);
        out.push_back('\0');
        const bool has = r.payload >= 0;
        const auto index = static_cast<size_t>(has ? r.payload : 0);
        putLe32(&out, r.size.value_or(has ? static_cast<int32_t>(payloads[index].size()) : 0));
        putLe32(&out, r.offset.value_or(has ? static_cast<int32_t>(offsets[index]) : 0));
    }
    if (endTag) {
        out.append("END\0", 4);
    }
    for (const std::string& p : payloads) {
        out.append(p);
    }
    return out;
}

// The generated pictures by archive name ("data/logo.png", ...), sorted.
std::vector<std::string> pictureNames() {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    const fs::path base = contentPath("");
    for (const auto& entry : fs::recursive_directory_iterator(contentPath("data"))) {
        if (entry.is_regular_file()) {
            names.push_back(fs::relative(entry.path(), base).string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every picture as an intact record, `changed` applied to the records of
// the names it lists, and the result packed (with or without "END").
std::string archiveOfAllPictures(
    const std::function<void(std::vector<Record>&, std::vector<std::string>&)>& change,
    bool endTag = true) {
    std::vector<Record> records;
    std::vector<std::string> payloads;
    for (const std::string& name : pictureNames()) {
        records.push_back({name, static_cast<int>(payloads.size()), {}, {}});
        payloads.push_back(readFile(contentPath(name)));
    }
    change(records, payloads);
    return buildArchive(records, payloads, endTag);
}

Record& recordOf(std::vector<Record>& records, const std::string& name) {
    return *std::find_if(records.begin(), records.end(),
                         [&](const Record& r) { return r.name == name; });
}

// The records of an intact archive's directory, sizes and offsets filled in.
std::vector<Record> directoryOf(const std::string& archive) {
    std::vector<Record> records;
    auto le32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = (v << 8) | static_cast<unsigned char>(archive[at + static_cast<size_t>(i)]);
        }
        return static_cast<int32_t>(v);
    };
    size_t at = 4;
    while (at + 4 <= archive.size() && archive.compare(at, 4, std::string("DAT\0", 4)) == 0) {
        const size_t end = archive.find('\0', at + 4);
        if (end == std::string::npos || end + 9 > archive.size()) {
            break;
        }
        Record r;
        r.name = archive.substr(at + 4, end - at - 4);
        r.size = le32(end + 1);
        r.offset = le32(end + 5);
        records.push_back(r);
        at = end + 9;
    }
    return records;
}

// ---- What each case expects. ----

enum class Logo { Shown, Absent, Unchecked };

struct Outcome {
    std::vector<std::string> warnings; // the lines starting "glint:"
    std::string stderrText;
};

using Expectation = std::function<::testing::AssertionResult(const Outcome&)>;

bool mentions(const Outcome& o, const std::string& text) {
    return std::any_of(o.warnings.begin(), o.warnings.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

// One line per picture at most, and a few more for anything else.
constexpr size_t MaxWarnings = 42;

Expectation noWarnings() {
    return [](const Outcome& o) {
        if (o.warnings.empty()) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "unexpected warnings:\n" << o.stderrText;
    };
}

// Exactly one warning, and it names `subject`.
Expectation oneWarningNaming(const std::string& subject) {
    return [subject](const Outcome& o) {
        if (o.warnings.size() == 1 && mentions(o, subject)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "want one line naming " << subject << ", got:\n"
                                             << o.stderrText;
    };
}

// Every name of `named` is in some warning, none of `unnamed` is, and the
// warnings stay few.
Expectation warningsNaming(std::vector<std::string> named, std::vector<std::string> unnamed = {}) {
    return [named, unnamed](const Outcome& o) {
        for (const std::string& n : named) {
            if (!mentions(o, "\"" + n + "\"")) {
                return ::testing::AssertionFailure() << "no line names " << n << ":\n"
                                                     << o.stderrText;
            }
        }
        for (const std::string& n : unnamed) {
            if (mentions(o, "\"" + n + "\"")) {
                return ::testing::AssertionFailure() << n << " loads, yet a line names it:\n"
                                                     << o.stderrText;
            }
        }
        if ((!named.empty() && o.warnings.empty()) || o.warnings.size() > MaxWarnings) {
            return ::testing::AssertionFailure() << o.warnings.size() << " warnings:\n"
                                                 << o.stderrText;
        }
        return ::testing::AssertionSuccess();
    };
}

// For input that may or may not be usable: every warning names one of
// `suspects`, and there are few.
Expectation warningsOnlyAbout(std::vector<std::string> suspects) {
    return [suspects](const Outcome& o) {
        for (const std::string& line : o.warnings) {
            const bool named = std::any_of(suspects.begin(), suspects.end(), [&](const auto& n) {
                return line.find("\"" + n + "\"") != std::string::npos;
            });
            // The decoder's reason comes on a line of its own before the
            // line that names the picture.
            if (!named && line.find("refusing PNG data") == std::string::npos) {
                return ::testing::AssertionFailure() << "a line about something else: " << line;
            }
        }
        if (o.warnings.size() > MaxWarnings) {
            return ::testing::AssertionFailure() << o.warnings.size() << " warnings";
        }
        return ::testing::AssertionSuccess();
    };
}

// The archive cut after `share` of its bytes: the entries that lie wholly
// before the cut load, every other one is named.
Expectation cutArchive(double share) {
    return [share](const Outcome& o) {
        const std::string archive = readFile(contentPath("data.zuo"));
        const auto cut = static_cast<int64_t>(static_cast<double>(archive.size()) * share);
        std::vector<std::string> whole, past;
        for (const Record& r : directoryOf(archive)) {
            const bool inside = int64_t{*r.offset} + int64_t{*r.size} <= cut;
            (inside ? whole : past).push_back(r.name);
        }
        if (whole.empty() || past.empty()) {
            return ::testing::AssertionFailure() << "the cut leaves no entry on one side";
        }
        return warningsNaming(past, whole)(o);
    };
}

struct BadInput {
    const char* name;
    std::function<bool(const PlayerRun&)> prepare;
    Logo logo;
    Expectation warnings;
};

// ---- The working folders. ----

bool withMusic(const PlayerRun& run) {
    return run.work().copyIn(contentPath("glint.mp3"), "glint.mp3");
}

bool withLoosePictures(const PlayerRun& run) {
    return run.work().copyIn(contentPath("data"), "data");
}

bool withArchive(const PlayerRun& run, const std::string& bytes) {
    return withMusic(run) && withLoosePictures(run) && run.work().write("data.zuo", bytes);
}

std::string firstPart(const std::string& bytes, double share) {
    return bytes.substr(0, static_cast<size_t>(static_cast<double>(bytes.size()) * share));
}

const std::string LogoPicture = "data/logo.png";
const std::string TitlePicture = "data/background_title.png";
const std::string MainPicture = "data/background_main.png";
const std::string EndTitlePicture = "data/background_endtitle.png";
const std::string CreditsPicture = "data/credits.png";

std::vector<BadInput> cases() {
    return {
        {"ArchiveMissingLoosePicturesUsed",
         [](const PlayerRun& r) { return withMusic(r) && withLoosePictures(r); }, Logo::Shown,
         noWarnings()},
        {"PicturesFoundNowhere", withMusic, Logo::Absent, oneWarningNaming(TitlePicture)},
        // A mounted archive is the only source: the loose files are not used.
        {"ArchiveEmpty", [](const PlayerRun& r) { return withArchive(r, ""); }, Logo::Absent,
         oneWarningNaming(TitlePicture)},
        {"ArchiveGarbage", [](const PlayerRun& r) { return withArchive(r, garbageBytes(8192, 7)); },
         Logo::Absent, oneWarningNaming(TitlePicture)},
        {"ArchiveCutInsideItsDirectory",
         [](const PlayerRun& r) {
             return withArchive(r, readFile(contentPath("data.zuo")).substr(0, 300));
         },
         Logo::Absent, warningsNaming({LogoPicture})},
        {"ArchiveCutInsideItsData",
         [](const PlayerRun& r) {
             return withArchive(r, firstPart(readFile(contentPath("data.zuo")), 0.5));
         },
         Logo::Unchecked, cutArchive(0.5)},
        // Sizes and offsets that lie; two names recorded twice, the later
        // record winning (once a broken one, once a good one).
        {"ArchiveHostileEntries",
         [](const PlayerRun& r) {
             return withArchive(
                 r, archiveOfAllPictures([](std::vector<Record>& records,
                                            std::vector<std::string>& payloads) {
                     recordOf(records, MainPicture).size = -1;
                     recordOf(records, TitlePicture).offset = -4096;
                     recordOf(records, EndTitlePicture).offset = 0x7FFF0000;
                     recordOf(records, CreditsPicture).size = 0x7FFFFFFF;
                     payloads.push_back(garbageBytes(500, 3));
                     records.push_back({"data/gui/track1.png", int(payloads.size()) - 1, {}, {}});
                     Record& second = recordOf(records, "data/gui/track2.png");
                     records.insert(records.begin(), {second.name, 0, {}, {}});
                 }));
         },
         Logo::Shown,
         warningsNaming(
             {MainPicture, TitlePicture, EndTitlePicture, CreditsPicture, "data/gui/track1.png"},
             {LogoPicture, "data/gui/track2.png"})},
        {"ArchiveNameOf300Bytes",
         [](const PlayerRun& r) {
             return withArchive(
                 r,
                 archiveOfAllPictures([](std::vector<Record>& records, std::vector<std::string>&) {
                     // After every background, before the controls.
                     const auto at =
                         std::find_if(records.begin(), records.end(), [](const Record& x) {
                             return x.name.rfind("data/font/", 0) == 0;
                         });
                     records.insert(at, {"data/" + std::string(295, 'n'), 0, {}, {}});
                 }));
         },
         Logo::Unchecked, warningsNaming({}, {TitlePicture, MainPicture, EndTitlePicture})},
        {"ArchiveWithoutEndTag",
         [](const PlayerRun& r) {
             return withArchive(
                 r, archiveOfAllPictures([](std::vector<Record>&, std::vector<std::string>&) {},
                                         false));
         },
         // The directory is read up to the first thing that is no record:
         // every record is in, so every picture loads.
         Logo::Shown, noWarnings()},
        {"PicturesTruncatedEmptyAndGarbage",
         [](const PlayerRun& r) {
             return withMusic(r) && withLoosePictures(r) &&
                    r.work().write(LogoPicture,
                                   firstPart(readFile(contentPath(LogoPicture)), 0.5)) &&
                    r.work().write(TitlePicture, garbageBytes(20000, 11)) &&
                    r.work().write("data/gui/close.png", "");
         },
         Logo::Absent,
         warningsNaming({LogoPicture, TitlePicture, "data/gui/close.png"}, {MainPicture})},
        // Formats the player's own pictures never use; each may be shown or
        // refused, but must not bring the program down.
        {"PicturesInUnusualFormats",
         [](const PlayerRun& r) {
             return withMusic(r) && withLoosePictures(r) &&
                    r.work().write(LogoPicture, makePng(300, 200, PngKind::GreyAlpha8)) &&
                    r.work().write(TitlePicture, makePng(512, 384, PngKind::Rgba16)) &&
                    r.work().write(MainPicture, makePng(256, 192, PngKind::Palette8)) &&
                    r.work().write(EndTitlePicture, makePng(200, 100, PngKind::Grey8)) &&
                    r.work().write(CreditsPicture, makePng(64, 256, PngKind::Rgb16));
         },
         Logo::Unchecked,
         warningsOnlyAbout(
             {LogoPicture, TitlePicture, MainPicture, EndTitlePicture, CreditsPicture})},
        {"MusicMissing", withLoosePictures, Logo::Shown, oneWarningNaming("glint.mp3")},
        {"MusicEmpty",
         [](const PlayerRun& r) { return withLoosePictures(r) && r.work().write("glint.mp3", ""); },
         Logo::Shown, oneWarningNaming("glint.mp3")},
        // A cut recording is still MP3: it plays as far as it goes.
        {"MusicTruncated",
         [](const PlayerRun& r) {
             return withLoosePictures(r) &&
                    r.work().write("glint.mp3",
                                   firstPart(readFile(contentPath("glint.mp3")), 0.37));
         },
         Logo::Shown, noWarnings()},
        {"MusicNotMp3",
         [](const PlayerRun& r) {
             return withLoosePictures(r) &&
                    r.work().write("glint.mp3", readFile(contentPath(TitlePicture)));
         },
         Logo::Shown, oneWarningNaming("glint.mp3")},
    };
}

void PrintTo(const BadInput& c, std::ostream* out) {
    *out << c.name;
}

class BadInputRun : public ::testing::TestWithParam<BadInput> {
  protected:
    PlayerRun run;
};

const Rect TopBand{0, 0, 1024, 200};
const Rect LogoArea{330, 240, 700, 480};

// A frame has been drawn (the top of the screen is the white root) and the
// logo is (or is not) on it.
bool drawn(const Screenshot& s) {
    return s.shareNear(TopBand, Rgb{255, 255, 255}, 20) > 0.98;
}
bool logoInk(const Screenshot& s) {
    return s.shareDarkerThan(LogoArea, 200) > 0.03;
}

TEST_P(BadInputRun, NeitherCrashesNorHangsAndSaysWhatIsWrong) {
    const BadInput& c = GetParam();
    ASSERT_TRUE(run.ready()) << run.failure();
    ASSERT_TRUE(c.prepare(run));
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(run.answerDialog("Return")) << run.stderrText();
    ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();

    if (c.logo != Logo::Unchecked) {
        // The logo fades in over the first second and stays until 10 s.
        Screenshot s;
        run.waitUntilShown(0.6);
        do {
            ASSERT_TRUE(run.screenshot(&s));
        } while (!(drawn(s) && logoInk(s) == (c.logo == Logo::Shown)) && run.secondsShown() < 4);
        EXPECT_TRUE(drawn(s)) << "no frame of the player drawn";
        EXPECT_EQ(logoInk(s), c.logo == Logo::Shown);
    }
    run.waitUntilShown(2.5);
    ASSERT_TRUE(run.running()) << run.stderrText();

    ASSERT_TRUE(run.pressEscapeTwice());
    int status = 0;
    ASSERT_TRUE(run.waitExit(5000, &status)) << "still running 5 s after two Escapes";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << describeStatus(status) << "\n"
                                                               << run.stderrText();

    Outcome outcome;
    outcome.stderrText = run.stderrText();
    for (const std::string& line : run.stderrLines()) {
        if (line.rfind("glint:", 0) == 0) {
            outcome.warnings.push_back(line);
        }
    }
    EXPECT_TRUE(c.warnings(outcome));
}

// Fontconfig with no font folder at all: the setup dialog cannot be drawn,
// so the program ends at once, saying why, with the status of a start that
// cannot show anything; no window is left behind.
TEST(BadInputWithoutFonts, EndsWithOneAndSaysNoFontsWereFound) {
    PlayerRun run;
    ASSERT_TRUE(run.ready()) << run.failure();
    ASSERT_TRUE(withMusic(run) && withLoosePictures(run));
    ASSERT_TRUE(
        run.work().write("fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n"));
    ASSERT_TRUE(run.start({"FONTCONFIG_FILE=" + run.work().path("fonts.conf")}));
    int status = 0;
    ASSERT_TRUE(run.waitExit(15000, &status)) << "still running without fonts";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << describeStatus(status);
    EXPECT_TRUE(run.desktop().windows().empty());
    EXPECT_NE(run.stderrText().find("font"), std::string::npos) << run.stderrText();
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInputRun, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace glintE2e
