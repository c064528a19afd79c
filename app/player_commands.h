// The player's commands for the inputs other than its buttons: the keyboard
// and the desktop's media controls. Each runs the action of the button it
// stands for, on that button, so it acts exactly as a click would, pictures
// included:
//   Play       the play button, unless music is playing already
//   Pause      the play button, only while music is playing
//   PlayPause  the play button
//   Stop, Next, Previous   the stop, next and previous buttons
//   Close      the close button: a close request (the first starts the
//              closing sequence, a later one ends the program)
// Works before the screen is built too (no pictures change then).
// Single-threaded: the window's thread.
#pragma once

enum class PlayerCommand { Play, Pause, PlayPause, Stop, Next, Previous, Close };

void runPlayerCommand(PlayerCommand command);
