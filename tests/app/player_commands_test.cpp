// The player's commands for keys and media controls act as its buttons do,
// pictures included, against the recording audio library.
#include "app/player_commands.h"
#include "tests/app/player_fixture.h"

#include "engine/gui/button.h"
#include "engine/gui/static.h"
#include "engine/platform/quit_request.h"

using glintTest::PlayerFixture;

class PlayerCommands : public PlayerFixture {
  protected:
    void SetUp() override {
        build();
        frameAt(16.0); // the music plays and every control is shown
    }
    DWORD state() { return audio.stream(stream()).state; }
};

TEST_F(PlayerCommands, PlayAndPauseOnlyEverPlayOrPauseAndSwitchThePlayButton) {
    runPlayerCommand(PlayerCommand::Play);
    EXPECT_EQ(state(), DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_EQ(audio.count("BASS_ChannelPause"), 0) << "play while playing changes nothing";
    for (int i = 0; i < 2; ++i) {
        runPlayerCommand(PlayerCommand::Pause);
        EXPECT_EQ(state(), DWORD(BASS_ACTIVE_PAUSED));
        EXPECT_EQ(playerScreen.playButton->image, playerScreen.playNormalImage);
        EXPECT_EQ(playerScreen.playButton->pressedImage, playerScreen.playPressedImage);
    }
    for (int i = 0; i < 2; ++i) {
        runPlayerCommand(PlayerCommand::Play);
        EXPECT_EQ(state(), DWORD(BASS_ACTIVE_PLAYING));
        EXPECT_EQ(playerScreen.playButton->image, playerScreen.pauseNormalImage);
        EXPECT_EQ(playerScreen.playButton->pressedImage, playerScreen.pausePressedImage);
    }
    runPlayerCommand(PlayerCommand::PlayPause);
    EXPECT_EQ(state(), DWORD(BASS_ACTIVE_PAUSED));
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.playNormalImage);
}

TEST_F(PlayerCommands, StopNextPreviousAndCloseActAsTheirButtons) {
    runPlayerCommand(PlayerCommand::Next);
    runPlayerCommand(PlayerCommand::Next);
    EXPECT_EQ(trackPlayer.currentTrack(), 2);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[2]);
    EXPECT_DOUBLE_EQ(audio.positionSeconds(stream()), 1611.0);
    runPlayerCommand(PlayerCommand::Previous);
    EXPECT_EQ(trackPlayer.currentTrack(), 1);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[1]);
    EXPECT_EQ(state(), DWORD(BASS_ACTIVE_PLAYING));

    runPlayerCommand(PlayerCommand::Stop);
    EXPECT_EQ(state(), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(trackPlayer.currentTrack(), 0);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[0]);
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.playNormalImage);

    int code = -1;
    EXPECT_FALSE(keltraWorks::takeQuitMessage(&code));
    runPlayerCommand(PlayerCommand::Close);
    EXPECT_TRUE(keltraWorks::takeQuitMessage(&code));
    EXPECT_EQ(code, 0);
}
