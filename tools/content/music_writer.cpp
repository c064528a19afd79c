#include "tools/content/music_writer.h"

#include "tools/content/mp3_encoder.h"
#include "tools/content/mp3_info_tag.h"
#include "tools/content/mp3_splice.h"
#include "tools/content/music_synth.h"
#include "tools/content/progress.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <time.h>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace keltraWorks {

namespace {

constexpr int ChunkFrames = 16384;
// A lane's first frames are encoded after silence instead of the music
// before them and with the encoder's analysis not yet settled: a seam lies
// at least this many frames into the later lane.
constexpr int SeamLead = 8;
// Frames searched for a seam (about 4 s).
constexpr int SeamWindow = 150;
// The last frames before the end of a lane's input also see silence after
// it; they are never used.
constexpr int TailMargin = 8;
// How far a lane runs past the next lane's first frame.
constexpr int OverrunFrames = SeamLead + SeamWindow + TailMargin + 2;

void flushDenormalsToZero() {
#if defined(__SSE__)
    // Decaying filters and reverb tails reach denormal numbers, which the
    // CPU handles a hundred times slower; treating them as zero is inaudible
    // and the same on every run.
    _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Lane {
    int section = 0;
    int64_t renderFrom = 0; // the section's first frame
    int64_t inputFrom = 0;  // the first frame encoded: a multiple of 1152
    int64_t inputTo = 0;
    // Where the next lane starts (its section, first frame made and first
    // frame encoded); -1 for the last lane. From the next lane's first
    // encoded frame on, this lane encodes the next lane's music, made by a
    // synthesiser of its own exactly as the next lane makes it, so the two
    // encoders see the same samples wherever a seam may fall.
    int nextSection = -1;
    int64_t nextRenderFrom = 0, nextInputFrom = 0;
    // Filled in by the worker.
    std::vector<uint8_t> bytes;
    double synthesisCpu = 0, encodingCpu = 0;
    float lowestGain = 1;
    bool ok = false;
    std::string error;

    int64_t ownTo() const { return nextSection < 0 ? inputTo : nextInputFrom; }
    // Frames synthesised.
    int64_t work() const {
        return ownTo() - renderFrom + (nextSection < 0 ? 0 : inputTo - nextRenderFrom);
    }
    int64_t firstFrame() const { return inputFrom / Mp3FrameSamples; }
};

// The lanes, one per section that starts on a frame of its own, or when
// `split` is false one lane for the whole recording.
std::vector<Lane> planLanes(const MusicSynth& layout, bool split) {
    const int64_t total = layout.totalFrames();
    std::vector<Lane> lanes;
    for (int s = 0; s < (split ? SectionCount : 1); ++s) {
        const int64_t start = layout.sectionStart(s);
        const int64_t from = (start + Mp3FrameSamples - 1) / Mp3FrameSamples * Mp3FrameSamples;
        if (from >= total || (!lanes.empty() && from <= lanes.back().inputFrom)) {
            continue; // too short to be a lane: the one before plays it
        }
        Lane lane;
        lane.section = s;
        lane.renderFrom = start;
        lane.inputFrom = from;
        lanes.push_back(lane);
    }
    for (size_t i = 0; i < lanes.size(); ++i) {
        Lane& lane = lanes[i];
        lane.inputTo = total;
        if (i + 1 < lanes.size()) {
            const Lane& next = lanes[i + 1];
            lane.inputTo =
                std::min(total, next.inputFrom + int64_t(OverrunFrames) * Mp3FrameSamples);
            lane.nextSection = next.section;
            lane.nextRenderFrom = next.renderFrom;
            lane.nextInputFrom = next.inputFrom;
        }
    }
    return lanes;
}

class LaneRunner {
  public:
    LaneRunner(double seconds, std::vector<Lane>* laneList) : seconds(seconds), lanes(*laneList) {
        for (const Lane& lane : lanes) {
            totalWork += lane.work();
        }
        order.resize(lanes.size());
        for (size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
            return this->lanes[a].work() > this->lanes[b].work();
        });
    }

    // Runs every lane on this thread and one more.
    bool run(Progress* display) {
        progress = display;
        std::thread helper([this] { work(); });
        work();
        helper.join();
        return !failed;
    }

  private:
    void work() {
        flushDenormalsToZero();
        for (;;) {
            const size_t k = next++;
            if (k >= order.size() || failed) {
                return;
            }
            Lane& lane = lanes[order[k]];
            lane.ok = runLane(&lane);
            if (!lane.ok) {
                failed = true;
            }
        }
    }

    bool runLane(Lane* lane) {
        Mp3Encoder encoder;
        if (!encoder.open(&lane->error)) {
            return false;
        }
        std::vector<float> left(ChunkFrames), right(ChunkFrames);
        // This lane's own music, then the next lane's.
        if (!renderInto(lane, lane->section, lane->inputFrom, lane->ownTo(), &encoder, &left,
                        &right) ||
            (lane->nextSection >= 0 && !renderInto(lane, lane->nextSection, lane->nextInputFrom,
                                                   lane->inputTo, &encoder, &left, &right))) {
            return false;
        }
        const double t = threadCpuSeconds();
        if (!encoder.finish(&lane->error)) {
            return false;
        }
        lane->encodingCpu += threadCpuSeconds() - t;
        lane->bytes = encoder.takeBytes();
        return true;
    }

    // Makes the music from the start of `section` and encodes its frames
    // [from, to): those before `from` are made (the section starts there)
    // but not encoded.
    bool renderInto(Lane* lane, int section, int64_t from, int64_t to, Mp3Encoder* encoder,
                    std::vector<float>* left, std::vector<float>* right) {
        MusicSynth synth(seconds, section);
        while (synth.position() < to) {
            if (failed) {
                lane->error = "stopped";
                return false;
            }
            const int64_t limit = synth.position() < from ? from : to;
            const int n = int(std::min<int64_t>(ChunkFrames, limit - synth.position()));
            const bool encoded = synth.position() >= from;
            double t = threadCpuSeconds();
            synth.render(left->data(), right->data(), n);
            double now = threadCpuSeconds();
            lane->synthesisCpu += now - t;
            if (encoded) {
                t = now;
                if (!encoder->encode(left->data(), right->data(), n, &lane->error)) {
                    return false;
                }
                lane->encodingCpu += threadCpuSeconds() - t;
            }
            reportProgress(n);
        }
        lane->lowestGain = std::min(lane->lowestGain, synth.lowestLimiterGain());
        return true;
    }

    void reportProgress(int frames) {
        const int64_t done = doneWork += frames;
        std::lock_guard<std::mutex> lock(progressMutex);
        progress->update(totalWork > 0 ? double(done) / double(totalWork) : 1.0);
    }

    double seconds;
    std::vector<Lane>& lanes;
    std::vector<size_t> order; // longest first
    int64_t totalWork = 0;
    std::atomic<size_t> next{0};
    std::atomic<int64_t> doneWork{0};
    std::atomic<bool> failed{false};
    std::mutex progressMutex;
    Progress* progress = nullptr;
};

// A lane's audio frames, its Info tag frame left out.
bool laneStream(const Lane& lane, Mp3Stream* stream, std::string* error) {
    std::vector<Mp3Frame> frames;
    if (!parseMp3Frames(lane.bytes.data(), lane.bytes.size(), &frames, error)) {
        *error = "lane " + std::to_string(lane.section + 1) + ": " + *error;
        return false;
    }
    if (frames.size() < 2) {
        *error = "lane " + std::to_string(lane.section + 1) + " holds no audio";
        return false;
    }
    stream->data = lane.bytes.data();
    stream->frames.assign(frames.begin() + 1, frames.end());
    stream->firstFrame = lane.firstFrame();
    return true;
}

// The last file frame of a lane that covers only music it was given.
int64_t laneUsableEnd(const Lane& lane, const Mp3Stream& stream, int64_t total) {
    if (lane.inputTo >= total) {
        return stream.endFrame(); // its end is the recording's
    }
    return std::min(stream.endFrame(), lane.inputTo / Mp3FrameSamples - TailMargin);
}

// Joins the lanes at seams and puts the Info tag in front.
bool joinLanes(std::vector<Lane>* lanes, int64_t total, std::vector<uint8_t>* file,
               MusicReport* report, bool* noSeam, std::string* error) {
    // The first lane's Info tag frame becomes the file's, filled in below.
    const std::vector<uint8_t>& first = lanes->front().bytes;
    Mp3Frame tagFrame;
    if (first.empty() || !parseMp3Frame(first.data(), first.size(), &tagFrame)) {
        *error = "the first lane has no Info tag";
        return false;
    }
    std::vector<uint8_t> tag(first.begin(), first.begin() + tagFrame.size);

    Mp3Joiner joiner;
    Mp3Stream a;
    if (!laneStream(lanes->front(), &a, error)) {
        return false;
    }
    int64_t from = a.firstFrame;
    for (size_t k = 1; k < lanes->size(); ++k) {
        Mp3Stream b;
        if (!laneStream((*lanes)[k], &b, error)) {
            return false;
        }
        const int64_t lo = std::max(b.firstFrame + SeamLead, from + 1);
        const int64_t hi = std::min({b.firstFrame + SeamLead + SeamWindow,
                                     laneUsableEnd((*lanes)[k - 1], a, total),
                                     laneUsableEnd((*lanes)[k], b, total)});
        const Mp3Seam seam = findSeam(a, b, lo, hi);
        if (seam.frame < 0) {
            // Never guess: a stream whose reservoir does not line up would
            // decode with a gap or noise.
            *error = "no frame between sections " + std::to_string((*lanes)[k - 1].section + 1) +
                     " and " + std::to_string((*lanes)[k].section + 1) +
                     " where the MP3 streams can be joined";
            *noSeam = true;
            return false;
        }
        if (!joiner.append(a, from, seam.frame)) {
            *error = "the MP3 streams could not be joined";
            return false;
        }
        ++report->seams;
        report->seamFrames.push_back(seam.frame);
        if (!seam.windowsMatch) {
            ++report->seamsWithOtherWindows;
        }
        from = seam.frame;
        a = std::move(b);
        std::vector<uint8_t>().swap((*lanes)[k - 1].bytes); // joined: free it
    }
    if (!joiner.append(a, from, a.endFrame())) {
        *error = "the MP3 streams could not be joined";
        return false;
    }
    // The joined stream must be one a decoder can follow from end to end.
    if (!checkMainData(joiner.frames(), 0, error)) {
        *error = "the joined MP3 stream is inconsistent: " + *error;
        return false;
    }
    if (!fillInfoTag(&tag, joiner.bytes().data(), joiner.frames(), total, error)) {
        return false;
    }
    file->clear();
    file->reserve(tag.size() + joiner.bytes().size());
    file->insert(file->end(), tag.begin(), tag.end());
    file->insert(file->end(), joiner.bytes().begin(), joiner.bytes().end());
    return true;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (!file) {
        *error = "cannot create \"" + part + "\": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(part.c_str(), path.c_str()) != 0) {
        *error = "cannot write \"" + path + "\": " + std::strerror(written ? errno : writeErrno);
        std::remove(part.c_str());
        return false;
    }
    return true;
}

// Makes and joins the lanes into `file`.
bool makeLanes(double seconds, bool split, Progress* progress, std::vector<uint8_t>* file,
               MusicReport* result, bool* noSeam, std::string* error) {
    const MusicSynth layout(seconds);
    std::vector<Lane> lanes = planLanes(layout, split);
    if (lanes.empty()) {
        *error = "the recording is empty";
        return false;
    }
    LaneRunner runner(seconds, &lanes);
    if (!runner.run(progress)) {
        for (const Lane& lane : lanes) {
            if (!lane.ok && !lane.error.empty() && lane.error != "stopped") {
                *error = lane.error;
                return false;
            }
        }
        *error = "the music could not be made";
        return false;
    }
    for (const Lane& lane : lanes) {
        result->synthesisCpuSeconds += lane.synthesisCpu;
        result->encodingCpuSeconds += lane.encodingCpu;
        result->lowestLimiterGain = std::min(result->lowestLimiterGain, lane.lowestGain);
    }
    result->lanes = int(lanes.size());
    return joinLanes(&lanes, layout.totalFrames(), file, result, noSeam, error);
}

} // namespace

bool writeMusic(const std::string& path, double seconds, MusicReport* report, std::string* error) {
    MusicReport result;
    Progress progress("music");
    std::vector<uint8_t> file;
    bool noSeam = false;
    if (!makeLanes(seconds, true, &progress, &file, &result, &noSeam, error)) {
        if (!noSeam) {
            return false;
        }
        // Sections too short for a seam window (very short recordings) or
        // encoders that never leave room to join: make the recording in one
        // piece instead, slower but always whole.
        std::fprintf(stderr, "glint: content: %s; making the music in one piece\n", error->c_str());
        // The first attempt's processor time counts too.
        const MusicReport first = result;
        result = MusicReport();
        result.synthesisCpuSeconds = first.synthesisCpuSeconds;
        result.encodingCpuSeconds = first.encodingCpuSeconds;
        if (!makeLanes(seconds, false, &progress, &file, &result, &noSeam, error)) {
            return false;
        }
    }
    if (!writeFile(path, file, error)) {
        return false;
    }
    result.frames = std::llround(seconds * SampleRate);
    result.wallSeconds = progress.elapsedSeconds();
    result.bytes = file.size();
    char summary[400];
    std::snprintf(summary, sizeof summary,
                  "music: %s, %.0f s of audio, %.1f MB, in %.1f s (processor time: synthesis "
                  "%.1f s, encoding %.1f s; %d lanes on 2 threads, %d seams)",
                  path.c_str(), seconds, double(file.size()) / 1e6, result.wallSeconds,
                  result.synthesisCpuSeconds, result.encodingCpuSeconds, result.lanes,
                  result.seams);
    progress.finish(summary);
    if (report) {
        *report = result;
    }
    return true;
}

} // namespace keltraWorks
