// The order of start-up and shutdown and the exit values, with steps that
// only record themselves.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingSteps : public StartupSteps {
  public:
    SetupResult setup = SetupResult::Ok;
    bool chooseFullscreen = false;
    bool windowOk = true;
    bool rendererOk = true;
    bool audioOk = true;
    bool screenOk = true;
    int loopResult = 0;
    std::vector<std::string> log;
    std::string errorText;

    SetupResult runSetup(bool* fullscreen) override {
        log.push_back("setup");
        *fullscreen = chooseFullscreen;
        return setup;
    }
    bool createWindow(bool fullscreen) override {
        log.push_back(fullscreen ? "window(fullscreen)" : "window(windowed)");
        return windowOk;
    }
    bool createRenderer() override {
        log.push_back("renderer");
        return rendererOk;
    }
    void setTitle(const char* title) override { log.push_back(std::string("title:") + title); }
    bool initAudio() override {
        log.push_back("audio");
        return audioOk;
    }
    void reportError(const char* caption, const char* text) override {
        log.push_back(std::string("error:") + caption);
        errorText = text;
    }
    void mountArchive() override { log.push_back("mount"); }
    void openMusic() override { log.push_back("music"); }
    bool buildScreen() override {
        log.push_back("screen");
        return screenOk;
    }
    void showWindow() override { log.push_back("show"); }
    void settleDisplay() override { log.push_back("settle"); }
    void startOpening() override { log.push_back("opening"); }
    int runLoop() override {
        log.push_back("loop");
        return loopResult;
    }
    void unmountArchive() override { log.push_back("unmount"); }
    void closeMusic() override { log.push_back("close music"); }
    void freeAudio() override { log.push_back("free audio"); }
    void releaseRenderer() override { log.push_back("release renderer"); }
    void destroyWindow() override { log.push_back("destroy window"); }
};

using Log = std::vector<std::string>;

const Log teardown = {"unmount", "close music", "free audio", "release renderer", "destroy window"};

Log concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(Startup, NormalRunFollowsTheFixedOrderAndReturnsTheLoopsCode) {
    RecordingSteps steps;
    steps.loopResult = 0;
    EXPECT_EQ(runGlint(steps), 0);
    EXPECT_EQ(steps.log,
              concat({"setup", "window(windowed)", "renderer", "title:TEV/VORMILA :: [ GLINT ]",
                      "audio", "mount", "music", "screen", "show", "settle", "opening", "loop"},
                     teardown));
}

TEST(Startup, FullScreenChoiceReachesTheWindow) {
    RecordingSteps steps;
    steps.chooseFullscreen = true;
    runGlint(steps);
    EXPECT_EQ(steps.log.at(1), "window(fullscreen)");
}

TEST(Startup, CancelledDialogCreatesNothing) {
    RecordingSteps steps;
    steps.setup = StartupSteps::SetupResult::Cancelled;
    EXPECT_EQ(runGlint(steps), 0);
    EXPECT_EQ(steps.log, Log{"setup"});
}

TEST(Startup, NoDisplayEndsWithOneNotZero) {
    RecordingSteps steps;
    steps.setup = StartupSteps::SetupResult::NoDisplay;
    EXPECT_EQ(runGlint(steps), 1);
    EXPECT_EQ(steps.log, Log{"setup"});
}

TEST(Startup, AudioFailureShowsTheMessageAndReleasesWithoutMounting) {
    RecordingSteps steps;
    steps.audioOk = false;
    EXPECT_EQ(runGlint(steps), -1);
    EXPECT_EQ(steps.log,
              (Log{"setup", "window(windowed)", "renderer", "title:TEV/VORMILA :: [ GLINT ]",
                   "audio", "error:[GLINT] Error", "release renderer", "destroy window"}));
    EXPECT_EQ(steps.errorText, "Cannot initialize sound system!");
}

TEST(Startup, MissingWindowOrContextEndsWithOneAndNeverRunsTheLoop) {
    RecordingSteps noWindow;
    noWindow.windowOk = false;
    EXPECT_EQ(runGlint(noWindow), 1);
    EXPECT_EQ(noWindow.log,
              (Log{"setup", "window(windowed)", "error:[GLINT] Error", "destroy window"}));

    RecordingSteps noContext;
    noContext.rendererOk = false;
    EXPECT_EQ(runGlint(noContext), 1);
    EXPECT_EQ(noContext.log, (Log{"setup", "window(windowed)", "renderer", "error:[GLINT] Error",
                                  "release renderer", "destroy window"}));
}

TEST(Startup, ScreenNotBuiltRunsTheNormalShutdownAndEndsWithOne) {
    RecordingSteps steps;
    steps.screenOk = false;
    EXPECT_EQ(runGlint(steps), 1);
    EXPECT_EQ(steps.log,
              concat({"setup", "window(windowed)", "renderer", "title:TEV/VORMILA :: [ GLINT ]",
                      "audio", "mount", "music", "screen"},
                     teardown));
}
