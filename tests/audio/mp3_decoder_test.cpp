// The decoder over fixtures made with LAME: format, exact length, exact
// seeking, and the inputs it must refuse.
#include "audio/mp3_decoder.h"
#include "tests/audio/audio_fixtures.h"

#include <gtest/gtest.h>

using keltraWorks::ByteSource;
using keltraWorks::Mp3Decoder;
using namespace glintTest;

namespace {

std::unique_ptr<Mp3Decoder> openPath(const std::string& path, bool floats, std::string* error) {
    auto source = ByteSource::openFile(path.c_str(), 0, 0, error);
    return source ? Mp3Decoder::open(std::move(source), floats, error) : nullptr;
}

std::vector<float> readAll(Mp3Decoder& decoder, int block = 1000) {
    std::vector<float> out;
    std::vector<float> buffer(static_cast<size_t>(block) * decoder.channels());
    int got;
    while ((got = decoder.read(buffer.data(), block)) > 0) {
        out.insert(out.end(), buffer.begin(), buffer.begin() + got * decoder.channels());
    }
    return out;
}

} // namespace

TEST(Mp3Decoder, KeepsTheFilesFormatAndExactLength) {
    std::string error;
    auto stereo = openPath(clickFile(), true, &error);
    ASSERT_TRUE(stereo) << error;
    EXPECT_EQ(stereo->rate(), 44100);
    EXPECT_EQ(stereo->channels(), 2);
    EXPECT_TRUE(stereo->floatSamples());
    EXPECT_EQ(stereo->bytesPerSample(), 4);
    // Gapless: encoder delay and padding are gone.
    EXPECT_EQ(stereo->lengthFrames(), clickFixture().frames());

    auto mono = openPath(monoFile(), false, &error);
    ASSERT_TRUE(mono) << error;
    EXPECT_EQ(mono->rate(), 22050);
    EXPECT_EQ(mono->channels(), 1);
    EXPECT_FALSE(mono->floatSamples());
    EXPECT_EQ(mono->bytesPerSample(), 2);
    EXPECT_EQ(mono->lengthFrames(), monoFixture().frames());
}

TEST(Mp3Decoder, DecodesWhatAnIndependentDecoderDecodes) {
    int rate = 0;
    int channels = 0;
    std::vector<float> expected = decodeMp3(toneFile(), &rate, &channels);
    std::string error;
    auto decoder = openPath(toneFile(), true, &error);
    ASSERT_TRUE(decoder) << error;
    std::vector<float> got = readAll(*decoder, 777);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(decoder->atEnd());

    // 16-bit samples are the same sound, to 16-bit precision.
    auto shorts = openPath(toneFile(), false, &error);
    ASSERT_TRUE(shorts) << error;
    std::vector<float> coarse = readAll(*shorts);
    ASSERT_EQ(coarse.size(), expected.size());
    for (size_t i = 0; i < coarse.size(); i += 97) {
        EXPECT_NEAR(coarse[i], expected[i], 2.0 / 32768) << i;
    }
}

TEST(Mp3Decoder, ClicksLandOnTheirFrames) {
    int rate = 0;
    int channels = 0;
    std::vector<float> pcm = decodeMp3(clickFile(), &rate, &channels);
    for (int64_t click : ClickFrames) {
        EXPECT_EQ(peakFrame(pcm.data(), channels, click - 2000, click + 2000), click);
    }
}

TEST(Mp3Decoder, SeeksToTheExactFrameInCbrAndVbrFiles) {
    for (const std::string& path : {toneFile(), vbrFile(), monoFile()}) {
        int rate = 0;
        int channels = 0;
        std::vector<float> expected = decodeMp3(path, &rate, &channels);
        std::string error;
        auto decoder = openPath(path, true, &error);
        ASSERT_TRUE(decoder) << path << ": " << error;
        // Forwards, backwards, mid-frame, the very end.
        int64_t length = decoder->lengthFrames();
        for (int64_t frame :
             {length * 3 / 4 + 1, int64_t{1}, length / 3 + 7, int64_t{0}, length - 5}) {
            ASSERT_TRUE(decoder->seek(frame)) << path << " " << frame;
            std::vector<float> got(5 * static_cast<size_t>(channels));
            ASSERT_EQ(decoder->read(got.data(), 5), 5) << path << " " << frame;
            // Equal to float rounding: neighbouring frames differ by far more.
            for (size_t i = 0; i < got.size(); ++i) {
                EXPECT_NEAR(got[i], expected[static_cast<size_t>(frame * channels) + i], 1e-5)
                    << path << " at " << frame;
            }
        }
        EXPECT_TRUE(decoder->seek(decoder->lengthFrames()));
        float spare[2];
        EXPECT_EQ(decoder->read(spare, 1), 0);
        EXPECT_FALSE(decoder->seek(decoder->lengthFrames() + 1));
    }
}

TEST(Mp3Decoder, TruncatedFilePlaysUpToTheCut) {
    std::string error;
    auto decoder = openPath(truncatedFile(), true, &error);
    ASSERT_TRUE(decoder) << error;
    int64_t full = toneFixture().frames();
    EXPECT_GT(decoder->lengthFrames(), full / 2);
    EXPECT_LT(decoder->lengthFrames(), full * 7 / 10);
    std::vector<float> all = readAll(*decoder);
    EXPECT_NEAR(static_cast<double>(all.size() / 2), static_cast<double>(decoder->lengthFrames()),
                1152.0);
}

TEST(Mp3Decoder, RefusesWhatIsNotMusic) {
    std::string error;
    EXPECT_FALSE(openPath(notMp3File(), true, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ByteSource::openFile("no/such/file.mp3", 0, 0, &error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(ByteSource::openFile(fixtureDir().c_str(), 0, 0, &error));
    std::vector<uint8_t> empty;
    ASSERT_TRUE(writeBytes(fixtureDir() + "/empty.mp3", empty));
    EXPECT_FALSE(openPath(fixtureDir() + "/empty.mp3", true, &error));
}

TEST(Mp3Decoder, ReadsAByteRangeOfMemoryOrFile) {
    std::vector<uint8_t> bytes = readBytes(monoFile());
    std::vector<uint8_t> padded(100 + bytes.size() + 50, 0x55);
    std::copy(bytes.begin(), bytes.end(), padded.begin() + 100);
    std::string error;
    auto fromMemory = Mp3Decoder::open(
        ByteSource::borrowMemory(padded.data(), 100, bytes.size(), &error), true, &error);
    ASSERT_TRUE(fromMemory) << error;
    EXPECT_EQ(fromMemory->lengthFrames(), monoFixture().frames());

    ASSERT_TRUE(writeBytes(fixtureDir() + "/padded.mp3", padded));
    auto range =
        ByteSource::openFile((fixtureDir() + "/padded.mp3").c_str(), 100, bytes.size(), &error);
    ASSERT_TRUE(range) << error;
    auto fromFile = Mp3Decoder::open(std::move(range), true, &error);
    ASSERT_TRUE(fromFile) << error;
    EXPECT_EQ(readAll(*fromFile), readAll(*fromMemory));

    EXPECT_FALSE(
        ByteSource::openFile((fixtureDir() + "/padded.mp3").c_str(), 0, padded.size() + 1, &error));
}
