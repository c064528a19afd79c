// A private X server for one test: Xvfb with one screen (1024 x 768 x 24
// unless the test asks for another size) on a display number the server
// picks itself among the free ones, so tests run side by side without
// sharing a screen, a pointer or the keyboard focus. On request openbox runs
// on it as the window manager, with the test displays' configuration
// (scripts/openbox-rc.xml) and a home of its own (no user settings, no
// autostart). The server and the manager end with the object. Sizes are
// pixels. Not thread-safe.
#pragma once

#include "tests/e2e/child_process.h"
#include "tests/support/temp_folder.h"

#include <memory>
#include <string>

namespace glintE2e {

struct XvfbScreen {
    int width = 1024;
    int height = 768;
    bool windowManager = false;
};

class XvfbServer {
  public:
    // Starts the server (and the manager) and waits, up to a few seconds
    // each, until it accepts clients (and the manager has taken the
    // screen); check `ready()` afterwards.
    explicit XvfbServer(const XvfbScreen& screen = {});
    ~XvfbServer();

    bool ready() const { return !displayName.empty() && error.empty(); }
    // ":N", for the DISPLAY variable of the programs that use it.
    const std::string& display() const { return displayName; }
    // Why the server is not ready, for the test's message.
    const std::string& failure() const { return error; }

    // Starts the window manager now when the screen was asked without one;
    // check `ready()` afterwards.
    void startWindowManager();

  private:

    ChildProcess server;
    std::unique_ptr<glintTest::TempFolder> managerHome;
    ChildProcess manager;
    std::string displayName;
    std::string error;
};

} // namespace glintE2e
