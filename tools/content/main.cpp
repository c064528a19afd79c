// glint-content: makes the player's default content.
//
//   glint-content [--out DIR] [--short SECONDS] [--no-music] [--no-pictures]
//       writes DIR/data/... (the pictures), DIR/data.zuo (the same packed)
//       and DIR/glint.mp3; --short makes a quick recording of SECONDS with
//       every section start scaled alike
//   glint-content --dialog-header FILE   writes the setup dialog's picture
//   glint-content --icon FILE            writes the 256 x 256 desktop icon
//   glint-content --version              prints the content version
#include "tools/content/app_icon.h"
#include "tools/content/content_version.h"
#include "tools/content/content_writer.h"
#include "tools/content/dialog_picture.h"
#include "tools/content/section_style.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// Fontconfig, which cairo asks for the typeface, keeps a few allocations for
// the life of the process and never frees them. Sanitizer builds run this
// program at build time (for the dialog picture), so the leak checker is told
// to ignore those; without a leak checker this function is never called.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

void usage() {
    std::fprintf(stderr, "usage: glint-content [--out DIR] [--short SECONDS] [--no-music] "
                         "[--no-pictures]\n"
                         "       glint-content --dialog-header FILE\n"
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
    std::string dialogHeader;
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
        } else if (arg == "--dialog-header" && i + 1 < argc) {
            dialogHeader = argv[++i];
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
    if (!dialogHeader.empty()) {
        if (!writeDialogPictureHeader(dialogHeader, &error)) {
            std::fprintf(stderr, "glint: content: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
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
