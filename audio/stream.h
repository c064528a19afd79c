// One playing MP3 stream: its play state, the frames decoded around the
// position being heard, and its share of each output buffer.
//
// Sound: the stream is rendered to stereo at the device rate (linear
// resampling when the file's rate differs) and added into the output's
// mix with its volume and pan. Every break in the sound (pause, stop, seek,
// restart) fades the old sound out over FadeFrames device frames taken from
// frames already decoded ahead, and new sound fades in, so nothing clicks.
// Pause and stop keep the position where that fade ends: play continues
// exactly there. Each buffer is stamped with the moment it is heard, which
// the output's latency puts later than its rendering: the position, the
// frames copyHeard gives and the natural end all follow that moment. The
// natural end stops rendering once the last frame has been handed over;
// heardState() reports the stream playing until that frame has been heard.
//
// Ownership: owns its decoder (and so the file) and its buffers, all made
// by the constructor; nothing is allocated afterwards.
// Units: frames at the stream's own rate, absolute from the file's start;
// device frames at the device rate; time in nanoseconds (monotonic).
// Threads: the format queries are constant and safe anywhere. Everything
// else runs on the program's thread holding the output lock, or on the
// output's audio thread (mixInto, dropUnheard), which runs with that lock
// held. mixInto and dropUnheard never block, allocate, open files or print.
#pragma once

#include "audio/heard_position.h"
#include "audio/history_ring.h"
#include "audio/mp3_decoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace keltraWorks {

class Stream {
  public:
    // Device frames of the fade at every break in the sound (~6 ms).
    static constexpr int FadeFrames = 256;
    // The most device frames one mixInto call renders.
    static constexpr int MaxChunk = 1024;
    // The most frames per channel copyHeard returns.
    static constexpr int DataFrames = 2048;
    // The longest latency the decoded frames are kept for: behind it the
    // heard window reads zeros and a lost output restarts with a seek.
    static constexpr double MaxLatencySeconds = 1.0;

    enum class State { Stopped, Playing, Paused };

    // A stopped stream at frame 0, volume 1, pan 0, for a device at
    // deviceRate Hz.
    Stream(std::unique_ptr<Mp3Decoder> decoder, int deviceRate);

    int rate() const { return decoder->rate(); }
    int channels() const { return decoder->channels(); }
    bool floatSamples() const { return decoder->floatSamples(); }
    int bytesPerSample() const { return decoder->bytesPerSample(); }
    int64_t lengthFrames() const { return decoder->lengthFrames(); }

    // Device lock held:
    // Plays on from the current position, or from frame 0 with restart.
    void play(bool restart);
    // Pauses a playing stream; false (and nothing changes) otherwise.
    bool pause();
    void stop();
    // What the stream does: stopped at the natural end as soon as the last
    // frame has been handed over.
    State state() const { return playState; }
    // What is heard at nowNs: playing until the last frame has been heard.
    State heardState(uint64_t nowNs) const;
    // The frame being heard at nowNs, 0..lengthFrames().
    int64_t heardFrame(uint64_t nowNs) const;
    // Moves to the exact frame, keeping the play state; false beyond the end.
    bool setFrame(int64_t frame);
    // Linear gain 0..1 and balance -1 (left only) .. +1 (right only).
    void setVolume(float gain);
    void setPan(float balance);
    // Copies `frames` (<= DataFrames) frames from the one heard at nowNs,
    // interleaved in the stream's channels, as floats; zeros while the
    // stream is not playing and for frames not decoded.
    void copyHeard(float* out, int frames, uint64_t nowNs) const;

    // Audio thread: adds this stream's next `frames` (<= MaxChunk) device
    // frames (stereo, interleaved) into out, heard from heardNs on.
    void mixInto(float* out, int frames, uint64_t heardNs);
    // Audio thread: the output lost what it had queued; the position stands
    // at the whole frame heard at nowNs and rendering continues from there.
    void dropUnheard(uint64_t nowNs);

  private:
    void decodeUpTo(int64_t frame);
    void fadeOutInto(float* out, int frames, uint64_t heardNs, bool marksPosition);
    void renderInto(float* out, int frames, uint64_t heardNs);

    std::unique_ptr<Mp3Decoder> decoder;
    int deviceRate;
    double step; // stream frames per device frame
    HistoryRing ring;
    std::vector<float> scratch; // MaxChunk stereo frames

    State playState = State::Stopped;
    bool seekPending = false;
    int64_t seekTarget = 0;
    double readPos = 0.0;        // next stream position to render
    bool audible = false;        // the last buffer handed over ended in sound
    bool endedNaturally = false; // stopped at the end, heard at endHeardNs
    uint64_t endHeardNs = 0;
    HeardPosition heard;

    float volume = 1.0f;
    float pan = 0.0f;
    float appliedLeft = 1.0f; // gains at the end of the last buffer
    float appliedRight = 1.0f;
};

} // namespace keltraWorks
