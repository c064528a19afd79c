// A fixed-size pool of voices for an instrument that plays several notes at
// once: a new note takes a silent voice, or else the one started longest
// ago. `Voice` needs only active(). One thread per pool.
#pragma once

#include <array>

namespace keltraWorks {

template <class Voice, int N> struct VoicePool {
    std::array<Voice, N> voices;
    std::array<unsigned, N> started{};
    unsigned clock = 0;

    Voice& take() {
        int pick = 0;
        for (int i = 0; i < N; ++i) {
            if (!voices[i].active()) {
                pick = i;
                break;
            }
            if (started[i] < started[pick]) {
                pick = i;
            }
        }
        started[pick] = ++clock;
        return voices[pick];
    }
};

} // namespace keltraWorks
