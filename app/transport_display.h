// What the main screen shows of the music's state, in one place for the
// transport buttons and the time display: a button's pictures, the current
// track's name, and the stopped state.
//
// Pictures are switched through playerScreen (its renderer fits each widget
// to its new picture); a widget that is missing is skipped. Texture indices
// as in player_screen.h. Window thread only.
#pragma once

namespace keltraWorks {
class Button;
}

// Shows `normal` on the button, and `pressed` while it is held down.
void showButtonPictures(keltraWorks::Button* button, int normal, int pressed);
// Shows the name picture of track `track`; an index out of range changes
// nothing.
void showTrackName(int track);
// Stops the music at the beginning of the file (TrackPlayer::stop), and shows
// play on the play button and the first track's name: what the stop button
// does, and what happens at the natural end of the music.
void stopAndShowStopped();
