#include "tools/content/picture_set.h"

#include "tools/content/backgrounds.h"
#include "tools/content/captions.h"
#include "tools/content/controls.h"
#include "tools/content/png_writer.h"

#include <filesystem>
#include <system_error>

namespace keltraWorks {

namespace {

const char* const ButtonNames[] = {"play", "pause", "stop", "prev", "next"};

std::vector<PictureEntry> makeList() {
    std::vector<PictureEntry> entries = {
        {"data/background_title.png", 1024, 768, false},
        {"data/logo.png", 1024, 768, true},
        {"data/background_main.png", 1024, 768, false},
        {"data/background_endtitle.png", 1024, 768, false},
        {"data/credits.png", CreditsWidth, CreditsHeight, true},
        {"data/gui/close.png", 64, 64, true},
        {"data/gui/track_name.png", TrackCaptionWidth, CaptionHeight, true},
        {"data/gui/time.png", TimeCaptionWidth, CaptionHeight, true},
    };
    for (const char* state : {"off", "on"}) {
        for (const char* name : {"pause", "stop", "prev", "next", "play"}) {
            entries.push_back(
                {std::string("data/gui/") + name + "_" + state + ".png", 64, 64, true});
        }
    }
    for (int d = 0; d <= 9; ++d) {
        entries.push_back(
            {"data/font/" + std::to_string(d) + ".png", DigitWidth, CaptionHeight, true});
    }
    entries.push_back({"data/font/dots.png", ColonWidth, CaptionHeight, true});
    for (int t = 1; t <= 10; ++t) {
        entries.push_back(
            {"data/gui/track" + std::to_string(t) + ".png", TrackNameWidth, CaptionHeight, true});
    }
    return entries;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

const std::vector<PictureEntry>& pictureList() {
    static const std::vector<PictureEntry> entries = makeList();
    return entries;
}

bool drawPicture(const PictureEntry& entry, Canvas& canvas) {
    cairo_t* cr = canvas.context();
    const std::string& p = entry.path;
    if (p == "data/background_title.png") {
        drawTitleBackground(cr);
    } else if (p == "data/logo.png") {
        drawLogo(cr);
    } else if (p == "data/background_main.png") {
        drawMainBackground(cr);
    } else if (p == "data/background_endtitle.png") {
        drawEndTitleBackground(cr);
    } else if (p == "data/credits.png") {
        drawCredits(cr);
    } else if (p == "data/gui/close.png") {
        drawCloseButton(cr);
    } else if (p == "data/gui/track_name.png") {
        drawCaption(cr, "TRACK", TrackCaptionWidth);
    } else if (p == "data/gui/time.png") {
        drawCaption(cr, "TIME", TimeCaptionWidth);
    } else if (p == "data/font/dots.png") {
        drawColon(cr);
    } else if (p.rfind("data/font/", 0) == 0 && p.size() == 15) {
        drawDigit(cr, p[10] - '0');
    } else if (p.rfind("data/gui/track", 0) == 0 && endsWith(p, ".png")) {
        const int number = std::stoi(p.substr(14));
        drawTrackName(cr, number);
    } else {
        for (int b = 0; b < 5; ++b) {
            const std::string stem = std::string("data/gui/") + ButtonNames[b];
            if (p == stem + "_off.png" || p == stem + "_on.png") {
                drawTransportButton(cr, TransportGlyph(b), endsWith(p, "_on.png"));
                return canvas.ok();
            }
        }
        return false;
    }
    return canvas.ok();
}

bool writePictures(const std::string& folder, std::vector<std::string>* written,
                   std::string* error) {
    for (const PictureEntry& entry : pictureList()) {
        const std::filesystem::path target = std::filesystem::path(folder) / entry.path;
        std::error_code ec;
        std::filesystem::create_directories(target.parent_path(), ec);
        if (ec) {
            *error = "cannot create \"" + target.parent_path().string() + "\": " + ec.message();
            return false;
        }
        Canvas canvas(entry.width, entry.height, entry.alpha);
        if (!drawPicture(entry, canvas)) {
            *error = "cannot draw \"" + entry.path + "\"";
            return false;
        }
        const auto png = encodePng(entry.width, entry.height, entry.alpha, canvas.pixels());
        if (png.empty() || !writeFileAtomically(target.string(), png, error)) {
            if (png.empty()) {
                *error = "cannot encode \"" + entry.path + "\"";
            }
            return false;
        }
        if (written) {
            written->push_back(entry.path);
        }
    }
    return true;
}

} // namespace keltraWorks
