#include "tools/content/mp3_frames.h"

namespace keltraWorks {

namespace {

// MPEG-1 Layer III bit rates by index, kbit/s; 0 is free format.
constexpr int BitratesKbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                  112, 128, 160, 192, 224, 256, 320, 0};
constexpr int SampleRates[4] = {44100, 48000, 32000, 0};

// Reads bits most significant first.
class BitReader {
  public:
    explicit BitReader(const uint8_t* bytes) : bytes(bytes) {}
    int read(int n) {
        int v = 0;
        for (int i = 0; i < n; ++i) {
            v = v << 1 | (bytes[at >> 3] >> (7 - (at & 7)) & 1);
            ++at;
        }
        return v;
    }

  private:
    const uint8_t* bytes;
    size_t at = 0;
};

} // namespace

bool parseMp3Frame(const uint8_t* data, size_t size, Mp3Frame* frame) {
    if (size < 4 || data[0] != 0xff || (data[1] & 0xe0) != 0xe0) {
        return false;
    }
    const int version = data[1] >> 3 & 3; // 3: MPEG-1
    const int layer = data[1] >> 1 & 3;   // 1: Layer III
    const bool crc = (data[1] & 1) == 0;
    const int bitrate = BitratesKbps[data[2] >> 4];
    const int rate = SampleRates[data[2] >> 2 & 3];
    const int padding = data[2] >> 1 & 1;
    const int mode = data[3] >> 6;
    if (version != 3 || layer != 1 || bitrate == 0 || rate == 0) {
        return false;
    }
    Mp3Frame f;
    f.size = 144 * bitrate * 1000 / rate + padding;
    f.bitrateKbps = bitrate;
    f.sampleRate = rate;
    f.channels = mode == 3 ? 1 : 2;
    f.modeExtension = data[3] >> 4 & 3;
    const int sideInfo = f.channels == 1 ? 17 : 32;
    f.regionStart = 4 + (crc ? 2 : 0) + sideInfo;
    if (size < size_t(f.size) || f.regionStart > f.size) {
        return false;
    }
    BitReader bits(data + 4 + (crc ? 2 : 0));
    f.mainDataBegin = bits.read(9);
    bits.read(f.channels == 1 ? 5 : 3); // private bits
    bits.read(4 * f.channels);          // scale factor selection
    for (int granule = 0; granule < 2; ++granule) {
        for (int ch = 0; ch < f.channels; ++ch) {
            f.mainDataBits += bits.read(12); // part2_3_length
            bits.read(9 + 8 + 4);            // big_values, global_gain, scalefac_compress
            int blockType = 0;
            if (bits.read(1)) { // window switching
                blockType = bits.read(2);
                bits.read(1 + 2 * 5 + 3 * 3); // mixed flag, tables, subblock gains
            } else {
                bits.read(3 * 5 + 4 + 3); // tables, region counts
            }
            bits.read(3); // preflag, scalefac_scale, count1table_select
            if (granule == 1) {
                f.lastBlockType[size_t(ch)] = blockType;
            }
        }
    }
    *frame = f;
    return true;
}

bool parseMp3Frames(const uint8_t* data, size_t size, std::vector<Mp3Frame>* frames,
                    std::string* error) {
    frames->clear();
    size_t at = 0;
    while (at < size) {
        Mp3Frame f;
        if (!parseMp3Frame(data + at, size - at, &f)) {
            *error = "no whole MPEG-1 Layer III frame at byte " + std::to_string(at);
            return false;
        }
        f.offset = at;
        frames->push_back(f);
        at += size_t(f.size);
    }
    return true;
}

bool checkMainData(const std::vector<Mp3Frame>& frames, size_t first, std::string* error) {
    // Positions count bytes of the main-data stream: the regions of frames
    // [first, k) laid end to end.
    int64_t regionStart = 0;
    int64_t previousEnd = 0;
    for (size_t k = first; k < frames.size(); ++k) {
        const Mp3Frame& f = frames[k];
        const int64_t begin = regionStart - f.mainDataBegin;
        const int64_t end = begin + f.mainDataBytes();
        const char* fault = nullptr;
        if (begin < 0) {
            fault = "reaches back before the stream's first region";
        } else if (begin < previousEnd) {
            fault = "overlaps the previous frame's main data";
        } else if (end > regionStart + f.regionSize()) {
            fault = "runs past its own region";
        }
        if (fault) {
            *error = "frame " + std::to_string(k) + " " + fault;
            return false;
        }
        previousEnd = end;
        regionStart += f.regionSize();
    }
    return true;
}

} // namespace keltraWorks
