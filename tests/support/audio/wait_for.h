// Test helper for the real audio device, whose threads run on the wall
// clock: polls a condition every 2 ms until it holds or a deadline passes.
// Seconds of wall time. Call from the test's thread.
#pragma once

#include <functional>

namespace glintTest {

// True as soon as `condition` holds; false when `seconds` pass first.
bool waitFor(const std::function<bool()>& condition, double seconds = 2.0);

} // namespace glintTest
