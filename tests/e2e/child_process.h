// A program started by the end-to-end tests: posix_spawn in a folder of its
// own choosing, with an explicit environment, its stdout and stderr sent to
// files. Each child leads its own process group, so ending it also ends
// anything it forked. The object always ends and reaps what it started when
// it goes out of scope: a test never leaves a process behind. Times are
// milliseconds. Not thread-safe; one test thread uses it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace glintE2e {

struct SpawnOptions {
    std::vector<std::string> argv;
    std::vector<std::string> env; // the whole environment, "NAME=value"
    std::string workDir;          // empty: the test's own
    std::string stdoutPath;       // empty: /dev/null
    std::string stderrPath;       // empty: /dev/null
    int passFd = -1;              // when set, the child gets it as descriptor 3
};

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False (with `error` set) when the program could not be started.
    bool start(const SpawnOptions& options, std::string* error);
    // Waits up to `timeoutMs` for the end; true when it ended, with the raw
    // wait status in *status. Polls, so it never blocks past the deadline.
    bool waitFor(int timeoutMs, int* status = nullptr);
    // True while started and not yet seen to end.
    bool running();
    // The child's process id; -1 before a start.
    pid_t pid() const { return child; }
    // SIGKILL to the whole process group, then reaps the child.
    void kill();
    // SIGTERM to the group, up to `graceMs` to end, then `kill`.
    void stop(int graceMs);

  private:
    void reap();

    pid_t child = -1;
    bool reaped = false;
    int lastStatus = 0;
};

// The current environment with each "NAME=value" of `changes` replacing the
// variable of that name (an entry "NAME" alone removes it); later changes
// win over earlier ones.
std::vector<std::string> environmentWith(const std::vector<std::string>& changes);

// Runs a tool to its end (at most `timeoutMs`) with the environment `env`;
// true when it ended with 0. Its standard output goes to *output.
bool runTool(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             int timeoutMs, std::string* output);

// Human-readable form of a wait status: "exit 0", "signal 11", "running".
std::string describeStatus(int status);

} // namespace glintE2e
