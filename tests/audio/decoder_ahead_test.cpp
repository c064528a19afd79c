// Opening a decoder ahead on a worker: what is handed over decodes and seeks
// exactly like a decoder opened on the spot, and goes only to the very file
// and sample kind it was made for.
#include "audio/bass.h"
#include "audio/byte_source.h"
#include "audio/decoder_ahead.h"
#include "tests/audio/audio_fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>
#include <unistd.h>

using keltraWorks::ByteSource;
using keltraWorks::DecoderAhead;
using keltraWorks::Mp3Decoder;
using namespace glintTest;

namespace {

std::unique_ptr<Mp3Decoder> openNow(const std::string& path, bool floats) {
    std::string error;
    auto source = ByteSource::openFile(path.c_str(), 0, 0, &error);
    return source ? Mp3Decoder::open(std::move(source), floats, &error) : nullptr;
}

std::vector<float> readFrames(Mp3Decoder& decoder, int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * decoder.channels());
    out.resize(static_cast<size_t>(decoder.read(out.data(), frames)) * decoder.channels());
    return out;
}

// The shared fixture files are written again (a new file renamed over the
// old) by every test process that uses them first, and tests run in
// parallel: a decoder prepared for one of them would rightly be refused as
// stale. Each test prepares a copy of its own.
class DecoderAheadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clicks = ownCopy(clickFile(), "clicks");
        tones = ownCopy(toneFile(), "tones");
        ASSERT_FALSE(clicks.empty());
        ASSERT_FALSE(tones.empty());
    }
    void TearDown() override {
        DecoderAhead::clear();
        for (const std::string& path : copies) {
            ::unlink(path.c_str());
        }
    }

    std::string ownCopy(const std::string& from, const std::string& name) {
        const std::string path = fixtureDir() + "/ahead-" + std::to_string(::getpid()) + "-" +
                                 name + ".mp3";
        copies.push_back(path);
        return writeBytes(path, readBytes(from)) ? path : std::string();
    }

    std::string clicks, tones;
    std::vector<std::string> copies;
};

} // namespace

TEST_F(DecoderAheadTest, TheDecoderHandedOverPlaysAndSeeksLikeOneOpenedNow) {
    DecoderAhead::start(clicks, true);
    auto ahead = DecoderAhead::take(clicks, true);
    ASSERT_TRUE(ahead);
    auto now = openNow(clicks, true);
    ASSERT_TRUE(now);
    EXPECT_EQ(ahead->lengthFrames(), clickFixture().frames());
    EXPECT_EQ(ahead->rate(), now->rate());
    EXPECT_TRUE(ahead->floatSamples());
    EXPECT_EQ(readFrames(*ahead, 5000), readFrames(*now, 5000));
    // The frame index came with it: an exact seek lands on the same samples.
    ASSERT_TRUE(ahead->seek(ClickFrames[2] - 100));
    ASSERT_TRUE(now->seek(ClickFrames[2] - 100));
    const std::vector<float> got = readFrames(*ahead, 400);
    EXPECT_EQ(got, readFrames(*now, 400));
    EXPECT_EQ(peakFrame(got.data(), 2, 0, 400), 100);
    // Handed over once.
    EXPECT_FALSE(DecoderAhead::take(clicks, true));
}

TEST_F(DecoderAheadTest, OnlyTheSameFileAndSampleKindTakeIt) {
    DecoderAhead::start(tones, true);
    EXPECT_FALSE(DecoderAhead::take(tones, false));
    EXPECT_FALSE(DecoderAhead::take(clicks, true));
    EXPECT_FALSE(DecoderAhead::take("", true));
    // Misses leave it for the right request.
    EXPECT_TRUE(DecoderAhead::take(tones, true));

    DecoderAhead::start(notMp3File(), true);
    EXPECT_FALSE(DecoderAhead::take(notMp3File(), true));
    DecoderAhead::start(fixtureDir() + "/no-such-file.mp3", true);
    EXPECT_FALSE(DecoderAhead::take(fixtureDir() + "/no-such-file.mp3", true));
}

TEST_F(DecoderAheadTest, AFileChangedAfterPreparingIsOpenedAgain) {
    const std::string copy = ownCopy(tones, "changed");
    ASSERT_FALSE(copy.empty());
    DecoderAhead::start(copy, true);
    // A request for the other sample kind misses but waits for the worker,
    // so the file is surely prepared before it changes.
    EXPECT_FALSE(DecoderAhead::take(copy, false));
    // Replaced with other bytes: the prepared decoder read the old ones.
    ASSERT_TRUE(writeBytes(copy, readBytes(clicks)));
    EXPECT_FALSE(DecoderAhead::take(copy, true));
}

TEST_F(DecoderAheadTest, AStreamCreatedAfterPreparingIsTheFilesWholeLength) {
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_StreamPrepareFile(nullptr, BASS_SAMPLE_FLOAT), 0);
    ASSERT_EQ(BASS_StreamPrepareFile(clicks.c_str(), BASS_SAMPLE_FLOAT), 1);
    const HSTREAM stream = BASS_StreamCreateFile(0, clicks.c_str(), 0, 0, BASS_SAMPLE_FLOAT);
    ASSERT_NE(stream, 0u);
    // The prepared decoder went to the stream.
    EXPECT_FALSE(DecoderAhead::take(clicks, true));
    // Positions up to the exact end are accepted, none beyond it.
    const QWORD end = QWORD(clickFixture().frames()) * 2 * 4;
    EXPECT_TRUE(BASS_ChannelSetPosition(stream, end));
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, end + 8));
    EXPECT_TRUE(BASS_StreamFree(stream));
    BASS_Free();
}
