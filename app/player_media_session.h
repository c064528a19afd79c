// The player as the desktop's media controls see it (media_controls.h): the
// status and the current track from the track player, its title from
// data/tracks.txt (read once, when made), the album "glint", the track's
// length from the track table; the commands run the player commands (Quit
// is the close button), Raise brings the window forward. Holds the window,
// which must outlive it. Single-threaded: the window's thread.
#pragma once

#include "engine/platform/media_controls.h"

#include <string>
#include <vector>

namespace keltraWorks {
class AppWindow;
}

class PlayerMediaSession : public keltraWorks::MediaSession {
  public:
    explicit PlayerMediaSession(keltraWorks::AppWindow& window);

    keltraWorks::MediaStatus status() override;
    int trackNumber() override;
    keltraWorks::MediaTrack track() override;
    int64_t positionMicroseconds() override;
    void command(keltraWorks::MediaCommand command) override;
    void seek(int64_t positionMicroseconds) override;

  private:
    keltraWorks::AppWindow& window;
    std::vector<std::string> titles;
};
