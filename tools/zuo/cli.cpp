#include "tools/zuo/cli.h"

#include "engine/vfs/archive_format.h"

#include <cstdio>

namespace zuo {

namespace {

const char* const PackUsage =
    "usage: zuo pack ARCHIVE [-C DIR] FILE...\n"
    "  Writes a new archive holding each FILE under its name exactly as given.\n"
    "  Folders are packed with everything below them, in sorted order. With\n"
    "  -C, FILE names are read relative to DIR. Names must be relative, at most\n"
    "  255 bytes, without \"..\"; the archive must stay below 2 GiB.\n";
const char* const ListUsage = "usage: zuo list ARCHIVE\n"
                              "  Prints one line per directory entry: size, offset and name.\n";
const char* const ExtractUsage =
    "usage: zuo extract ARCHIVE [-C DIR] [NAME...]\n"
    "  Writes the entries (all, or only the NAMEs) as files below DIR (default:\n"
    "  the current folder), creating folders as needed. Names that would leave\n"
    "  DIR are refused.\n";
const char* const VerifyUsage =
    "usage: zuo verify ARCHIVE\n"
    "  Checks that the directory is complete and every entry lies inside the\n"
    "  file; prints \"ok\" or names each fault.\n";

} // namespace

std::string usageText(const std::string& command) {
    if (command == "pack") {
        return PackUsage;
    }
    if (command == "list") {
        return ListUsage;
    }
    if (command == "extract") {
        return ExtractUsage;
    }
    if (command == "verify") {
        return VerifyUsage;
    }
    return std::string("zuo: builds and inspects resource archives (data.zuo)\n") + PackUsage +
           ListUsage + ExtractUsage + VerifyUsage + "Each command takes --help.\n";
}

int parseCommandLine(const std::string& command, const std::vector<std::string>& args,
                     bool takesDir, int minOperands, int maxOperands, CommandLine& out) {
    auto usageError = [&](const std::string& text) {
        std::fprintf(stderr, "zuo: %s\n%s", text.c_str(), usageText(command).c_str());
        return ExitUsage;
    };
    out.command = command;
    std::vector<std::string> positional;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && (arg == "--help" || arg == "-h")) {
            std::fputs(usageText(command).c_str(), stdout);
            return ExitOk;
        }
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "-C" && takesDir) {
            if (i + 1 == args.size() || !out.dir.empty() || args[i + 1].empty()) {
                return usageError("-C needs one folder");
            }
            out.dir = args[++i];
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty() || positional[0].empty()) {
        return usageError("missing ARCHIVE");
    }
    const int operands = int(positional.size()) - 1;
    if (operands < minOperands || (maxOperands >= 0 && operands > maxOperands)) {
        return usageError(operands < minOperands ? "missing FILE" : "too many arguments");
    }
    out.archive = positional[0];
    out.operands.assign(positional.begin() + 1, positional.end());
    return -1;
}

int fail(const std::string& text) {
    std::fprintf(stderr, "zuo: %s\n", text.c_str());
    return ExitFailure;
}

const char* nameProblem(const std::string& name) {
    if (name.empty()) {
        return "empty name";
    }
    if (name[0] == '/') {
        return "absolute path";
    }
    if (name.size() > keltraWorks::MaxNameLength) {
        return "name longer than 255 bytes";
    }
    size_t start = 0;
    for (;;) {
        const size_t slash = name.find('/', start);
        const std::string part = name.substr(start, slash - start);
        if (part == "..") {
            return "name with a \"..\" component";
        }
        if (part.empty() || part == ".") {
            return "name with an empty or \".\" component";
        }
        if (slash == std::string::npos) {
            return nullptr;
        }
        start = slash + 1;
    }
}

} // namespace zuo
