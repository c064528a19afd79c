// A recording stand-in for the audio library (audio/bass.h), linked into
// tests instead of `glint_audio` (library `glint_audio_recorder`). Every
// BASS_* call is appended to a log with its arguments; results come from a
// small scripted model of the streams that a test sets up and inspects.
//
// Use: create one AudioRecorder at the top of a test (it installs itself,
// and its destructor uninstalls it); run the code under test; compare
// callTexts() with the expected sequence, e.g.
//     {"BASS_StreamCreateFile(0,\"glint.mp3\",0,0,256)",
//      "BASS_ChannelSetAttributes(4097,-1,100,-1)"}
// Floats are printed with %g, pointers as "win"/"buf"/"mem" or 0.
// Without an installed recorder every call fails with its error value.
//
// The model, per stream handle (valid from creation until freed):
// - BASS_StreamCreateFile returns 0x1001, 0x1002, ... unless the flags are
//   listed in failCreateFlags (or failAllCreates is set); the new stream is
//   stopped at position 0 with the default format below.
// - Play sets state 1 (restart also sets the position to 0), Pause turns a
//   playing stream to 3 (else fails), Stop sets 0, SetPosition stores the
//   byte position; Lock only checks the handle. A test may overwrite any field at any time.
// - Positions convert with the stream's rate, channels and bytes per sample.
// - GetData copies the stream's `samples` (zero padded to the request).
// - Handle 0, unknown and freed handles get the library's error values.
// Single-threaded, like the program's use of the library.
#pragma once

#include "audio/bass.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace glintTest {

struct RecordedAudioCall {
    std::string name; // "BASS_ChannelPlay"
    std::string text; // "BASS_ChannelPlay(4097,1)"
};

struct RecordedStream {
    DWORD state = BASS_ACTIVE_STOPPED;
    QWORD positionBytes = 0;
    DWORD rate = 44100;
    DWORD chans = 2;
    DWORD bytesPerSample = 4; // 4 for float streams, 2 for 16-bit ones
    DWORD createFlags = 0;
    int volume = 100;
    int pan = 0;
    std::vector<float> samples; // what GetData hands out, interleaved
};

class AudioRecorder {
  public:
    AudioRecorder();
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    // The installed recorder; nullptr when none.
    static AudioRecorder* current();

    // What was called, in order.
    const std::vector<RecordedAudioCall>& calls() const { return log; }
    std::vector<std::string> callTexts() const;
    std::vector<std::string> callNames() const;
    int count(const std::string& name) const;
    void clearCalls() { log.clear(); }

    // Scripted results.
    BOOL initResult = 1;
    std::set<DWORD> failCreateFlags; // creating with these flags returns 0
    bool failAllCreates = false;
    // Format given to streams created from now on.
    DWORD defaultRate = 44100;
    DWORD defaultChans = 2;

    // A valid stream made without a logged call (for code handed a handle).
    HSTREAM addStream(DWORD chans = 2, DWORD rate = 44100, DWORD bytesPerSample = 4);
    // Forgets a stream without a logged call, as if it had been freed.
    void free(HSTREAM handle) { streams.erase(handle); }
    bool isValid(HSTREAM handle) const { return streams.count(handle) != 0; }
    // The model of a valid handle; the test may read and change it.
    RecordedStream& stream(HSTREAM handle);
    // Sets the position to the frame at `seconds` (rounded down).
    void setPositionSeconds(HSTREAM handle, double seconds);
    double positionSeconds(HSTREAM handle);

    bool initialised = false;
    void* initWindow = nullptr; // the window handed to BASS_Init

    // Used by the stand-in functions; not for tests.
    void record(const char* name, const std::string& args);
    RecordedStream* find(DWORD handle);
    HSTREAM create(DWORD flags);

  private:
    std::vector<RecordedAudioCall> log;
    std::map<HSTREAM, RecordedStream> streams;
    HSTREAM nextHandle = 0x1001;
};

} // namespace glintTest
