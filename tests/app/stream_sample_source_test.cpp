// The oscilloscope's reads of the music stream, against the recording
// stand-in of the audio library.
#include "app/stream_sample_source.h"

#include "tests/support/audio/audio_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using glintTest::AudioRecorder;

TEST(StreamSampleSource, ReadsFloatSamplesOfTheStreamInOneRequest) {
    AudioRecorder audio;
    const HSTREAM stereo = audio.addStream(2);
    audio.stream(stereo).samples = {0.25f, -0.5f, 0.75f};
    StreamSampleSource source(stereo);
    EXPECT_EQ(source.channels(), 2u);
    std::vector<float> out(2048, 9.0f);
    std::size_t written = 0;
    ASSERT_TRUE(source.read(out.data(), out.size(), &written));
    EXPECT_EQ(written, 2048u);
    EXPECT_EQ(out[1], -0.5f);
    EXPECT_EQ(out[2047], 0.0f);
    const std::string handle = std::to_string(stereo);
    EXPECT_EQ(audio.callTexts(),
              std::vector<std::string>({"BASS_ChannelGetInfo(" + handle + ",info)",
                                        "BASS_ChannelGetData(" + handle + ",buf,0x40002000)"}));
}

TEST(StreamSampleSource, NoStreamOrAFreedOneHasNothingToRead) {
    AudioRecorder audio;
    const HSTREAM gone = audio.addStream(2);
    audio.free(gone);
    for (HSTREAM handle : {HSTREAM(0), gone}) {
        StreamSampleSource source(handle);
        EXPECT_EQ(source.channels(), 0u);
        float out[4] = {};
        std::size_t written = 7;
        EXPECT_FALSE(source.read(out, 4, &written));
        EXPECT_EQ(written, 7u);
    }
}
