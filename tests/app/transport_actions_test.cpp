// The transport buttons' actions and the player commands that run them,
// against the recording audio library.
#include "tests/app/player_fixture.h"

#include "app/player_commands.h"
#include "app/transport_actions.h"
#include "engine/gui/button.h"
#include "engine/gui/static.h"
#include "engine/platform/quit_request.h"

#include <utility>

using glintTest::PlayerFixture;
using keltraWorks::Button;
using keltraWorks::Object;

class Transport : public PlayerFixture {
  protected:
    void SetUp() override {
        build();
        frameAt(16.0);
    }
    void release(size_t buttonIndex) {
        Object* button = playerScreen.main->child(5)->child(buttonIndex);
        button->getAction(keltraWorks::KindRelease)->execute(button, vector2(0, 0), 1);
    }
};

TEST_F(Transport, PlayTogglesBetweenPauseAndResume) {
    release(0);
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_PAUSED));
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.playNormalImage);
    EXPECT_EQ(playerScreen.playButton->pressedImage, playerScreen.playPressedImage);
    audio.clearCalls();
    release(0);
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.pauseNormalImage);
    EXPECT_EQ(playerScreen.playButton->pressedImage, playerScreen.pausePressedImage);
    // A paused stream continues: no restart.
    EXPECT_EQ(audio.callTexts().back(), "BASS_ChannelPlay(" + std::to_string(stream()) + ",0)");
}

TEST_F(Transport, StopRewindsShowsPlayAndTheFirstTrack) {
    release(3); // next: track 2
    ASSERT_EQ(trackPlayer.currentTrack(), 1);
    release(1);
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(trackPlayer.currentTrack(), 0);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[0]);
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.playNormalImage);
    // From stopped, play starts the first track at 0:00.
    audio.setPositionSeconds(stream(), 42.0);
    release(0);
    EXPECT_DOUBLE_EQ(audio.positionSeconds(stream()), 0.0);
}

// The track chosen while stopped is the one that plays, and its name stays,
// wherever the stream stood (here: stopped at the end of the file).
TEST_F(Transport, PlayAfterStopAndNextPlaysTheShownTrackFromItsStart) {
    release(1); // stop
    release(3); // next: track 2
    audio.setPositionSeconds(stream(), 5920.0);
    release(0); // play
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_DOUBLE_EQ(audio.positionSeconds(stream()), 1234.0);
    audio.setPositionSeconds(stream(), 1235.5);
    frameAt(17.0);
    EXPECT_EQ(trackPlayer.currentTrack(), 1);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[1]);
    EXPECT_EQ(playerScreen.playButton->image, playerScreen.pauseNormalImage);
}

// The commands for keys and media controls run the buttons' own actions;
// Play and Pause act only when that changes something.
TEST_F(Transport, PlayAndPauseCommandsActOnlyWhenThatChangesSomething) {
    const std::pair<PlayerCommand, DWORD> steps[] = {
        {PlayerCommand::Play, BASS_ACTIVE_PLAYING}, {PlayerCommand::Pause, BASS_ACTIVE_PAUSED},
        {PlayerCommand::Pause, BASS_ACTIVE_PAUSED}, {PlayerCommand::Play, BASS_ACTIVE_PLAYING},
        {PlayerCommand::Play, BASS_ACTIVE_PLAYING}, {PlayerCommand::PlayPause, BASS_ACTIVE_PAUSED}};
    for (const auto& [command, state] : steps) {
        runPlayerCommand(command);
        EXPECT_EQ(audio.stream(stream()).state, state);
        const bool playing = state == BASS_ACTIVE_PLAYING;
        EXPECT_EQ(playerScreen.playButton->image,
                  playing ? playerScreen.pauseNormalImage : playerScreen.playNormalImage);
        EXPECT_EQ(playerScreen.playButton->pressedImage,
                  playing ? playerScreen.pausePressedImage : playerScreen.playPressedImage);
    }
}

TEST_F(Transport, PreviousAndNextWrapAndSeekWithoutChangingThePlayState) {
    release(2); // previous from the first track: the last
    EXPECT_EQ(trackPlayer.currentTrack(), 9);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[9]);
    EXPECT_DOUBLE_EQ(audio.positionSeconds(stream()), 5653.0);
    EXPECT_EQ(audio.stream(stream()).state, DWORD(BASS_ACTIVE_PLAYING));
    release(3); // next from the last: the first
    EXPECT_EQ(trackPlayer.currentTrack(), 0);
    EXPECT_EQ(playerScreen.trackName->texture, playerScreen.trackImages[0]);
    EXPECT_DOUBLE_EQ(audio.positionSeconds(stream()), 0.0);
}

TEST_F(Transport, CloseButtonPostsAQuit) {
    Object* close = playerScreen.main->child(0);
    close->getAction(keltraWorks::KindRelease)->execute(close, vector2(0, 0), 0);
    int code = -1;
    EXPECT_TRUE(keltraWorks::takeQuitMessage(&code));
    EXPECT_EQ(code, 0);
}
