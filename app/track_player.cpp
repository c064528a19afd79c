#include "app/track_player.h"

#include <algorithm>

TrackPlayer trackPlayer;

void TrackPlayer::prepare() {
    BASS_StreamPrepareFile(MusicFile, BASS_SAMPLE_FLOAT);
}

bool TrackPlayer::open() {
    if (handle != 0) {
        close();
    }
    handle = BASS_StreamCreateFile(0, MusicFile, 0, 0, BASS_SAMPLE_FLOAT);
    if (handle == 0) {
        handle = BASS_StreamCreateFile(0, MusicFile, 0, 0, 0);
    }
    if (handle == 0) {
        return false;
    }
    // Full volume; frequency -1 keeps the file's rate; pan -1 is one step
    // left of centre on the library's -100..+100 scale, as intended.
    BASS_ChannelSetAttributes(handle, -1, 100, -1);
    elapsedRead = 0.0f;
    for (int i = 0; i < TrackCount; ++i) {
        starts[i] = TrackTable[i];
    }
    return true;
}

void TrackPlayer::close() {
    BASS_ChannelStop(handle);
    BASS_StreamFree(handle);
    handle = 0;
}

void TrackPlayer::play() {
    BASS_ChannelPlay(handle, 0);
}

bool TrackPlayer::isPlaying() {
    return BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING;
}

bool TrackPlayer::isPaused() {
    return BASS_ChannelIsActive(handle) == BASS_ACTIVE_PAUSED;
}

void TrackPlayer::pause() {
    BASS_ChannelPause(handle);
}

void TrackPlayer::resume() {
    // From stopped, play the track whose name is shown from its start (after
    // stop() that is the first track at 0:00). A track beyond the end of a
    // short recording cannot be reached; the file then plays from its start.
    bool restart = false;
    if (BASS_ChannelIsActive(handle) == BASS_ACTIVE_STOPPED) {
        restart = !seekToCurrentTrack();
    }
    BASS_ChannelPlay(handle, restart ? 1 : 0);
}

void TrackPlayer::stop() {
    // Restarting between two stops rewinds to the start. Held under one
    // lock, no buffer is rendered between the three calls: the old sound
    // fades out, nothing of the start is heard and the position is 0.
    BASS_ChannelLock(handle, 1);
    BASS_ChannelStop(handle);
    BASS_ChannelPlay(handle, 1);
    BASS_ChannelStop(handle);
    BASS_ChannelLock(handle, 0);
    current = 0;
}

int TrackPlayer::previousTrack() {
    current = current - 1 < 0 ? TrackCount - 1 : current - 1;
    seekToCurrentTrack();
    return current;
}

int TrackPlayer::nextTrack() {
    current = current + 1 >= TrackCount ? 0 : current + 1;
    seekToCurrentTrack();
    return current;
}

float TrackPlayer::elapsedSeconds() {
    QWORD position = BASS_ChannelGetPosition(handle);
    elapsedRead = BASS_ChannelBytes2Seconds(handle, position);
    return elapsedRead;
}

bool TrackPlayer::advanceIfDue(float elapsed) {
    // One step per call: a large jump is caught up one track per frame.
    if (current >= TrackCount - 1) {
        return false;
    }
    if (elapsed > starts[current + 1]) {
        ++current;
        return true;
    }
    return false;
}

float TrackPlayer::secondsIntoTrack() {
    const float heard = BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle));
    return std::clamp(heard - starts[current], 0.0f, trackLength(current));
}

void TrackPlayer::seekWithinTrack(float seconds) {
    const float within = std::clamp(seconds, 0.0f, trackLength(current));
    BASS_ChannelSetPosition(handle, BASS_ChannelSeconds2Bytes(handle, starts[current] + within));
}

float TrackPlayer::trackStart(int index) const {
    return index >= 0 && index < TrackCount ? starts[index] : 0.0f;
}

float TrackPlayer::trackLength(int index) const {
    if (index < 0 || index >= TrackCount || handle == 0) {
        return 0.0f;
    }
    const float end = index + 1 < TrackCount ? starts[index + 1] : EndOfMusicSeconds;
    return end - starts[index];
}

bool TrackPlayer::seekToCurrentTrack() {
    QWORD position = BASS_ChannelSeconds2Bytes(handle, starts[current]);
    return BASS_ChannelSetPosition(handle, position) != 0;
}
