// The signals that end the program: SIGTERM (what a desktop logout sends),
// SIGHUP (the terminal went away) and SIGINT (Ctrl+C). Each ends it at once
// and cleanly, as a second close request does: the main loop ends with exit
// value 0 and start-up releases everything in its usual order; while the
// setup dialog is up, the dialog is cancelled, which also ends with 0.
//
// The handler only sets a flag and writes a byte into a pipe, so whichever
// thread the signal lands on, endSignalled() turns true and endSignalFd()
// readable, and a wait on that descriptor wakes. Everything else in the
// program runs with these signals handled this way; SDL leaves handlers it
// finds installed alone. Call catchEndSignals() once, early in main.
#pragma once

namespace keltraWorks {

// Installs the handlers; false (with a line on stderr) when the system
// refuses, and the signals then keep their default action.
bool catchEndSignals();
// True once one of the signals has come. Any thread.
bool endSignalled();
// Readable once one of the signals has come (it is never drained); -1
// before catchEndSignals().
int endSignalFd();

} // namespace keltraWorks
