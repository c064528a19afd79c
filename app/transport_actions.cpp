#include "app/transport_actions.h"

#include "app/player_screen.h"
#include "app/track_player.h"
#include "engine/gui/button.h"
#include "engine/gui/static.h"
#include "engine/platform/quit_request.h"

using keltraWorks::Button;
using keltraWorks::Object;

namespace {

void showPictures(Button* button, int normal, int pressed) {
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

} // namespace

void actionClose::execute(Object*, vector2, int) { keltraWorks::postQuitMessage(0); }

void actionPlay::execute(Object* sender, vector2, int) {
    auto* button = dynamic_cast<Button*>(sender);
    if (trackPlayer.isPlaying()) {
        showPictures(button, playerScreen.playNormalImage, playerScreen.playPressedImage);
        trackPlayer.pause();
    } else {
        showPictures(button, playerScreen.pauseNormalImage, playerScreen.pausePressedImage);
        trackPlayer.resume();
    }
}

void actionStop::execute(Object*, vector2, int) {
    trackPlayer.stop();
    showPictures(playerScreen.playButton, playerScreen.playNormalImage,
                 playerScreen.playPressedImage);
    showTrackName(0);
}

void actionPrev::execute(Object*, vector2, int) { showTrackName(trackPlayer.previousTrack()); }

void actionNext::execute(Object*, vector2, int) { showTrackName(trackPlayer.nextTrack()); }
