// The desktop's media controls (the media panel of GNOME or KDE, playerctl,
// headset and keyboard media keys the desktop forwards) as the player meets
// them, without naming the protocol. The player offers a MediaSession; the
// desktop side is a MediaControls, made by startMediaControls (MPRIS on the
// session bus: mpris_service.h). The controls only hold the session, which
// must outlive them.
//
// Units: microseconds, counted from the start of the current track; track
// numbers from 1. Single-threaded: every call on the window's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace keltraWorks {

enum class MediaStatus { Playing, Paused, Stopped };
// Raise brings the window forward; Quit is a close request.
enum class MediaCommand { Play, Pause, PlayPause, Stop, Next, Previous, Quit, Raise };

struct MediaTrack {
    int number = 1; // from 1
    std::string title;
    std::string album;
    int64_t lengthMicroseconds = 0;
};

class MediaSession {
  public:
    virtual ~MediaSession() = default;

    // Both read on every turn of the loop, so they must be cheap.
    virtual MediaStatus status() = 0;
    virtual int trackNumber() = 0;
    // The current track.
    virtual MediaTrack track() = 0;
    virtual int64_t positionMicroseconds() = 0;
    virtual void command(MediaCommand command) = 0;
    // Moves within the current track, held within its length.
    virtual void seek(int64_t positionMicroseconds) = 0;
};

class MediaControls {
  public:
    virtual ~MediaControls() = default;
    // Answers the requests that have come in and tells the desktop of every
    // change of status or track since the last call. Never waits; call once
    // per turn of the loop.
    virtual void process() = 0;
};

// The desktop's media controls for `session`, or null (having written at
// most one line on stderr) when the desktop offers none.
std::unique_ptr<MediaControls> startMediaControls(MediaSession& session);

} // namespace keltraWorks
