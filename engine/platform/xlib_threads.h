// Makes Xlib safe for connections used from more than one thread. The
// process opens several X connections at start-up (the display modes, the
// setup dialog's, the GL driver warm-up on a worker, the main window's), and
// Xlib requires XInitThreads before the first of them, so main calls this
// first. Call it once, on the main thread, before any other thread starts;
// false when Xlib cannot (a line goes to stderr; start-up carries on).
#pragma once

namespace keltraWorks {

bool initXlibThreads();

} // namespace keltraWorks
