// Command-line plumbing shared by the zuo commands: the parsed arguments of
// one command, usage texts, the message style ("zuo: ..." on stderr) and the
// rule for entry names that may be stored in or extracted from an archive.
// Exit codes: 0 success, 1 failure, 2 bad usage.
#pragma once

#include <string>
#include <vector>

namespace zuo {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

struct CommandLine {
    std::string command;
    std::string archive;
    std::string dir; // the -C folder, empty when not given
    std::vector<std::string> operands;
};

// The usage text of one command, or of all commands for an empty name.
std::string usageText(const std::string& command);

// Parses the arguments that follow the command name. Returns -1 when the
// command should run, otherwise the exit code after printing help (stdout,
// 0) or usage (stderr, 2). `takesDir` allows -C; `minOperands` and
// `maxOperands` bound the operands after ARCHIVE (max < 0: no bound).
int parseCommandLine(const std::string& command, const std::vector<std::string>& args,
                     bool takesDir, int minOperands, int maxOperands, CommandLine& out);

// Prints "zuo: <text>" on stderr and returns ExitFailure.
int fail(const std::string& text);

// Why `name` cannot be an entry name that maps onto a file below a folder,
// or null when it can: it must be a relative path of 1 to 255 bytes whose
// components are neither empty, "." nor "..".
const char* nameProblem(const std::string& name);

} // namespace zuo
