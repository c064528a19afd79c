// The fuzz targets' own invariant check: a broken promise of the code under
// test is reported like a crash, so libFuzzer keeps the input. The reason
// goes to stderr and, since a fuzz run closes the stderr of the code under
// test, to the sanitizer's report as well. Header-only.
#pragma once

#include <cstdio>
#include <cstdlib>

// From the sanitizer runtime, when one is linked in.
extern "C" __attribute__((weak)) void __sanitizer_report_error_summary(const char* summary);

namespace glintFuzz {

inline void check(bool holds, const char* promise) {
    if (!holds) {
        std::fprintf(stderr, "glint: fuzz: broken promise: %s\n", promise);
        if (__sanitizer_report_error_summary != nullptr) {
            __sanitizer_report_error_summary(promise);
        }
        std::abort();
    }
}

} // namespace glintFuzz
