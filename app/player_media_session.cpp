#include "app/player_media_session.h"

#include "app/player_commands.h"
#include "app/track_player.h"
#include "app/track_titles.h"
#include "engine/platform/app_window.h"

#include <cmath>
#include <utility>

using keltraWorks::MediaCommand;
using keltraWorks::MediaStatus;

namespace {

constexpr const char* Album = "glint";

// Quit is a close request, as the close button makes.
constexpr std::pair<MediaCommand, PlayerCommand> Commands[] = {
    {MediaCommand::Play, PlayerCommand::Play},
    {MediaCommand::Pause, PlayerCommand::Pause},
    {MediaCommand::PlayPause, PlayerCommand::PlayPause},
    {MediaCommand::Stop, PlayerCommand::Stop},
    {MediaCommand::Next, PlayerCommand::Next},
    {MediaCommand::Previous, PlayerCommand::Previous},
    {MediaCommand::Quit, PlayerCommand::Close},
};

int64_t microseconds(float seconds) {
    return std::llround(double(seconds) * 1e6);
}

} // namespace

PlayerMediaSession::PlayerMediaSession(keltraWorks::AppWindow& window)
    : window(window), titles(readTrackTitles()) {}

MediaStatus PlayerMediaSession::status() {
    if (trackPlayer.isPlaying()) {
        return MediaStatus::Playing;
    }
    return trackPlayer.isPaused() ? MediaStatus::Paused : MediaStatus::Stopped;
}

int PlayerMediaSession::trackNumber() {
    return trackPlayer.currentTrack() + 1;
}

keltraWorks::MediaTrack PlayerMediaSession::track() {
    const int index = trackPlayer.currentTrack();
    keltraWorks::MediaTrack track;
    track.number = index + 1;
    track.title = titles[static_cast<size_t>(index)];
    track.album = Album;
    track.lengthMicroseconds = microseconds(trackPlayer.trackLength(index));
    return track;
}

int64_t PlayerMediaSession::positionMicroseconds() {
    return microseconds(trackPlayer.secondsIntoTrack());
}

void PlayerMediaSession::command(MediaCommand command) {
    if (command == MediaCommand::Raise) {
        window.raise();
        return;
    }
    for (const auto& [media, player] : Commands) {
        if (media == command) {
            runPlayerCommand(player);
        }
    }
}

void PlayerMediaSession::seek(int64_t positionMicroseconds) {
    trackPlayer.seekWithinTrack(static_cast<float>(double(positionMicroseconds) / 1e6));
}
