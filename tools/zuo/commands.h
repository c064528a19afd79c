// The four zuo commands. Each takes the already parsed command line, prints
// its own messages and returns the process exit code (see cli.h).
#pragma once

#include "tools/zuo/cli.h"

namespace zuo {

int packCommand(const CommandLine& cl);
int listCommand(const CommandLine& cl);
int extractCommand(const CommandLine& cl);
int verifyCommand(const CommandLine& cl);

} // namespace zuo
