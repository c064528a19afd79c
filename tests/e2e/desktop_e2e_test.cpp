// The real player as a desktop program: its command line, the signals that
// end it, its media controls and its keys. The test runs under its own
// dbus-run-session: MPRIS is driven with dbus-send and watched with
// dbus-monitor on that private session bus, and the keys, typed into the
// window with xdotool, are read back over MPRIS. The generated short test
// content names its tracks in data/tracks.txt.
#include "tests/e2e/player_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>
#include <thread>

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

const char* const BusName = "org.mpris.MediaPlayer2.glint";
const char* const ObjectPath = "/org/mpris/MediaPlayer2";
const std::string RootInterface = "org.mpris.MediaPlayer2";
const std::string PlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr int ChangeMilliseconds = 3000;

std::vector<std::string> contentTitles() {
    std::istringstream lines(readFile(contentPath("data/tracks.txt")));
    std::vector<std::string> titles;
    for (std::string line; std::getline(lines, line);) {
        titles.push_back(line);
    }
    return titles;
}

// A call on the player's object with dbus-send; the reply as it prints it
// ("   variant       string \"Playing\"" ...), or "<failed>".
std::string dbusSend(const std::string& member, const std::vector<std::string>& args = {}) {
    std::vector<std::string> argv{"dbus-send",     "--session",
                                  "--print-reply", std::string("--dest=") + BusName,
                                  ObjectPath,      member};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out;
    return runTool(argv, environmentWith({}), 5000, &out) ? out : "<failed>";
}

std::string property(const std::string& name, const std::string& interface = PlayerInterface) {
    return dbusSend("org.freedesktop.DBus.Properties.Get",
                    {"string:" + interface, "string:" + name});
}

bool call(const std::string& method, const std::vector<std::string>& args = {},
          const std::string& interface = PlayerInterface) {
    return dbusSend(interface + "." + method, args) != "<failed>";
}

std::string quoted(const std::string& text) {
    return "string \"" + text + "\"";
}

// Polls `read` until its text holds `want`.
template <class Read>::testing::AssertionResult becomes(Read read, const std::string& want) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ChangeMilliseconds);
    std::string text = read();
    while (text.find(want) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return ::testing::AssertionFailure() << "no " << want << " in: " << text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        text = read();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult statusBecomes(const std::string& status) {
    return becomes([] { return property("PlaybackStatus"); }, quoted(status));
}

::testing::AssertionResult titleBecomes(const std::string& title) {
    return becomes([] { return property("Metadata"); }, quoted(title));
}

// Microseconds into the track, or -1.
int64_t position() {
    const std::string text = property("Position");
    const size_t at = text.find("int64 ");
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + 6);
}

class MediaControls : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(run.ready()) << run.failure();
        ASSERT_TRUE(run.copyAllContent());
        ASSERT_EQ(titles.size(), 10u);
        ASSERT_TRUE(run.start());
        ASSERT_TRUE(run.answerDialog("Return"));
        ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();
        ASSERT_TRUE(statusBecomes("Playing")) << run.stderrText();
        // Every PropertiesChanged from now on.
        SpawnOptions options;
        options.argv = {"dbus-monitor", "--session",
                        "type='signal',interface='org.freedesktop.DBus.Properties'"};
        options.env = environmentWith({});
        options.stdoutPath = scratch.path("monitor.txt");
        std::string error;
        ASSERT_TRUE(monitor.start(options, &error)) << error;
        ASSERT_TRUE(becomes([this] { return monitored(); }, "NameAcquired"));
    }

    std::string monitored() const { return readFile(scratch.path("monitor.txt")); }
    // The desktop was told: a PropertiesChanged carried `value`.
    ::testing::AssertionResult told(const std::string& value) {
        return becomes([this] { return monitored(); }, quoted(value));
    }

    const std::vector<std::string> titles = contentTitles();
    TempFolder scratch;
    PlayerRun run;
    ChildProcess monitor;
};

TEST_F(MediaControls, MprisServesStatusMetadataTransportPositionAndQuit) {
    EXPECT_NE(property("Identity", RootInterface).find(quoted("glint")), std::string::npos);
    EXPECT_NE(property("DesktopEntry", RootInterface).find(quoted("glint")), std::string::npos);
    const std::string metadata = property("Metadata");
    for (const std::string& part :
         {quoted("mpris:trackid") + "\n            variant                object path "
                                    "\"/org/glint/track/1\"",
          std::string("int64 1234000000"), quoted(titles[0]), quoted("xesam:album"),
          quoted("glint"),
          quoted("xesam:trackNumber") + "\n            variant                int32 1"}) {
        EXPECT_NE(metadata.find(part), std::string::npos) << part << " in " << metadata;
    }

    // Every transport call acts as its button does, and the desktop is told.
    ASSERT_TRUE(call("Next"));
    EXPECT_TRUE(titleBecomes(titles[1]));
    EXPECT_TRUE(told(titles[1]));
    ASSERT_TRUE(call("Pause"));
    EXPECT_TRUE(statusBecomes("Paused"));
    EXPECT_TRUE(told("Paused"));
    ASSERT_TRUE(call("Play"));
    EXPECT_TRUE(statusBecomes("Playing"));
    ASSERT_TRUE(call("PlayPause"));
    EXPECT_TRUE(statusBecomes("Paused"));
    ASSERT_TRUE(call("Previous"));
    EXPECT_TRUE(titleBecomes(titles[0]));
    ASSERT_TRUE(call("Previous"));
    EXPECT_TRUE(titleBecomes(titles[9]));
    ASSERT_TRUE(call("Stop"));
    EXPECT_TRUE(statusBecomes("Stopped"));
    EXPECT_TRUE(titleBecomes(titles[0]));

    // Positions are microseconds within the track (the short test content
    // reaches into the first track only).
    ASSERT_TRUE(call("Play"));
    ASSERT_TRUE(call("Seek", {"int64:20000000"}));
    const int64_t seeked = position();
    EXPECT_GE(seeked, 20000000);
    EXPECT_LT(seeked, 24000000);
    ASSERT_TRUE(call("SetPosition", {"objpath:/org/glint/track/2", "int64:5000000"}));
    EXPECT_GE(position(), seeked) << "a position for another track is ignored";
    ASSERT_TRUE(call("SetPosition", {"objpath:/org/glint/track/1", "int64:5000000"}));
    const int64_t set = position();
    EXPECT_GE(set, 5000000);
    EXPECT_LT(set, 9000000);

    // Quit is a close request: the closing sequence, then the end.
    ASSERT_TRUE(call("Quit", {}, RootInterface));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    ASSERT_TRUE(run.running()) << "the first Quit must only start the closing sequence";
    ASSERT_TRUE(call("Quit", {}, RootInterface));
    int status = 0;
    ASSERT_TRUE(run.waitExit(EndMilliseconds, &status)) << "still running after the second Quit";
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
    EXPECT_EQ(run.stderrText(), "");
}

// Keys typed into the focused window work the player; what they change is
// told on the bus as well.
TEST_F(MediaControls, KeysWorkThePlayerWhileItsWindowHasTheFocus) {
    const unsigned long window = run.desktop().findWindow(PlayerTitle);
    auto press = [&](const char* key) { ASSERT_TRUE(run.desktop().pressKey(window, key)) << key; };
    press("space");
    EXPECT_TRUE(statusBecomes("Paused"));
    EXPECT_TRUE(told("Paused"));
    press("space");
    EXPECT_TRUE(statusBecomes("Playing"));
    press("Right");
    EXPECT_TRUE(titleBecomes(titles[1]));
    EXPECT_TRUE(told(titles[1]));
    press("Left");
    EXPECT_TRUE(titleBecomes(titles[0]));

    // Media keys do what their names say, however often they are pressed.
    for (int i = 0; i < 2; ++i) {
        press("XF86AudioPause");
        EXPECT_TRUE(statusBecomes("Paused"));
    }
    for (int i = 0; i < 2; ++i) {
        press("XF86AudioPlay");
        EXPECT_TRUE(statusBecomes("Playing"));
    }
    press("XF86AudioNext");
    EXPECT_TRUE(titleBecomes(titles[1]));
    press("XF86AudioPrev");
    EXPECT_TRUE(titleBecomes(titles[0]));
    press("XF86AudioStop");
    EXPECT_TRUE(statusBecomes("Stopped"));

    // Ctrl+C in a terminal ends it at once.
    const pid_t pid = windowPid(run.desktop(), window);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    int status = 0;
    ASSERT_TRUE(run.waitExit(EndMilliseconds, &status)) << "still running after SIGINT";
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
    EXPECT_EQ(run.stderrText(), "");
}

} // namespace
} // namespace glintE2e
