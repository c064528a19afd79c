// The program's pending quit: what the main loop delivers as its quit
// message. Posting one leaves it waiting until every event already queued
// has been handled; several posts before delivery make one quit (the latest
// exit code counts). The close button, Escape, the window's close box and
// the end titles all post with 0; the main window takes the request.
//
// Process-wide and single-threaded: post from the window's thread only
// (the end signals bypass this: end_signals.h).
#pragma once

namespace keltraWorks {

void postQuitMessage(int exitCode);
// True while a posted quit waits for delivery.
bool quitMessagePending();
// Takes the pending quit: writes its code and returns true, or returns false
// when none waits.
bool takeQuitMessage(int* exitCode);

} // namespace keltraWorks
