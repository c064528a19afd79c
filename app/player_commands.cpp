#include "app/player_commands.h"

#include "app/player_screen.h"
#include "app/track_player.h"
#include "app/transport_actions.h"
#include "engine/gui/button.h"

namespace {

// A release on `control`, as the mouse gives one; the actions look at
// neither the position nor the button.
template <class Action> void release(keltraWorks::Object* control) {
    Action action;
    action.execute(control, vector2(0, 0), 0);
}

} // namespace

void runPlayerCommand(PlayerCommand command) {
    keltraWorks::Object* playButton = playerScreen.playButton;
    switch (command) {
    case PlayerCommand::Play:
        if (!trackPlayer.isPlaying()) {
            release<actionPlay>(playButton);
        }
        break;
    case PlayerCommand::Pause:
        if (trackPlayer.isPlaying()) {
            release<actionPlay>(playButton);
        }
        break;
    case PlayerCommand::PlayPause:
        release<actionPlay>(playButton);
        break;
    case PlayerCommand::Stop:
        release<actionStop>(nullptr);
        break;
    case PlayerCommand::Next:
        release<actionNext>(nullptr);
        break;
    case PlayerCommand::Previous:
        release<actionPrev>(nullptr);
        break;
    case PlayerCommand::Close:
        release<actionClose>(nullptr);
        break;
    }
}
