// Runs a piece of a test in a child process under an alarm, so code that may
// hang or crash (decoding hostile files) fails the test instead of blocking
// or killing the whole run. POSIX only; call from a single-threaded test.
#pragma once

#include <functional>

namespace glintTest {

enum class ChildOutcome { Passed, Failed, Crashed, TimedOut };

// `body` returns true for a pass. The child is killed after `seconds`.
ChildOutcome runWithTimeLimit(const std::function<bool()>& body, unsigned seconds);

const char* outcomeName(ChildOutcome outcome);

} // namespace glintTest
