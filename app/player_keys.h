// What the keys do while the player's window has the focus (Escape, a close
// request, is the window's own):
//   Space          play or pause (the play button)
//   Left, Right    previous or next track
//   media keys     play, pause, stop, previous and next track, as named
// Holding Space or a media play, pause or stop key acts once; held track
// keys step on with the key's repeats. Single-threaded: the window's thread.
#pragma once

namespace keltraWorks {
enum class WindowKey;
}

// The window's key handler: runs the player command the key stands for.
void runPlayerKey(keltraWorks::WindowKey key, bool repeat);
