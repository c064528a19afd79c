#include "app/transport_display.h"

#include "app/player_screen.h"
#include "app/track_player.h"
#include "engine/gui/button.h"
#include "engine/gui/static.h"

void showButtonPictures(keltraWorks::Button* button, int normal, int pressed) {
    if (button) {
        button->setImage(playerScreen.renderer, normal, true);
        button->setPressedImage(playerScreen.renderer, pressed, true);
    }
}

void showTrackName(int track) {
    if (playerScreen.trackName && track >= 0 && track < TrackPlayer::TrackCount) {
        playerScreen.trackName->setImage(playerScreen.renderer, playerScreen.trackImages[track],
                                         true);
    }
}

void stopAndShowStopped() {
    trackPlayer.stop();
    showButtonPictures(playerScreen.playButton, playerScreen.playNormalImage,
                       playerScreen.playPressedImage);
    showTrackName(0);
}
