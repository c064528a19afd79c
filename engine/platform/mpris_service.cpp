#include "engine/platform/mpris_service.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace keltraWorks {

namespace {

constexpr const char* RootInterface = "org.mpris.MediaPlayer2";
constexpr const char* PlayerInterface = "org.mpris.MediaPlayer2.Player";
// The player's name and its installed desktop file (glint.desktop).
constexpr char Identity[] = "glint";
constexpr char DesktopEntry[] = "glint";

// Every callback is given the session as its user data.
MediaSession& sessionOf(void* userdata) {
    return *static_cast<MediaSession*>(userdata);
}

// Track ids are object paths of the player's own, outside /org/mpris.
std::string trackId(int number) {
    return "/org/glint/track/" + std::to_string(number);
}

// ---- Methods ----

template <MediaCommand Command> int onCommand(sd_bus_message* m, void* userdata, sd_bus_error*) {
    sessionOf(userdata).command(Command);
    return sd_bus_reply_method_return(m, "");
}

// Moves within the current track and tells the clients, which otherwise
// assume the position runs on as it did.
int seekAndTell(sd_bus_message* m, MediaSession& session, int64_t position) {
    session.seek(position);
    sd_bus_emit_signal(sd_bus_message_get_bus(m), MprisService::ObjectPath, PlayerInterface,
                       "Seeked", "x", session.positionMicroseconds());
    return sd_bus_reply_method_return(m, "");
}

int onSeek(sd_bus_message* m, void* userdata, sd_bus_error*) {
    int64_t offset = 0;
    const int r = sd_bus_message_read(m, "x", &offset);
    if (r < 0) {
        return r;
    }
    MediaSession& session = sessionOf(userdata);
    const int64_t length = session.track().lengthMicroseconds;
    const int64_t position = std::clamp<int64_t>(session.positionMicroseconds(), 0, length);
    // Held within the track; written so that no offset can overflow.
    const int64_t target = offset >= length - position ? length
                           : offset <= -position       ? 0
                                                       : position + offset;
    return seekAndTell(m, session, target);
}

int onSetPosition(sd_bus_message* m, void* userdata, sd_bus_error*) {
    const char* id = nullptr;
    int64_t position = 0;
    const int r = sd_bus_message_read(m, "ox", &id, &position);
    if (r < 0) {
        return r;
    }
    MediaSession& session = sessionOf(userdata);
    const MediaTrack track = session.track();
    // A request for another track, or outside this one, is ignored.
    if (trackId(track.number) != id || position < 0 || position > track.lengthMicroseconds) {
        return sd_bus_reply_method_return(m, "");
    }
    return seekAndTell(m, session, position);
}

int onOpenUri(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_NOT_SUPPORTED,
                                      "glint plays its own recording only");
}

// ---- Properties ----

template <int Flag>
int onFlag(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
           sd_bus_error*) {
    return sd_bus_message_append(reply, "b", Flag);
}

template <const char* Text>
int onText(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
           sd_bus_error*) {
    return sd_bus_message_append(reply, "s", Text);
}

// Rate, its bounds and the volume: the player has no control of them.
int onOne(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
          sd_bus_error*) {
    return sd_bus_message_append(reply, "d", 1.0);
}

int onNoNames(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
              sd_bus_error*) {
    return sd_bus_message_append(reply, "as", 0);
}

int onStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
             sd_bus_error*) {
    static const char* const Names[] = {"Playing", "Paused", "Stopped"};
    return sd_bus_message_append(reply, "s", Names[static_cast<int>(sessionOf(userdata).status())]);
}

int onMetadata(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
               void* userdata, sd_bus_error*) {
    const MediaTrack track = sessionOf(userdata).track();
    const std::string id = trackId(track.number);
    return sd_bus_message_append(reply, "a{sv}", 5,                             //
                                 "mpris:trackid", "o", id.c_str(),              //
                                 "mpris:length", "x", track.lengthMicroseconds, //
                                 "xesam:title", "s", track.title.c_str(),       //
                                 "xesam:album", "s", track.album.c_str(),       //
                                 "xesam:trackNumber", "i", int32_t(track.number));
}

int onPosition(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
               void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "x", sessionOf(userdata).positionMicroseconds());
}

constexpr uint64_t Method = SD_BUS_VTABLE_UNPRIVILEGED;
constexpr uint64_t Fixed = SD_BUS_VTABLE_PROPERTY_CONST;
constexpr uint64_t Told = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;

const sd_bus_vtable RootTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Raise", "", "", onCommand<MediaCommand::Raise>, Method),
    SD_BUS_METHOD("Quit", "", "", onCommand<MediaCommand::Quit>, Method),
    SD_BUS_PROPERTY("CanQuit", "b", onFlag<1>, 0, Fixed),
    SD_BUS_PROPERTY("CanRaise", "b", onFlag<1>, 0, Fixed),
    SD_BUS_PROPERTY("HasTrackList", "b", onFlag<0>, 0, Fixed),
    SD_BUS_PROPERTY("Identity", "s", onText<Identity>, 0, Fixed),
    SD_BUS_PROPERTY("DesktopEntry", "s", onText<DesktopEntry>, 0, Fixed),
    SD_BUS_PROPERTY("SupportedUriSchemes", "as", onNoNames, 0, Fixed),
    SD_BUS_PROPERTY("SupportedMimeTypes", "as", onNoNames, 0, Fixed),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable PlayerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Next", "", "", onCommand<MediaCommand::Next>, Method),
    SD_BUS_METHOD("Previous", "", "", onCommand<MediaCommand::Previous>, Method),
    SD_BUS_METHOD("Pause", "", "", onCommand<MediaCommand::Pause>, Method),
    SD_BUS_METHOD("PlayPause", "", "", onCommand<MediaCommand::PlayPause>, Method),
    SD_BUS_METHOD("Stop", "", "", onCommand<MediaCommand::Stop>, Method),
    SD_BUS_METHOD("Play", "", "", onCommand<MediaCommand::Play>, Method),
    SD_BUS_METHOD_WITH_NAMES("Seek", "x", SD_BUS_PARAM(Offset), "", , onSeek, Method),
    SD_BUS_METHOD_WITH_NAMES("SetPosition", "ox", SD_BUS_PARAM(TrackId) SD_BUS_PARAM(Position), "",
                             , onSetPosition, Method),
    SD_BUS_METHOD_WITH_NAMES("OpenUri", "s", SD_BUS_PARAM(Uri), "", , onOpenUri, Method),
    SD_BUS_SIGNAL_WITH_NAMES("Seeked", "x", SD_BUS_PARAM(Position), 0),
    SD_BUS_PROPERTY("PlaybackStatus", "s", onStatus, 0, Told),
    SD_BUS_PROPERTY("Metadata", "a{sv}", onMetadata, 0, Told),
    // Read when asked; clients follow it from the status and Seeked.
    SD_BUS_PROPERTY("Position", "x", onPosition, 0, 0),
    SD_BUS_PROPERTY("Rate", "d", onOne, 0, Fixed),
    SD_BUS_PROPERTY("MinimumRate", "d", onOne, 0, Fixed),
    SD_BUS_PROPERTY("MaximumRate", "d", onOne, 0, Fixed),
    SD_BUS_PROPERTY("Volume", "d", onOne, 0, Fixed),
    SD_BUS_PROPERTY("CanGoNext", "b", onFlag<1>, 0, Fixed),
    SD_BUS_PROPERTY("CanGoPrevious", "b", onFlag<1>, 0, Fixed),
    SD_BUS_PROPERTY("CanPlay", "b", onFlag<1>, 0, Fixed),
    SD_BUS_PROPERTY("CanPause", "b", onFlag<1>, 0, Fixed),
    SD_BUS_PROPERTY("CanSeek", "b", onFlag<1>, 0, Fixed),
    SD_BUS_PROPERTY("CanControl", "b", onFlag<1>, 0, Fixed),
    SD_BUS_VTABLE_END,
};

} // namespace

std::unique_ptr<MediaControls> startMediaControls(MediaSession& session) {
    return MprisService::start(session);
}

std::unique_ptr<MprisService> MprisService::start(MediaSession& session) {
    sd_bus* bus = nullptr;
    const int r = sd_bus_open_user_with_description(&bus, "glint");
    if (r < 0) {
        // No bus configured, or no socket where it should be: a desktop
        // without a session bus, nothing worth a message.
        if (r != -ENOMEDIUM && r != -ENOENT) {
            std::fprintf(stderr,
                         "glint: mpris: cannot reach the session bus: %s; no media "
                         "controls\n",
                         std::strerror(-r));
        }
        return nullptr;
    }
    std::unique_ptr<MprisService> service(new MprisService(session, bus));
    return service->publish() ? std::move(service) : nullptr;
}

MprisService::MprisService(MediaSession& session, sd_bus* bus) : session(session), bus(bus) {}

MprisService::~MprisService() {
    sd_bus_slot_unref(rootSlot);
    sd_bus_slot_unref(playerSlot);
    // Replies still queued (to a last Quit, say) go out before the close.
    sd_bus_flush_close_unref(bus);
}

bool MprisService::publish() {
    int r =
        sd_bus_add_object_vtable(bus, &rootSlot, ObjectPath, RootInterface, RootTable, &session);
    if (r >= 0) {
        r = sd_bus_add_object_vtable(bus, &playerSlot, ObjectPath, PlayerInterface, PlayerTable,
                                     &session);
    }
    if (r >= 0) {
        r = sd_bus_request_name(bus, BusName, 0);
    }
    if (r == -EEXIST) {
        std::fprintf(stderr, "glint: mpris: %s is taken by another program; no media controls\n",
                     BusName);
        return false;
    }
    if (r < 0) {
        std::fprintf(stderr, "glint: mpris: cannot offer %s: %s; no media controls\n", BusName,
                     std::strerror(-r));
        return false;
    }
    toldStatus = session.status();
    toldTrack = session.trackNumber();
    return true;
}

void MprisService::process() {
    if (bus == nullptr) {
        return;
    }
    int r = 0;
    while ((r = sd_bus_process(bus, nullptr)) > 0) {
    }
    if (r < 0) {
        std::fprintf(stderr, "glint: mpris: lost the session bus: %s; no media controls\n",
                     std::strerror(-r));
        rootSlot = sd_bus_slot_unref(rootSlot);
        playerSlot = sd_bus_slot_unref(playerSlot);
        bus = sd_bus_close_unref(bus);
        return;
    }
    tellChanges();
}

void MprisService::tellChanges() {
    const MediaStatus status = session.status();
    const int track = session.trackNumber();
    if (status == toldStatus && track == toldTrack) {
        return;
    }
    const char* changed[3] = {};
    int count = 0;
    if (status != toldStatus) {
        changed[count++] = "PlaybackStatus";
    }
    if (track != toldTrack) {
        changed[count++] = "Metadata";
    }
    sd_bus_emit_properties_changed_strv(bus, ObjectPath, PlayerInterface,
                                        const_cast<char**>(changed));
    toldStatus = status;
    toldTrack = track;
}

} // namespace keltraWorks
