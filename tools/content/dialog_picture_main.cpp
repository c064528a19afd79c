// glint-dialog-picture: draws the setup dialog's picture as a C++ header.
//
//   glint-dialog-picture FILE
//
// Runs at build time for the platform library, so it needs only cairo: none
// of the content generator's music or packing.
#include "tools/content/dialog_picture.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glint-dialog-picture FILE\n");
        return 2;
    }
    std::string error;
    if (!keltraWorks::writeDialogPictureHeader(argv[1], &error)) {
        std::fprintf(stderr, "glint: dialog picture: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
