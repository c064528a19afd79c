#include "app/startup.h"

#include "app/player_windows.h"

using playerWindows::ErrorTitle;

const char* const AudioErrorText = "Cannot initialize sound system!";

namespace {

// Everything that the running player holds, released in reverse order of
// creation. The steps tolerate parts that were never made.
void shutDown(StartupSteps& steps) {
    steps.unmountArchive();
    steps.closeMusic();
    steps.freeAudio();
    steps.releaseRenderer();
    steps.destroyWindow();
}

} // namespace

int runGlint(StartupSteps& steps) {
    bool fullscreen = false;
    switch (steps.runSetup(&fullscreen)) {
    case StartupSteps::SetupResult::Ok:
        break;
    case StartupSteps::SetupResult::Cancelled:
        return 0;
    case StartupSteps::SetupResult::NoDisplay:
        return 1;
    }

    if (!steps.createWindow(fullscreen)) {
        steps.reportError(ErrorTitle, "Cannot create the main window.");
        steps.destroyWindow();
        return 1;
    }
    // Never draw through a missing renderer: without a GL context the
    // program ends instead of running a loop that cannot show anything.
    if (!steps.createRenderer()) {
        steps.reportError(ErrorTitle, "Cannot create an OpenGL context for the main window.");
        steps.releaseRenderer();
        steps.destroyWindow();
        return 1;
    }
    steps.setTitle(playerWindows::PlayerTitle);

    if (!steps.initAudio()) {
        steps.reportError(ErrorTitle, AudioErrorText);
        steps.releaseRenderer();
        steps.destroyWindow();
        return -1;
    }

    // Neither the archive nor the music is required: pictures then come from
    // loose files and the player runs silent.
    steps.mountArchive();
    steps.openMusic();

    if (!steps.buildScreen()) {
        shutDown(steps);
        return 1;
    }
    // The display switches (if at all) when the window shows and then gets
    // its time to settle; only then do the opening and the music begin, so
    // the first frame anyone sees is the opening's first.
    steps.showWindow();
    steps.settleDisplay();
    steps.startOpening();
    const int exitCode = steps.runLoop();
    shutDown(steps);
    return exitCode;
}
