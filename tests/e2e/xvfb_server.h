// A private X server for one test: Xvfb with one 24-bit screen (1024 x 768
// unless asked otherwise) on a display number the server picks itself among
// the free ones, so tests run
// side by side without sharing a screen, a pointer or the keyboard focus.
// The server ends with the object. Not thread-safe.
#pragma once

#include "tests/e2e/child_process.h"

#include <string>

namespace glintE2e {

class XvfbServer {
  public:
    // Starts the server and waits (up to a few seconds) until it accepts
    // clients; check `ready()` afterwards.
    explicit XvfbServer(int width = 1024, int height = 768);
    ~XvfbServer();

    bool ready() const { return !displayName.empty(); }
    // ":N", for the DISPLAY variable of the programs that use it.
    const std::string& display() const { return displayName; }
    // Why the server is not ready, for the test's message.
    const std::string& failure() const { return error; }

  private:
    ChildProcess server;
    std::string displayName;
    std::string error;
};

} // namespace glintE2e
