// One run of the real player, driven from outside: a private Xvfb, a working
// folder the test fills before the start, the program started there with
// posix_spawn and an environment of the test's choosing, its stderr kept in a
// file beside (not inside) the working folder, and the steps a user takes:
// answer the setup dialog, wait for the player window, press Escape, click,
// take screenshots, all through the outside driver. The program and the X
// server are always ended with the object. Times are milliseconds unless
// named seconds. Not thread-safe.
#pragma once

#include "app/player_windows.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/screenshot.h"
#include "tests/e2e/xvfb_server.h"
#include "tests/support/temp_folder.h"
#include "tools/player_driver/desktop.h"

#include <chrono>
#include <string>
#include <vector>

namespace glintE2e {

using glintTest::readFile;
using glintTest::TempFolder;
using playerWindows::ErrorTitle;
using playerWindows::PlayerTitle;
using playerWindows::SetupTitle;

// A file or folder of the generated test content ("data.zuo", "glint.mp3",
// "data", "data/logo.png", ...).
std::string contentPath(const std::string& relative);

class PlayerRun {
  public:
    // The X server's screen: 1024 x 768 and no window manager unless asked.
    explicit PlayerRun(const XvfbScreen& screen = {});

    // Starts the window manager (openbox) on the run's display now, if the
    // screen was not asked with one; false when it cannot be started.
    bool startWindowManager();

    // Xvfb answers, the driver is connected to it and the folders exist;
    // otherwise `failure` says why.
    bool ready() const;
    std::string failure() const;

    // The program's working folder, to fill before `start`.
    const TempFolder& work() const { return workFolder; }
    // Copies the complete generated content (archive, loose pictures, music).
    bool copyAllContent() const;

    // Starts the program; `env` changes its environment (SDL's dummy audio
    // driver is set unless `env` names another).
    bool start(const std::vector<std::string>& env = {});
    // Waits for the setup dialog and presses Return (OK) or Escape (cancel).
    bool answerDialog(const std::string& keysym);
    // Waits until the player window is mapped and notes that moment as the
    // start of the opening sequence.
    bool waitForPlayer(int timeoutMs = 15000);
    // Seconds since the player window was first seen mapped.
    double secondsShown() const;
    // Sleeps until `secondsShown()` reaches `seconds` (at once when past).
    void waitUntilShown(double seconds) const;
    // Escape into the player window.
    bool pressEscape();
    // Escape, and a second Escape once the first has surely been taken: two
    // quit requests that reach the player before it has handled the first
    // count as one, so a quick double press would only start the closing
    // sequence.
    bool pressEscapeTwice();
    // In the player window: the pointer to pixel x y, a click on a control.
    bool movePointer(int x, int y);
    bool click(playerWindows::Control control);
    bool pressKey(const std::string& keysym);
    // The player window's place on the screen and size; all 0 when it is gone.
    Rect playerGeometry() const;
    bool screenshot(Screenshot* out) const;
    // True when the player window was unmapped or destroyed within the time.
    bool waitPlayerGone(int timeoutMs) const;
    // True when the program ended within the time, with its wait status.
    bool waitExit(int timeoutMs, int* status);
    bool running() { return program.running(); }
    pid_t pid() const { return program.pid(); }

    // The lines the program wrote on stderr so far.
    std::vector<std::string> stderrLines() const;
    std::string stderrText() const;
    std::string stdoutText() const;

    glintDriver::Desktop& desktop() { return driver; }
    unsigned long playerWindow() const { return player; }

  private:
    TempFolder scratch;
    XvfbServer server;
    glintDriver::Desktop driver;
    TempFolder workFolder;
    ChildProcess program;
    unsigned long player = 0;
    std::chrono::steady_clock::time_point shownAt;
};

} // namespace glintE2e
