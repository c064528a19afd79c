#include "tests/e2e/child_process.h"

#include "tests/support/temp_folder.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace glintE2e {

namespace {

constexpr int PollMilliseconds = 10;

std::vector<char*> cStrings(const std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (const std::string& s : strings) {
        out.push_back(const_cast<char*>(s.c_str()));
    }
    out.push_back(nullptr);
    return out;
}

} // namespace

ChildProcess::~ChildProcess() {
    kill();
}

bool ChildProcess::start(const SpawnOptions& options, std::string* error) {
    if (child > 0 || options.argv.empty()) {
        *error = "already started, or nothing to start";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string outPath = options.stdoutPath.empty() ? "/dev/null" : options.stdoutPath;
    const std::string errPath = options.stderrPath.empty() ? "/dev/null" : options.stderrPath;
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (options.passFd >= 0) {
        // dup2 onto another number clears close-on-exec; the same number would not.
        const int spare = options.passFd == 4 ? 5 : 4;
        posix_spawn_file_actions_adddup2(&actions, options.passFd, spare);
        posix_spawn_file_actions_adddup2(&actions, spare, 3);
        posix_spawn_file_actions_addclose(&actions, spare);
    }
    if (!options.workDir.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own: ending the group also ends whatever the child forked.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv = cStrings(options.argv);
    std::vector<char*> env = cStrings(options.env);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        *error = "cannot start " + options.argv[0] + ": " + std::strerror(rc);
        return false;
    }
    child = pid;
    reaped = false;
    return true;
}

bool ChildProcess::waitFor(int timeoutMs, int* status) {
    if (child <= 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!reaped) {
        // Look without reaping first: while the child is a zombie its pid and
        // group id cannot be reused, so ending what it left behind is safe.
        siginfo_t info;
        info.si_pid = 0;
        const int rc = waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT);
        if (rc < 0 && errno != EINTR) {
            return false;
        }
        if (rc == 0 && info.si_pid == child) {
            ::kill(-child, SIGKILL);
            reap();
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMilliseconds));
    }
    if (status) {
        *status = lastStatus;
    }
    return true;
}

bool ChildProcess::running() {
    return child > 0 && !waitFor(0);
}

void ChildProcess::kill() {
    if (child <= 0) {
        return;
    }
    if (!reaped) {
        ::kill(-child, SIGKILL);
        reap();
    }
    child = -1;
}

void ChildProcess::stop(int graceMs) {
    if (child > 0 && !reaped) {
        ::kill(-child, SIGTERM);
        waitFor(graceMs);
    }
    kill();
}

void ChildProcess::reap() {
    int raw = 0;
    while (waitpid(child, &raw, 0) < 0 && errno == EINTR) {
    }
    reaped = true;
    lastStatus = raw;
}

std::vector<std::string> environmentWith(const std::vector<std::string>& changes) {
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        out.push_back(*e);
    }
    // In order, so a later change of the same name wins.
    for (const std::string& change : changes) {
        std::vector<std::string> kept;
        for (const std::string& entry : out) {
            if (nameOf(entry) != nameOf(change)) {
                kept.push_back(entry);
            }
        }
        if (change.find('=') != std::string::npos) {
            kept.push_back(change);
        }
        out.swap(kept);
    }
    return out;
}

bool runTool(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             int timeoutMs, std::string* output) {
    const glintTest::TempFolder scratch;
    if (!scratch.valid()) {
        return false;
    }
    const std::string outPath = scratch.path("stdout.txt");
    ChildProcess tool;
    SpawnOptions options;
    options.argv = argv;
    options.env = env;
    options.stdoutPath = outPath;
    std::string error;
    int status = 0;
    const bool ended = tool.start(options, &error) && tool.waitFor(timeoutMs, &status);
    tool.kill();
    if (output) {
        *output = glintTest::readFile(outPath);
    }
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string describeStatus(int status) {
    if (WIFEXITED(status)) {
        return "exit " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "signal " + std::to_string(WTERMSIG(status));
    }
    return "status " + std::to_string(status);
}

} // namespace glintE2e
