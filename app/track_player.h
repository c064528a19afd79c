// The music of the player: the one stream of "glint.mp3" (opened from the
// working directory, never from the archive), its ten tracks as fixed start
// times within that one recording, the current track and the elapsed time
// last read. Every call the application makes to the audio library for
// playback goes through here (the oscilloscope reads sample data from
// stream() through a StreamSampleSource).
//
// Without a stream (the file could not be opened) every operation passes
// handle 0 to the library, which fails without effect; elapsedSeconds()
// then returns the library's negative error value.
//
// Ownership: owns the stream from open() to close(). The audio library must
// be started (BASS_Init) before open() and freed only after close().
// Units: seconds as float from the beginning of the file; track indices
// 0..TrackCount-1 (the name picture of index i is number i + 1).
// Threads: the program's one thread only.
#pragma once

#include "audio/bass.h"

class TrackPlayer {
  public:
    static constexpr int TrackCount = 10;
    // The elapsed time at which the player stops and rewinds (98:32).
    static constexpr float EndOfMusicSeconds = 5912.0f;
    static constexpr const char* MusicFile = "glint.mp3";
    // Where each track starts, in seconds from the start of the file.
    static constexpr float TrackTable[TrackCount] = {0.0f,    1234.0f, 1611.0f, 2390.0f, 2996.0f,
                                                     3609.0f, 4092.0f, 4694.0f, 5360.0f, 5653.0f};

    // Creates the stream (float samples, else 16-bit), sets full volume,
    // fills the track table and zeroes the last elapsed time. False, with
    // no stream and the table left as it was, when neither works. An open
    // stream is closed first.
    bool open();
    // Has the audio library start opening the music file ahead of open(),
    // on a worker, with the sample kind open() asks for first; open() then
    // finds it ready. Needs no started audio library.
    static void prepare();
    // Stops and frees the stream; afterwards there is none.
    void close();

    // Plays from the current position.
    void play();
    bool isPlaying();
    bool isPaused();
    void pause();
    // A paused stream continues where it was; a stopped one (also after the
    // natural end) plays the current track from its start.
    void resume();
    // Stopped at the beginning of the file without a sound of it; track 0.
    void stop();
    // One track back or on (wrapping around) and the position to its start;
    // the play state stays. Return the new index.
    int previousTrack();
    int nextTrack();
    // Seconds heard so far, also kept as lastElapsed().
    float elapsedSeconds();
    // Moves on one track when `elapsed` is past the next track's start;
    // true when it did. Never moves back, never past the last track.
    bool advanceIfDue(float elapsed);
    // Seconds heard since the start of the current track, within 0 and the
    // track's length; lastElapsed() stays as it was, so the time display
    // still sees every change of the second.
    float secondsIntoTrack();
    // Moves to `seconds` after the current track's start, held within the
    // track; the play state stays.
    void seekWithinTrack(float seconds);

    int currentTrack() const { return current; }
    // The start of track `index` in seconds; 0 for an index out of range.
    float trackStart(int index) const;
    // Seconds from its start to the next track's, or to the end of the
    // music for the last; 0 for an index out of range or without music.
    float trackLength(int index) const;
    float lastElapsed() const { return elapsedRead; }
    HSTREAM stream() const { return handle; }

  private:
    // False when the library refuses the position (beyond the recording).
    bool seekToCurrentTrack();

    HSTREAM handle = 0;
    float starts[TrackCount] = {};
    int current = 0;
    float elapsedRead = 0.0f;
};

// The process-wide player the application's start-up, screen and actions
// share.
extern TrackPlayer trackPlayer;
