// The real player's command line, end signals, media controls and keys, under
// a private dbus-run-session: MPRIS is driven with dbus-send and watched with
// dbus-monitor; keys pressed through the outside driver are read back over
// MPRIS. The short test content names its tracks in data/tracks.txt and
// reaches track 1 only.
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

// A sanitizer build's leak scan after main returns takes a few seconds.
#ifdef GLINT_SANITIZED
constexpr int EndMilliseconds = 5000;
#else
constexpr int EndMilliseconds = 1000;
#endif

const std::string BusName = "org.mpris.MediaPlayer2.glint";

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

// Without a display the player would end with 1 at its dialog, so 0 and 2
// show that the command line is looked at before anything else.
TEST(CommandLine, HelpAndVersionPrintAndEndWithZeroAnythingElseWithTwo) {
    const std::string usage = "usage: glint [--help | --version]\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--help"}, usage},
        {{"--version"}, "glint "},
        {{"--help", "now"}, "glint: unknown argument \"now\"; " + usage}};
    for (const auto& [args, says] : cases) {
        TempFolder folder;
        SpawnOptions options;
        options.argv = {GLINT_PROGRAM};
        options.argv.insert(options.argv.end(), args.begin(), args.end());
        options.env = environmentWith({"DISPLAY", "WAYLAND_DISPLAY"});
        options.stdoutPath = folder.path("out");
        options.stderrPath = folder.path("err");
        ChildProcess program;
        std::string error;
        int status = -1;
        ASSERT_TRUE(program.start(options, &error) && program.waitFor(5000, &status)) << error;
        const bool ok = says.rfind("glint:", 0) != 0;
        EXPECT_TRUE(exitedWith(status, ok ? 0 : 2)) << args[0] << ": " << describeStatus(status);
        EXPECT_EQ(readFile(folder.path(ok ? "out" : "err")).rfind(says, 0), 0u) << args[0];
        EXPECT_EQ(readFile(folder.path(ok ? "err" : "out")), "") << args[0];
    }
}

class RealPlayer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(run.ready()) << run.failure();
        ASSERT_TRUE(run.copyAllContent());
        ASSERT_TRUE(run.start());
    }
    // Sends `signal` to the program that shows the window titled `title`:
    // it must end at once, with 0 and without a word.
    void endWith(int signal, const char* title) {
        const unsigned long window = run.desktop().waitForViewable(title, 15000);
        ASSERT_NE(window, 0u) << "no window " << title;
        ASSERT_EQ(::kill(run.pid(), signal), 0);
        int status = 0;
        ASSERT_TRUE(run.waitExit(EndMilliseconds, &status)) << "running after signal " << signal;
        EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
        EXPECT_EQ(run.stderrText(), "");
    }
    PlayerRun run;
};

TEST_F(RealPlayer, HangupDuringTheSetupDialogCancelsItWithZero) {
    endWith(SIGHUP, SetupTitle);
    EXPECT_EQ(run.desktop().findWindow(PlayerTitle), 0u);
}

// ---- MPRIS, over dbus-send ----

const std::string PlayerInterface = "org.mpris.MediaPlayer2.Player";
const std::string RootInterface = "org.mpris.MediaPlayer2";

// The reply as dbus-send prints it ("   variant       string \"Playing\""),
// or "<failed>".
std::string dbusSend(const std::string& member, const std::vector<std::string>& args = {}) {
    std::vector<std::string> argv{
        "dbus-send", "--session", "--print-reply", "--dest=" + BusName, "/org/mpris/MediaPlayer2",
        member};
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

std::string dbusString(const std::string& text) {
    return "string \"" + text + "\"";
}

// The status and the metadata of the current track.
std::string nowPlaying() {
    return property("PlaybackStatus") + property("Metadata");
}

// Polls `read` for up to 3 s until its text holds `want`.
template <class Read>::testing::AssertionResult becomes(Read read, const std::string& want) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
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

// Microseconds into the track.
int64_t position() {
    const std::string text = property("Position");
    return std::atoll(text.c_str() + std::min(text.size(), text.find("int64 ") + 6));
}

class MediaControls : public RealPlayer {
  protected:
    void SetUp() override {
        RealPlayer::SetUp();
        std::istringstream lines(readFile(contentPath("data/tracks.txt")));
        for (std::string line; std::getline(lines, line);) {
            titles.push_back(dbusString(line));
        }
        ASSERT_EQ(titles.size(), 10u);
        ASSERT_TRUE(run.answerDialog("Return"));
        ASSERT_TRUE(run.waitForPlayer()) << run.stderrText();
        ASSERT_TRUE(becomes(nowPlaying, Playing)) << run.stderrText();
        SpawnOptions options;
        options.argv = {"dbus-monitor", "--session",
                        "type='signal',interface='org.freedesktop.DBus.Properties'"};
        options.env = environmentWith({});
        options.stdoutPath = scratch.path("monitor.txt");
        std::string error;
        ASSERT_TRUE(monitor.start(options, &error)) << error;
        ASSERT_TRUE(told("NameAcquired"));
    }
    // The desktop was told: a signal carried `value`.
    ::testing::AssertionResult told(const std::string& value) {
        return becomes([this] { return readFile(scratch.path("monitor.txt")); }, value);
    }

    const std::string Playing = dbusString("Playing");
    const std::string Paused = dbusString("Paused");
    const std::string Stopped = dbusString("Stopped");
    std::vector<std::string> titles; // as dbus-send prints them
    TempFolder scratch;
    ChildProcess monitor;
};

TEST_F(MediaControls, MprisServesStatusMetadataTransportPositionAndQuit) {
    EXPECT_NE(property("Identity", RootInterface).find(dbusString("glint")), std::string::npos);
    EXPECT_NE(property("DesktopEntry", RootInterface).find(dbusString("glint")), std::string::npos);
    const std::string metadata = property("Metadata");
    for (const std::string& part :
         {std::string("object path \"/org/glint/track/1\""), std::string("int64 1234000000"),
          titles[0], dbusString("glint"), std::string("int32 1")}) {
        EXPECT_NE(metadata.find(part), std::string::npos) << part << " in " << metadata;
    }
    // Each call acts as its button does.
    const std::pair<const char*, std::string> calls[] = {
        {"Next", titles[1]},     {"Pause", Paused},       {"Play", Playing}, {"PlayPause", Paused},
        {"Previous", titles[0]}, {"Previous", titles[9]}, {"Stop", Stopped}, {"Play", Playing}};
    for (const auto& [method, result] : calls) {
        ASSERT_TRUE(call(method));
        EXPECT_TRUE(becomes(nowPlaying, result)) << method;
    }
    EXPECT_TRUE(told(titles[1]) && told(Paused)) << "no PropertiesChanged";

    ASSERT_TRUE(call("Seek", {"int64:20000000"}));
    const int64_t seeked = position();
    EXPECT_GE(seeked, 20000000);
    EXPECT_LT(seeked, 24000000);
    ASSERT_TRUE(call("SetPosition", {"objpath:/org/glint/track/2", "int64:5000000"}));
    EXPECT_GE(position(), seeked) << "a position in another track is ignored";
    ASSERT_TRUE(call("SetPosition", {"objpath:/org/glint/track/1", "int64:5000000"}));
    EXPECT_LT(position(), 9000000);

    // Quit is a close request: the closing sequence, then the end.
    ASSERT_TRUE(call("Quit", {}, RootInterface));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    ASSERT_TRUE(run.running()) << "the first Quit must only start the closing sequence";
    ASSERT_TRUE(call("Quit", {}, RootInterface));
    int status = 0;
    ASSERT_TRUE(run.waitExit(EndMilliseconds, &status)) << "running after the second Quit";
    EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
}

// Media keys do what their names say, however often pressed.
TEST_F(MediaControls, KeysWorkThePlayerWhileItsWindowHasTheFocus) {
    const unsigned long window = run.desktop().findWindow(PlayerTitle);
    // clang-format off
    const std::pair<const char*, std::string> keys[] = {
        {"space", Paused}, {"space", Playing}, {"Right", titles[1]}, {"Left", titles[0]},
        {"XF86AudioPause", Paused}, {"XF86AudioPause", Paused},
        {"XF86AudioPlay", Playing}, {"XF86AudioPlay", Playing},
        {"XF86AudioNext", titles[1]}, {"XF86AudioPrev", titles[0]}, {"XF86AudioStop", Stopped}};
    // clang-format on
    for (const auto& [key, result] : keys) {
        ASSERT_TRUE(run.desktop().pressKey(window, key));
        EXPECT_TRUE(becomes(nowPlaying, result)) << key;
    }
    EXPECT_TRUE(told(titles[1]) && told(Paused)) << "no PropertiesChanged";
    endWith(SIGTERM, PlayerTitle); // as a logout sends: no closing sequence
}

} // namespace
} // namespace glintE2e
