// glint-content: makes the player's default content.
//
//   glint-content --dialog-header FILE   writes the setup dialog's picture as a header
//   glint-content --version              prints the content version
#include "tools/content/content_version.h"
#include "tools/content/dialog_picture.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void usage() {
    std::fprintf(stderr, "usage: glint-content --dialog-header FILE | --version\n");
}

} // namespace

int main(int argc, char** argv) {
    using namespace keltraWorks;
    std::string dialogHeader;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version") {
            std::printf("%s\n", ContentVersion);
            return 0;
        } else if (arg == "--dialog-header" && i + 1 < argc) {
            dialogHeader = argv[++i];
        } else {
            usage();
            return 2;
        }
    }
    if (!dialogHeader.empty()) {
        std::string error;
        if (!writeDialogPictureHeader(dialogHeader, &error)) {
            std::fprintf(stderr, "glint: content: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    usage();
    return 2;
}
