// The real player as a desktop program: its command line, and the signals
// that end it.
#include "tests/e2e/player_run.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>

namespace glintE2e {
namespace {

struct Ended {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program with `args` and no display at all, to its end.
Ended runWithoutDisplay(const std::vector<std::string>& args) {
    TempFolder folder;
    SpawnOptions options;
    options.argv = {GLINT_PROGRAM};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.env = environmentWith({"DISPLAY", "WAYLAND_DISPLAY"});
    options.workDir = folder.path();
    options.stdoutPath = folder.path("out.txt");
    options.stderrPath = folder.path("err.txt");
    ChildProcess program;
    std::string error;
    Ended ended;
    EXPECT_TRUE(program.start(options, &error)) << error;
    EXPECT_TRUE(program.waitFor(5000, &ended.status)) << "still running after 5 s";
    ended.out = readFile(folder.path("out.txt"));
    ended.err = readFile(folder.path("err.txt"));
    return ended;
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

#ifdef GLINT_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
// An end signal ends the program at once; a sanitizer build's leak scan
// after main returns takes up to a few seconds on a busy machine.
constexpr int EndMilliseconds = Sanitized ? 5000 : 1000;

// The process that shows `window`, as its _NET_WM_PID says; 0 when unknown.
pid_t windowPid(const DesktopDriver& desktop, unsigned long window) {
    std::string out;
    if (!runTool({"xdotool", "getwindowpid", std::to_string(window)}, desktop.environment(), 5000,
                 &out)) {
        return 0;
    }
    return static_cast<pid_t>(std::atol(out.c_str()));
}

// Without a display the player itself would end with 1 at its dialog, so
// exit value 0 shows that help and version come before any of that.
TEST(CommandLine, HelpAndVersionPrintToStdoutWithoutADisplay) {
    const Ended help = runWithoutDisplay({"--help"});
    EXPECT_TRUE(exitedWith(help.status, 0)) << describeStatus(help.status) << help.err;
    EXPECT_EQ(help.out.rfind("usage: glint [--help | --version]\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const Ended version = runWithoutDisplay({"--version"});
    EXPECT_TRUE(exitedWith(version.status, 0)) << describeStatus(version.status);
    EXPECT_EQ(version.out.rfind("glint ", 0), 0u) << version.out;
    EXPECT_EQ(version.out.back(), '\n');
    EXPECT_EQ(version.err, "");
}

TEST(CommandLine, AnyOtherArgumentPrintsOneUsageLineAndEndsWithTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--verbose"}, {"-h"}, {"--help", "now"}, {"song.mp3"}}) {
        const Ended ended = runWithoutDisplay(args);
        EXPECT_TRUE(exitedWith(ended.status, 2)) << args[0] << ": " << describeStatus(ended.status);
        EXPECT_EQ(ended.out, "");
        const std::string named = "\"" + args.back() + "\"";
        EXPECT_NE(ended.err.find(named), std::string::npos) << ended.err;
        EXPECT_NE(ended.err.find("usage: glint [--help | --version]\n"), std::string::npos)
            << ended.err;
        EXPECT_EQ(ended.err.find('\n'), ended.err.size() - 1) << "one line: " << ended.err;
    }
}

class EndSignals : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(run.ready()) << run.failure();
        ASSERT_TRUE(run.copyAllContent());
        ASSERT_TRUE(run.start());
    }
    PlayerRun run;
};

// A logout sends SIGTERM: no closing sequence, the window goes and the
// program ends with 0 after its usual teardown.
TEST_F(EndSignals, TermEndsTheRunningPlayerAtOnceWithZero) {
    ASSERT_TRUE(run.answerDialog("Return"));
    ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();
    run.waitUntilShown(1.0);
    const unsigned long window = run.desktop().findWindow(PlayerTitle);
    const pid_t pid = windowPid(run.desktop(), window);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    EXPECT_TRUE(run.desktop().waitUntilNotViewable(window, 1000));
    int status = 0;
    ASSERT_TRUE(run.waitExit(EndMilliseconds, &status)) << "still running after SIGTERM";
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status) << run.stderrText();
    EXPECT_EQ(run.stderrText(), "");
}

TEST_F(EndSignals, HangupDuringTheSetupDialogEndsWithZeroAndNoPlayerWindow) {
    const unsigned long dialog = run.desktop().waitForViewable(SetupTitle, 15000);
    ASSERT_NE(dialog, 0u);
    const pid_t pid = windowPid(run.desktop(), dialog);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGHUP), 0);
    int status = 0;
    ASSERT_TRUE(run.waitExit(EndMilliseconds, &status)) << "still running after SIGHUP";
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status) << run.stderrText();
    EXPECT_EQ(run.desktop().findWindow(PlayerTitle), 0u);
}

} // namespace
} // namespace glintE2e
