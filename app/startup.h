// The program from its entry to its exit value: the setup dialog, the window,
// the renderer, the audio system, the archive, the music, the player screen,
// the main loop, and the teardown in a fixed order.
//
// runGlint holds the order and the exit values; StartupSteps performs each
// step, so the order is tested with a recording implementation and the
// program runs with SystemStartup (system_startup.h).
//
// Exit values: 0 after a normal end or a cancelled dialog; -1 when the audio
// system cannot start (after a message box); 1 when there is no display, or
// no window, GL context or player screen can be had. Every path releases
// what it made, in reverse order. Single-threaded: the main thread.
#pragma once

class StartupSteps {
  public:
    enum class SetupResult { Ok, Cancelled, NoDisplay };

    virtual ~StartupSteps() = default;

    // Shows the setup dialog and, for full screen, switches the display
    // mode. *fullscreen tells which style the window takes.
    virtual SetupResult runSetup(bool* fullscreen) = 0;
    // Creates the hidden main window, its tick running.
    virtual bool createWindow(bool fullscreen) = 0;
    // Creates the renderer (16 x 12 units) and attaches it to the window;
    // false when no usable GL context could be had.
    virtual bool createRenderer() = 0;
    virtual void setTitle(const char* title) = 0;
    virtual bool initAudio() = 0;
    // A message box (when a display exists) and the same line on stderr.
    virtual void reportError(const char* caption, const char* text) = 0;
    virtual void mountArchive() = 0;
    virtual void openMusic() = 0;
    virtual bool buildScreen() = 0;
    // Shows the window; a display mode chosen for full screen is switched
    // to here.
    virtual void showWindow() = 0;
    // Waits for the display to settle after a switch (at once without one).
    virtual void settleDisplay() = 0;
    // Starts the opening sequence's clock and the music together.
    virtual void startOpening() = 0;
    // The main loop; returns the code of the quit that ended it.
    virtual int runLoop() = 0;

    virtual void unmountArchive() = 0;
    virtual void closeMusic() = 0;
    virtual void freeAudio() = 0;
    // Releases the GL context and deletes the renderer, if there is one.
    virtual void releaseRenderer() = 0;
    // Destroys and deletes the window, if there is one.
    virtual void destroyWindow() = 0;
};

// The one message the user may see at start-up (the window titles are in
// app/player_windows.h).
extern const char* const AudioErrorText;

int runGlint(StartupSteps& steps);
