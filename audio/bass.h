// The audio library the program plays its music through: start-up of the
// output device, MP3 file streams, playback control, positions and the
// samples being heard. Plain C calls; decoding is libmpg123, output is SDL2.
//
// Handles: a stream is named by a non-zero 32-bit handle that is never
// reused within a run. Every call given 0, a freed handle or any other
// unknown value fails without effect and returns the error value listed
// with the call. Nothing throws; nothing is reported beyond return values,
// except one warning line on stderr saying why the device cannot be opened.
//
// Units: a byte position counts sample frames x channels x bytes per sample
// of the stream's own format (4 for float streams, 2 for 16-bit streams),
// at the stream's own rate. Seconds are float seconds of the file's time.
//
// Ownership: BASS_Init starts the one output device for the process;
// BASS_Free stops it and frees every stream still open. A stream owns its
// open file (or borrows the caller's memory, which must outlive the stream).
//
// Threads: call everything from one thread. Inside, the output's audio
// thread decodes and mixes; the calls here take the output lock briefly.
// BASS_ChannelLock holds that lock across several calls, so that they take
// effect together, with no sound rendered in between.
//
// Link-time substitution: libraries that only call these functions do not
// link an implementation; the program links `glint_audio`, tests link
// `glint_audio_recorder` (tests/support/audio), which records the calls.
#pragma once

#include <cstdint>

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int BOOL;
typedef DWORD HSTREAM;

// BASS_StreamCreateFile flag: decode to 32-bit float samples (else 16-bit).
#define BASS_SAMPLE_FLOAT 256
// BASS_ChannelGetData flag in the length argument: return float samples.
#define BASS_DATA_FLOAT 0x40000000
// BASS_ChannelIsActive results.
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

// What BASS_ChannelGetInfo fills in.
typedef struct {
    DWORD freq;  // the stream's sample rate in Hz (the file's own rate)
    DWORD chans; // the stream's channel count (1 mono, 2 stereo)
    DWORD flags; // BASS_SAMPLE_FLOAT when the stream decodes to floats
} BASS_CHANNELINFO;

extern "C" {

// Opens the output device: device -1 (or 1) is the system default, freq the
// mixing rate in Hz (8000..192000), float stereo, a period of 1024 frames.
// win is the caller's window (an SDL_Window*), accepted and not needed.
// flags and dsguid are accepted and ignored. Returns 0 when the library is
// already started or no device can be opened (never a silent stand-in).
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid);
// Stops the device and frees every stream. 0 when not started.
BOOL BASS_Free(void);

// Opens an MP3 stream, stopped at position 0, not looping. mem 0: file is a
// path (char*); offset/length select a byte range of the file (length 0: to
// its end). mem non-zero: file points at length bytes of MP3 data, which
// must stay valid until the stream is freed. flags BASS_SAMPLE_FLOAT asks
// for float samples; when the decoder cannot deliver them the call fails,
// and the caller may ask again without the flag for 16-bit samples.
// Returns the handle, or 0 (not started, unreadable, not an MP3, no audio).
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Starts opening `file` (the whole file, with these flags) on a worker
// thread, so that a later BASS_StreamCreateFile of the same file and flags
// finds its decoder opened and the file scanned. Needs no BASS_Init; the
// file must not change in between, or it is simply opened again. Preparing
// another file drops the earlier one; BASS_Free drops it too. 0 when file is
// null, else 1.
BOOL BASS_StreamPrepareFile(const char* file, DWORD flags);
// Stops and frees the stream; its handle becomes invalid. 0 on a bad handle.
BOOL BASS_StreamFree(HSTREAM handle);

// freq: -1 (or 0, or the file's own rate) keeps the file's rate; other rates
// are not supported: the call then fails and changes nothing. volume 0..100 as a linear gain, -1
// keeps it. pan -100 (left only) .. 0 (centre) .. +100 (right only), -101 keeps it; other
// out-of-range values are clamped. 0 on a bad handle.
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);

// Plays from the current position; restart non-zero plays from the start
// of the file. A playing stream given restart 0 just keeps playing.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
// Pauses a playing stream where the sound stops (a few ms of fade); resuming
// continues exactly there. 0 when the stream is not playing.
BOOL BASS_ChannelPause(DWORD handle);
// Stops with a short fade (no click); the position is kept. Play with
// restart rewinds. 0 on a bad handle.
BOOL BASS_ChannelStop(DWORD handle);
// lock non-zero: holds the output lock until the same call with lock 0, so
// that the calls made in between take effect as one step (no buffer is
// rendered between them). Locks nest; each lock needs its unlock, before
// BASS_StreamFree or BASS_Free. Hold it briefly: the sound waits meanwhile.
// 0 on a bad handle or an unlock without a lock.
BOOL BASS_ChannelLock(DWORD handle, BOOL lock);
// BASS_ACTIVE_STOPPED (also after the last sample of the file has been
// heard, and for a bad handle), _PLAYING or _PAUSED. _STALLED is never
// reported: decoding keeps up inside the output callback.
DWORD BASS_ChannelIsActive(DWORD handle);

// The byte position being heard right now (interpolated within the device
// period), or (QWORD)-1 for a bad handle.
QWORD BASS_ChannelGetPosition(DWORD handle);
// Moves to the exact sample frame (byte position rounded down to a frame);
// the play state is kept. 0 for a bad handle or beyond the end of the file.
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
// Byte position -> seconds; a negative value (-1) for a bad handle.
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
// Seconds -> byte position, rounded down to a whole frame; (QWORD)-1 for a
// bad handle or negative seconds.
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float secs);

// Fills info with the stream's rate, channel count and flags. 0 for a bad
// handle or a null info.
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
// Copies the frames being heard now, starting at the heard position,
// interleaved by channel, without consuming them. length is a byte count,
// combined with BASS_DATA_FLOAT for float samples (else the stream's own
// sample format); at most 2048 frames per channel are returned. Zeros while
// the stream is not playing. Returns the bytes written, or (DWORD)-1 for a
// bad handle, a null buffer or an unknown flag.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

} // extern "C"
