#include "app/command_line.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const Usage = "usage: glint [--help | --version]";

const char* const Help = "An animated music player: one long recording in ten tracks.\n"
                         "\n"
                         "Run it in the folder that holds data.zuo (or the loose data folder) and\n"
                         "glint.mp3. A setup dialog asks for the display mode at every start.\n"
                         "\n"
                         "Options:\n"
                         "  --help     show this help and exit\n"
                         "  --version  show the version and exit\n"
                         "\n"
                         "Keys while the window has the focus:\n"
                         "  Space        play or pause\n"
                         "  Left, Right  previous or next track\n"
                         "  media keys   play, pause, stop, previous and next track\n"
                         "  Escape       close (the end titles play; a second close ends at once)\n"
                         "\n"
                         "The desktop's media controls (playerctl, media panels) reach it over\n"
                         "MPRIS on the session bus as org.mpris.MediaPlayer2.glint.\n"
                         "SIGTERM, SIGHUP and SIGINT end it at once.\n";

} // namespace

bool commandLineEndsProgram(int argc, const char* const* argv, int* exitCode) {
    if (argc <= 1) {
        return false;
    }
    const bool help = std::strcmp(argv[1], "--help") == 0;
    const bool version = std::strcmp(argv[1], "--version") == 0;
    if (argc == 2 && help) {
        std::printf("%s\n\n%s", Usage, Help);
        *exitCode = 0;
    } else if (argc == 2 && version) {
        std::printf("glint %s\n", GLINT_VERSION);
        *exitCode = 0;
    } else {
        // Name the first argument that is not understood where it stands.
        const char* unknown = help || version ? argv[2] : argv[1];
        std::fprintf(stderr, "glint: unknown argument \"%s\"; %s\n", unknown, Usage);
        *exitCode = 2;
    }
    // Help that could not be written (a full disk, a closed pipe) is a failure.
    if (*exitCode == 0 && std::fflush(stdout) != 0) {
        *exitCode = 1;
    }
    return true;
}
