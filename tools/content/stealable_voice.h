// What FmVoice and PluckVoice share: a voice taken for a new note while it
// still sounds first fades out over StealFade frames (about two
// milliseconds), so the new note does not start with a click; the note waits
// until then. Frames at 44100 a second; pitches are MIDI note numbers,
// levels linear, pan -1 (left) .. 1 (right). One thread per voice.
//
// `Voice` derives from StealableVoice<Voice, Patch> and provides
//   bool sounding() const  loud enough that cutting it off would click;
//   bool active() const    still sounding or fading;
//   void start()           begins the waiting note (next, nextNote, ...);
//   void play(float* left, float* right, int n, float gainStep)
//       adds n frames; a negative gainStep means it is fading out, from
//       fadeGain() down by gainStep per frame.
#pragma once

#include <algorithm>

namespace keltraWorks {

template <class Voice, class Patch> class StealableVoice {
  public:
    void noteOn(const Patch& patch, float note, float velocity, float pan) {
        next = patch;
        nextNote = note;
        nextVelocity = velocity;
        nextPan = pan;
        if (self().sounding()) {
            fade = StealFade;
        } else {
            fade = 0;
            self().start();
        }
    }

    // Adds the next `n` frames to `left` and `right`.
    void render(float* left, float* right, int n) {
        if (fade > 0) {
            const int m = std::min(n, fade);
            self().play(left, right, m, -1.0f / StealFade);
            fade -= m;
            left += m;
            right += m;
            n -= m;
            if (fade > 0) {
                return;
            }
            self().start();
        }
        if (self().active()) {
            self().play(left, right, n, 0);
        }
    }

  protected:
    static constexpr int StealFade = 96;

    bool fading() const { return fade > 0; }
    // The output's gain at the first frame of the next fading block.
    float fadeGain() const { return float(fade) / StealFade; }

    // The note that start() begins.
    Patch next;
    float nextNote = 60, nextVelocity = 1, nextPan = 0;

  private:
    Voice& self() { return static_cast<Voice&>(*this); }

    int fade = 0; // frames of the fade-out still to play
};

} // namespace keltraWorks
