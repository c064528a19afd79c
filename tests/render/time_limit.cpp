#include "tests/render/time_limit.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace glintTest {

ChildOutcome runWithTimeLimit(const std::function<bool()>& body, unsigned seconds) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return ChildOutcome::Crashed;
    }
    if (child == 0) {
        alarm(seconds); // default action of SIGALRM ends the child
        const bool passed = body();
        _exit(passed ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return ChildOutcome::Crashed;
        }
    }
    if (WIFSIGNALED(status)) {
        return WTERMSIG(status) == SIGALRM ? ChildOutcome::TimedOut : ChildOutcome::Crashed;
    }
    return WEXITSTATUS(status) == 0 ? ChildOutcome::Passed : ChildOutcome::Failed;
}

const char* outcomeName(ChildOutcome outcome) {
    switch (outcome) {
    case ChildOutcome::Passed:
        return "passed";
    case ChildOutcome::Failed:
        return "failed";
    case ChildOutcome::Crashed:
        return "crashed";
    case ChildOutcome::TimedOut:
        return "timed out";
    }
    return "?";
}

} // namespace glintTest
