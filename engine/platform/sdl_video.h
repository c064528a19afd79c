// Starting and stopping SDL's video subsystem on a display someone can see.
// SDL quietly falls back to its offscreen driver when it cannot reach the
// desktop, which here counts as failure. A busy X server can also refuse a
// connection for a moment (the connect is answered with EAGAIN), so a failed
// start is retried a few times, a short and growing pause apart, before
// giving up. Reference-counted like SDL's own subsystems: every successful
// startSdlVideo needs one stopSdlVideo. Single-threaded: the main thread only.
#pragma once

namespace keltraWorks {

// True when the video subsystem runs on a real display; false (with SDL's
// subsystem left stopped) when no display could be reached.
bool startSdlVideo();
void stopSdlVideo();

} // namespace keltraWorks
