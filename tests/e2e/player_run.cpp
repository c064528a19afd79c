#include "tests/e2e/player_run.h"

#include <sstream>
#include <thread>

namespace glintE2e {

namespace {

constexpr int DialogMilliseconds = 15000;
// Far longer than a frame takes, even on a busy machine.
constexpr int QuitGapMilliseconds = 1000;

} // namespace

std::string contentPath(const std::string& relative) {
    return std::string(GLINT_E2E_CONTENT) + "/" + relative;
}

PlayerRun::PlayerRun(const XvfbScreen& screen) : server(screen), driver(server.display()) {}

bool PlayerRun::startWindowManager() {
    server.startWindowManager();
    return server.ready();
}

bool PlayerRun::ready() const {
    return scratch.valid() && workFolder.valid() && server.ready() && driver.connected();
}

std::string PlayerRun::failure() const {
    if (!server.ready()) {
        return server.failure();
    }
    return driver.connected() ? "no temporary folder"
                              : "the driver cannot open " + server.display();
}

bool PlayerRun::copyAllContent() const {
    return workFolder.copyIn(contentPath("data.zuo"), "data.zuo") &&
           workFolder.copyIn(contentPath("data"), "data") &&
           workFolder.copyIn(contentPath("glint.mp3"), "glint.mp3");
}

bool PlayerRun::start(const std::vector<std::string>& env) {
    SpawnOptions options;
    options.argv = {GLINT_PROGRAM};
    std::vector<std::string> changes{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy"};
    changes.insert(changes.end(), env.begin(), env.end());
    options.env = environmentWith(changes);
    options.workDir = workFolder.path();
    options.stdoutPath = scratch.path("stdout.txt");
    options.stderrPath = scratch.path("stderr.txt");
    std::string error;
    return program.start(options, &error);
}

bool PlayerRun::answerDialog(const std::string& keysym) {
    const unsigned long dialog = driver.waitForViewable(SetupTitle, DialogMilliseconds);
    return dialog != 0 && driver.pressKey(dialog, keysym);
}

bool PlayerRun::waitForPlayer(int timeoutMs) {
    player = driver.waitForViewable(PlayerTitle, timeoutMs);
    shownAt = std::chrono::steady_clock::now();
    return player != 0;
}

double PlayerRun::secondsShown() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - shownAt).count();
}

void PlayerRun::waitUntilShown(double seconds) const {
    const double left = seconds - secondsShown();
    if (left > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(left));
    }
}

bool PlayerRun::pressEscape() {
    return pressKey("Escape");
}

bool PlayerRun::pressEscapeTwice() {
    if (!pressEscape()) {
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(QuitGapMilliseconds));
    return pressEscape();
}

bool PlayerRun::movePointer(int x, int y) {
    return player != 0 && driver.movePointer(player, x, y);
}

bool PlayerRun::click(playerWindows::Control control) {
    return player != 0 && driver.clickControl(player, control);
}

bool PlayerRun::pressKey(const std::string& keysym) {
    return player != 0 && driver.pressKey(player, keysym);
}

Rect PlayerRun::playerGeometry() const {
    int x = 0, y = 0, w = 0, h = 0;
    if (player == 0 || !driver.geometry(player, &x, &y, &w, &h)) {
        return Rect{};
    }
    return Rect{x, y, x + w, y + h};
}

bool PlayerRun::screenshot(Screenshot* out) const {
    glintDriver::ScreenPicture picture;
    return driver.capture(&picture) &&
           out->assign(picture.width, picture.height, std::move(picture.rgb));
}

bool PlayerRun::waitPlayerGone(int timeoutMs) const {
    return player != 0 && driver.waitUntilNotViewable(player, timeoutMs);
}

bool PlayerRun::waitExit(int timeoutMs, int* status) {
    return program.waitFor(timeoutMs, status);
}

std::string PlayerRun::stderrText() const {
    return readFile(scratch.path("stderr.txt"));
}

std::string PlayerRun::stdoutText() const {
    return readFile(scratch.path("stdout.txt"));
}

std::vector<std::string> PlayerRun::stderrLines() const {
    std::vector<std::string> lines;
    std::istringstream in(stderrText());
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace glintE2e
