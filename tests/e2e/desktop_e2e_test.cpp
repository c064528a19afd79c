// The real player as a desktop program: its command line, and the signals
// that end it.
#include "tests/e2e/player_run.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace glintE2e
