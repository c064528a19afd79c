#include "app/track_player.h"

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

void TrackPlayer::pause() {
    BASS_ChannelPause(handle);
}

void TrackPlayer::resume() {
    DWORD state = BASS_ChannelIsActive(handle);
    BASS_ChannelPlay(handle, state == BASS_ACTIVE_STOPPED ? 1 : 0);
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

float TrackPlayer::trackStart(int index) const {
    return index >= 0 && index < TrackCount ? starts[index] : 0.0f;
}

void TrackPlayer::seekToCurrentTrack() {
    QWORD position = BASS_ChannelSeconds2Bytes(handle, starts[current]);
    BASS_ChannelSetPosition(handle, position);
}
