#include "tests/e2e/desktop_driver.h"

#include "tests/e2e/child_process.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace glintE2e {

namespace {

constexpr int ToolMilliseconds = 5000;
constexpr int ScreenshotMilliseconds = 10000;
constexpr int PollMilliseconds = 50;

} // namespace

DesktopDriver::DesktopDriver(const std::string& display, const std::string& scratchDir)
    : display(display), scratch(scratchDir) {}

std::vector<std::string> DesktopDriver::environment() const {
    return environmentWith({"DISPLAY=" + display});
}

std::vector<TopWindow> DesktopDriver::windows() const {
    std::string text;
    std::vector<TopWindow> out;
    if (!runTool({"xwininfo", "-root", "-children"}, environment(), ToolMilliseconds, &text)) {
        return out;
    }
    // Lines of the form:      0x600002 "[GLINT] Error": ()  200x100+412+222  +412+222
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t id = line.find("0x");
        const size_t open = line.find('"');
        const size_t close = line.rfind("\": (");
        if (id == std::string::npos || open == std::string::npos || close == std::string::npos ||
            close <= open || id > open) {
            continue;
        }
        TopWindow w;
        w.id = std::strtoul(line.c_str() + id, nullptr, 16);
        w.title = line.substr(open + 1, close - open - 1);
        out.push_back(w);
    }
    return out;
}

unsigned long DesktopDriver::findWindow(const std::string& title) const {
    for (const TopWindow& w : windows()) {
        if (w.title == title) {
            return w.id;
        }
    }
    return 0;
}

bool DesktopDriver::isViewable(unsigned long id) const {
    std::string text;
    return runTool({"xwininfo", "-id", std::to_string(id)}, environment(), ToolMilliseconds,
                   &text) &&
           text.find("Map State: IsViewable") != std::string::npos;
}

unsigned long DesktopDriver::waitForViewable(const std::string& title, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const unsigned long id = findWindow(title);
        if (id != 0 && isViewable(id)) {
            return id;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMilliseconds));
    }
}

bool DesktopDriver::waitUntilNotViewable(unsigned long id, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (isViewable(id)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMilliseconds));
    }
    return true;
}

bool DesktopDriver::xdotool(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runTool(argv, environment(), ToolMilliseconds);
}

bool DesktopDriver::pressKey(unsigned long window, const std::string& keysym) const {
    // The keys go through the XTEST extension to the focused window, as a
    // real keyboard's would; --sync waits until the focus has moved.
    return xdotool({"windowfocus", "--sync", std::to_string(window)}) &&
           xdotool({"key", "--delay", "30", keysym});
}

bool DesktopDriver::movePointer(int x, int y) const {
    return xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
}

bool DesktopDriver::click(int x, int y) const {
    return movePointer(x, y) && xdotool({"click", "1"});
}

bool DesktopDriver::screenshot(Screenshot* out) const {
    const std::string path = scratch + "/screen.ppm";
    return runTool({"import", "-window", "root", "-depth", "8", "ppm:" + path}, environment(),
                   ScreenshotMilliseconds) &&
           out->loadPpm(path);
}

} // namespace glintE2e
