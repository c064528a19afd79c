// Loads the GL driver on a worker thread while the setup dialog is up, so
// that the main window's GL set-up finds it loaded. Loading the driver (the
// GL vendor library, the DRI driver and, for software rendering, its code
// generator) takes tens of milliseconds; doing it while the user reads the
// dialog takes it off the path from OK to the first frame.
//
// The worker opens an X connection of its own and asks GLX for a visual,
// which makes the GL library pick and load the driver for that screen
// exactly as it will for the main window. The connection is kept until
// finish(), so the driver stays loaded until the main window's context
// holds it. Nothing is drawn or shown. Without a display, or when anything
// fails, it does nothing; the main window then loads the driver itself.
//
// start() and finish() are called from the main thread; start() must come
// before any other X11 call of the process (it turns on Xlib's locking,
// since two threads then talk to X). finish() may be called any number of
// times and waits for the worker.
#pragma once

namespace keltraWorks {

class GlDriverWarmUp {
  public:
    GlDriverWarmUp() = delete;

    static void start();
    static void finish();
    // Whether the last start() got as far as a GL visual (for tests).
    static bool warmed();
};

} // namespace keltraWorks
