// Writes the starting corpora of the fuzz targets: small valid inputs of
// every kind the readers meet, so the fuzzer starts deep inside the formats.
//
//   fuzz_seeds DIR    writes DIR/archive, DIR/picture and DIR/stream
//
// Pictures cover every PNG colour type and the depths DevIL treats apart;
// streams cover MPEG-1, -2 and -2.5 rates, mono and stereo, CBR and VBR;
// archives hold such pictures, plus the directory shapes the reader must
// take (empty, duplicate names, an empty entry, a 255-byte name). All
// deterministic and a few kilobytes each.
#include "engine/vfs/archive_format.h"
#include "engine/vfs/archive_writer.h"
#include "tests/support/audio/mp3_fixture.h"
#include "tools/content/png_writer.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

using Bytes = std::vector<uint8_t>;
using keltraWorks::PngPicture;

namespace {

bool failed = false;

void put(const std::string& path, const Bytes& bytes) {
    std::string error;
    if (!keltraWorks::writeFileAtomically(path, bytes, &error)) {
        std::fprintf(stderr, "glint: fuzz: %s\n", error.c_str());
        failed = true;
    }
}

// A picture's rows filled with a simple pattern.
PngPicture picture(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType) {
    PngPicture p;
    p.width = width;
    p.height = height;
    p.bitDepth = depth;
    p.colourType = colourType;
    const size_t samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    const size_t rowBytes = (size_t(width) * samples * depth + 7) / 8;
    for (size_t i = 0; i < rowBytes * height; ++i) {
        p.rows.push_back(uint8_t(i * 37 + 11));
    }
    if (colourType == 3) {
        for (int i = 0; i < (1 << (depth < 8 ? depth : 8)); ++i) {
            p.palette.insert(p.palette.end(), {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3)});
        }
        // Palette indices must stay within the palette.
        for (auto& b : p.rows) {
            b = depth == 8 ? uint8_t(b & 0x0F) : b;
        }
    }
    return p;
}

std::vector<Bytes> pictures() {
    std::vector<Bytes> all;
    all.push_back(keltraWorks::encodePng(2, 2, false, Bytes(12, 0xFF)));
    all.push_back(encodePng(picture(17, 5, 8, 2))); // RGB, padded to 32 x 16
    all.push_back(encodePng(picture(3, 2, 8, 6)));  // RGBA
    all.push_back(encodePng(picture(4, 4, 8, 0)));  // grey
    all.push_back(encodePng(picture(5, 3, 1, 0)));  // 1-bit grey
    all.push_back(encodePng(picture(2, 2, 16, 0))); // 16-bit grey
    all.push_back(encodePng(picture(3, 3, 8, 4)));  // grey with alpha
    all.push_back(encodePng(picture(2, 3, 16, 2))); // 16-bit RGB
    all.push_back(encodePng(picture(2, 2, 16, 6))); // 16-bit RGBA
    all.push_back(encodePng(picture(6, 2, 4, 3)));  // 4-bit palette
    PngPicture withAlpha = picture(4, 4, 8, 3);     // palette with tRNS
    withAlpha.transparency = {0, 128, 255};
    all.push_back(encodePng(withAlpha));
    PngPicture keyed = picture(3, 3, 8, 2); // RGB with a transparent colour
    keyed.transparency = {0, 11, 0, 48, 0, 85};
    all.push_back(encodePng(keyed));
    return all;
}

struct Record {
    std::string name;
    int32_t size;
    int32_t offset;
};

// An archive written byte by byte, for shapes the writer never makes.
Bytes rawArchive(const std::vector<Record>& records, const Bytes& tail) {
    Bytes out = {'V', 'F', 'S', 0};
    for (const Record& r : records) {
        out.insert(out.end(), {'D', 'A', 'T', 0});
        out.insert(out.end(), r.name.begin(), r.name.end());
        out.push_back(0);
        uint8_t le[8];
        keltraWorks::putLe32(le, uint32_t(r.size));
        keltraWorks::putLe32(le + 4, uint32_t(r.offset));
        out.insert(out.end(), le, le + 8);
    }
    out.insert(out.end(), {'E', 'N', 'D', 0});
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

void writeArchives(const std::string& dir, const std::vector<Bytes>& pngs) {
    keltraWorks::ArchiveWriter writer;
    std::string error;
    writer.addBytes("data/logo.png", pngs[0], &error);
    writer.addBytes("data/gui/play_on.png", pngs[2], &error);
    writer.addBytes("data/font/dots.png", pngs[10], &error);
    writer.addBytes("data/empty.png", {}, &error);
    if (!writer.write(dir + "/player.zuo", &error)) {
        std::fprintf(stderr, "glint: fuzz: %s\n", error.c_str());
        failed = true;
    }

    put(dir + "/empty.zuo", rawArchive({}, {}));
    const Bytes& png = pngs[3];
    const int32_t size = int32_t(png.size());
    // Two records of one name (the later wins), both pointing at the data.
    const auto start = int32_t(keltraWorks::directorySize({"a.png", "a.png"}));
    put(dir + "/duplicate.zuo", rawArchive({{"a.png", 4, start}, {"a.png", size, start}}, png));
    const std::string longName(keltraWorks::MaxNameLength, 'n');
    const auto after = int32_t(keltraWorks::directorySize({longName}));
    put(dir + "/long_name.zuo", rawArchive({{longName, size, after}}, png));
}

void writeStreams(const std::string& dir) {
    struct Kind {
        const char* name;
        int rate;
        int channels;
        double seconds;
        int kbps;
        bool vbr;
    };
    const Kind kinds[] = {
        {"stereo_44k_cbr.mp3", 44100, 2, 0.3, 128, false},
        {"mono_22k.mp3", 22050, 1, 0.3, 32, false},
        {"mono_8k.mp3", 8000, 1, 0.5, 8, false},
        {"stereo_48k_vbr.mp3", 48000, 2, 0.3, 0, true},
    };
    for (const Kind& k : kinds) {
        glintTest::Mp3Fixture f;
        f.rate = k.rate;
        f.channels = k.channels;
        f.seconds = k.seconds;
        f.kbps = k.vbr ? 128 : k.kbps;
        f.vbr = k.vbr;
        f.toneLeft = 440.0f;
        f.toneRight = 660.0f;
        f.noiseLevel = 0.05f;
        f.clicks = {int64_t(k.rate / 10)};
        if (!f.write(dir + "/" + k.name)) {
            std::fprintf(stderr, "glint: fuzz: cannot encode %s\n", k.name);
            failed = true;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const std::string root = argv[1];
    for (const char* sub : {"", "/archive", "/picture", "/stream"}) {
        ::mkdir((root + sub).c_str(), 0755);
    }
    const std::vector<Bytes> pngs = pictures();
    for (size_t i = 0; i < pngs.size(); ++i) {
        put(root + "/picture/seed" + std::to_string(i) + ".png", pngs[i]);
    }
    writeArchives(root + "/archive", pngs);
    writeStreams(root + "/stream");
    return failed ? 1 : 0;
}
