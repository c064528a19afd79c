#include "app/player_keys.h"

#include "app/player_commands.h"
#include "engine/platform/window_system.h"

using keltraWorks::WindowKey;

namespace {

struct KeyBinding {
    WindowKey key;
    PlayerCommand command;
    bool onRepeat; // whether a held key's repeats run it again
};

constexpr KeyBinding Bindings[] = {
    {WindowKey::Space, PlayerCommand::PlayPause, false},
    {WindowKey::Left, PlayerCommand::Previous, true},
    {WindowKey::Right, PlayerCommand::Next, true},
    {WindowKey::MediaPlay, PlayerCommand::Play, false},
    {WindowKey::MediaPause, PlayerCommand::Pause, false},
    {WindowKey::MediaStop, PlayerCommand::Stop, false},
    {WindowKey::MediaNext, PlayerCommand::Next, true},
    {WindowKey::MediaPrevious, PlayerCommand::Previous, true},
};

} // namespace

void runPlayerKey(WindowKey key, bool repeat) {
    for (const KeyBinding& binding : Bindings) {
        if (binding.key == key && (binding.onRepeat || !repeat)) {
            runPlayerCommand(binding.command);
        }
    }
}
