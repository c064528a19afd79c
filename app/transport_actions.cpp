#include "app/transport_actions.h"

#include "app/player_screen.h"
#include "app/track_player.h"
#include "app/transport_display.h"
#include "engine/gui/button.h"
#include "engine/platform/quit_request.h"

using keltraWorks::Button;
using keltraWorks::Object;

void actionClose::execute(Object*, vector2, int) {
    keltraWorks::postQuitMessage(0);
}

void actionPlay::execute(Object* sender, vector2, int) {
    auto* button = dynamic_cast<Button*>(sender);
    if (trackPlayer.isPlaying()) {
        showButtonPictures(button, playerScreen.playNormalImage, playerScreen.playPressedImage);
        trackPlayer.pause();
    } else {
        showButtonPictures(button, playerScreen.pauseNormalImage, playerScreen.pausePressedImage);
        trackPlayer.resume();
    }
}

void actionStop::execute(Object*, vector2, int) {
    stopAndShowStopped();
}

void actionPrev::execute(Object*, vector2, int) {
    showTrackName(trackPlayer.previousTrack());
}

void actionNext::execute(Object*, vector2, int) {
    showTrackName(trackPlayer.nextTrack());
}
