// glint-content: makes the player's default content.
//
//   glint-content [--out DIR] [--short SECONDS] [--no-music] [--no-pictures]
//       writes DIR/data/... (the pictures), DIR/data.zuo (the same packed)
//       and DIR/glint.mp3; --short makes a quick recording of SECONDS with
//       every section start scaled alike
//   glint-content --icon FILE            writes the 256 x 256 desktop icon
//   glint-content --version              prints the content version
#include "tools/content/app_icon.h"
#include "tools/content/content_version.h"
#include "tools/content/content_writer.h"
#include "tools/content/section_style.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void usage() {
    std::fprintf(stderr, "usage: glint-content [--out DIR] [--short SECONDS] [--no-music] "
                         "[--no-pictures]\n"
                         "       glint-content --icon FILE\n"
                         "       glint-content --version\n");
}

bool parseSeconds(const char* text, double* seconds) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(v >= 1) || v > keltraWorks::MusicSeconds) {
        return false;
    }
    *seconds = v;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace keltraWorks;
    std::string icon;
    std::string out = "content";
    double seconds = MusicSeconds;
    bool music = true;
    bool pictures = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version") {
            std::printf("%s\n", ContentVersion);
            return 0;
        } else if (arg == "--icon" && i + 1 < argc) {
            icon = argv[++i];
        } else if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "--short" && i + 1 < argc) {
            if (!parseSeconds(argv[++i], &seconds)) {
                std::fprintf(stderr, "glint: content: --short takes 1 to %.0f seconds\n",
                             MusicSeconds);
                return 2;
            }
        } else if (arg == "--no-music") {
            music = false;
        } else if (arg == "--no-pictures") {
            pictures = false;
        } else {
            usage();
            return 2;
        }
    }
    std::string error;
    if (!icon.empty()) {
        if (!writeAppIcon(icon, &error)) {
            std::fprintf(stderr, "glint: content: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }

    ContentOptions options;
    options.folder = out;
    options.musicSeconds = seconds;
    options.pictures = pictures;
    options.music = music;
    if (!writeContent(options, &error)) {
        std::fprintf(stderr, "glint: content: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
