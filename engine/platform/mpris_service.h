// MPRIS 2 on the D-Bus session bus, with sd-bus: the player as
// org.mpris.MediaPlayer2.glint at /org/mpris/MediaPlayer2, with the root
// interface (Identity and DesktopEntry "glint", Raise, Quit) and the player
// interface (PlaybackStatus, Metadata of the current track, Position in
// microseconds within it, Seek and SetPosition within it, the transport
// methods, and PropertiesChanged on every change of status or track).
//
// Nothing waits on the bus once started: process() handles what has come
// in and sends what is due without blocking, once per turn of the loop, and
// finds changes by comparing the session's status and track with what it
// last told. Starting connects and asks for the name once (a round trip to
// the bus daemon). No bus configured, or its socket missing, means no
// service and no message; an unreachable bus, a name another program holds
// or a lost connection write one line on stderr and the player goes on
// without. Owns its bus connection; holds the session. Single-threaded: the
// window's thread.
#pragma once

#include "engine/platform/media_controls.h"

struct sd_bus;
struct sd_bus_slot;

namespace keltraWorks {

class MprisService : public MediaControls {
  public:
    static constexpr const char* BusName = "org.mpris.MediaPlayer2.glint";
    static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";

    // Null when there is no service (see above).
    static std::unique_ptr<MprisService> start(MediaSession& session);
    ~MprisService() override;
    MprisService(const MprisService&) = delete;
    MprisService& operator=(const MprisService&) = delete;

    void process() override;

  private:
    MprisService(MediaSession& session, sd_bus* bus);
    bool publish();
    void tellChanges();

    MediaSession& session;
    sd_bus* bus = nullptr;
    sd_bus_slot* rootSlot = nullptr;
    sd_bus_slot* playerSlot = nullptr;
    MediaStatus toldStatus = MediaStatus::Stopped;
    int toldTrack = 0;
};

} // namespace keltraWorks
