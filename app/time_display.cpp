#include "app/time_display.h"

#include "app/player_screen.h"
#include "app/track_player.h"
#include "app/transport_display.h"
#include "engine/gui/static.h"

using keltraWorks::Object;
using keltraWorks::Renderer;

namespace {

// Far beyond any music this player can hold; keeps the conversion to int
// defined whatever the library reports.
constexpr float LongestSeconds = 1.0e7f;

void showDigit(int slot, int digit, Renderer* renderer) {
    keltraWorks::Static* widget = playerScreen.timeDigits[slot];
    if (widget) {
        widget->setImage(renderer, playerScreen.digitImages[digit], true);
    }
}

} // namespace

void actionUpdateTime::execute(Object*, Renderer* renderer) {
    const int previous = int(trackPlayer.lastElapsed());
    const float e = trackPlayer.elapsedSeconds();
    if (!(e >= 0.0f) || e > LongestSeconds) {
        return; // no music: nothing to show or follow
    }
    const int whole = int(e);
    if (whole == previous) {
        return;
    }

    const int minutes = whole / 60;
    const int seconds = whole - 60 * minutes;
    const int m = minutes % 100;
    showDigit(0, m / 10, renderer);
    showDigit(1, m % 10, renderer);
    showDigit(2, seconds / 10, renderer);
    showDigit(3, seconds % 10, renderer);

    if (e >= TrackPlayer::EndOfMusicSeconds) {
        stopAndShowStopped();
    } else if (trackPlayer.advanceIfDue(e)) {
        showTrackName(trackPlayer.currentTrack());
    }
}
