#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehavior-
# Sanitizer in its own folder and runs it headless through scripts/test.sh.
# Any bad access, undefined behaviour or leak of ours fails the run; leaks
# inside system libraries are suppressed by name in scripts/lsan.supp.
#
#   bash scripts/test-sanitize.sh [builddir]     default builddir: build-asan
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build="${1:-$repo/build-asan}"
start=$(date +%s)

# Set before building too: the build runs the content generator.
# intercept_tls_get_addr=0: GCC 12's runtime takes a dynamic TLS block that
# happens to start 16 bytes into a page (as the GL driver's blocks can) for a
# pre-2.25 glibc header and reads garbage as its bounds; the leak scan's
# tracer then crashes now and then at exit ("Tracer caught signal 11") and
# the program ends with 1 having leaked nothing.
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1:strict_string_checks=1:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
mkdir -p "$build" && build="$(cd "$build" && pwd)"
keep="$build/lsan_keep_modules.o"
[ "$keep" -nt "$here/lsan_keep_modules.c" ] ||
  cc -c -O2 -fPIC -o "$keep" "$here/lsan_keep_modules.c" || exit 1
cmake -S "$repo" -B "$build" -DGLINT_SANITIZE=ON -DGLINT_BUILD_BENCH=OFF \
  -DCMAKE_EXE_LINKER_FLAGS="$keep" >/dev/null || exit 1
cmake --build "$build" -j "$(nproc)" || exit 1
built=$(date +%s)
bash "$here/test.sh" "$build"
status=$?
end=$(date +%s)
echo "test-sanitize: build $((built - start)) s, tests $((end - built)) s," \
     "total $((end - start)) s"
exit $status
