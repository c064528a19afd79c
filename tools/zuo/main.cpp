// zuo: builds and inspects the resource archives the player reads.
#include "tools/zuo/commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* name;
    bool takesDir;
    int minOperands;
    int maxOperands; // negative: any number
    int (*run)(const zuo::CommandLine&);
};

const Command Commands[] = {
    {"pack", true, 1, -1, zuo::packCommand},
    {"list", false, 0, 0, zuo::listCommand},
    {"extract", true, 0, -1, zuo::extractCommand},
    {"verify", false, 0, 0, zuo::verifyCommand},
};

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        std::fputs(zuo::usageText("").c_str(), stdout);
        return zuo::ExitOk;
    }
    for (const Command& c : Commands) {
        if (!args.empty() && args[0] == c.name) {
            zuo::CommandLine cl;
            const int early = zuo::parseCommandLine(c.name, {args.begin() + 1, args.end()},
                                                    c.takesDir, c.minOperands, c.maxOperands, cl);
            return early >= 0 ? early : c.run(cl);
        }
    }
    if (args.empty()) {
        std::fprintf(stderr, "zuo: missing command\n");
    } else {
        std::fprintf(stderr, "zuo: unknown command \"%s\"\n", args[0].c_str());
    }
    std::fputs(zuo::usageText("").c_str(), stderr);
    return zuo::ExitUsage;
}
