#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan, and
# runs each in turn for a set time on a corpus that grows from run to run.
#
#   bash scripts/fuzz.sh [target...]      targets: archive picture stream
#   FUZZ_SECONDS=300 bash scripts/fuzz.sh stream
#
# FUZZ_SECONDS (default 60) is per target; FUZZ_BUILD (default build-fuzz)
# is the build folder. Corpora live in <build>/fuzz/corpus/<target>, inputs
# that crash, hang or leak in <build>/fuzz/findings/<target>, the full
# output in <build>/fuzz/logs, and one line per run in
# <build>/fuzz/history.log. Exits 1 when any target found something.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build="${FUZZ_BUILD:-$repo/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(archive picture stream)

for t in "${targets[@]}"; do
  case "$t" in
    archive | picture | stream) ;;
    *) echo "fuzz: unknown target \"$t\" (archive, picture, stream)" >&2; exit 2 ;;
  esac
done

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing; run scripts/setup.sh" >&2
  exit 1
fi
mkdir -p "$build"
if ! grep -q '^GLINT_FUZZ:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -DGLINT_FUZZ=ON -DGLINT_SANITIZE=ON \
    -DGLINT_BUILD_BENCH=OFF >"$build/fuzz-configure.log" 2>&1 ||
    { cat "$build/fuzz-configure.log" >&2; exit 1; }
fi
cmake --build "$build" -j "$(nproc)" --target fuzz_all >"$build/fuzz-build.log" 2>&1 ||
  { tail -40 "$build/fuzz-build.log" >&2; exit 1; }

work="$build/fuzz"
mkdir -p "$work/logs"
# Seeds are regenerated each time: cheap, and they follow the generator.
rm -rf "$work/seeds"
"$work/fuzz_seeds" "$work/seeds" || exit 1

# Leaks inside system libraries are suppressed by name; ours are findings.
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"

max_len() {
  case "$1" in
    archive) echo 4096 ;;
    picture) echo 8192 ;;
    stream) echo 16384 ;;
  esac
}

status=0
for t in "${targets[@]}"; do
  corpus="$work/corpus/$t"
  findings="$work/findings/$t"
  log="$work/logs/$t.log"
  mkdir -p "$corpus" "$findings"
  before=$(find "$findings" -type f | wc -l)
  # One input at a time, each allowed 10 s and 2 GiB; stderr of the code
  # under test (its warning lines) is closed, libFuzzer's own report stays.
  "$work/${t}_fuzzer" "$corpus" "$work/seeds/$t" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len "$t")" -dict="$repo/fuzz/$t.dict" \
    -artifact_prefix="$findings/" -close_fd_mask=2 -print_final_stats=1 \
    >"$log" 2>&1
  code=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  took=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  found=$(( $(find "$findings" -type f | wc -l) - before ))
  size=$(find "$corpus" -type f | wc -l)
  echo "fuzz: $t: ${runs:-0} executions in ${seconds} s (${took:-0}/s), corpus $size," \
       "findings $found, exit $code"
  echo "$(date -u +%FT%TZ) $t runs=${runs:-0} seconds=$seconds findings=$found exit=$code" \
    >>"$work/history.log"
  if [ "$code" -ne 0 ] || [ "$found" -gt 0 ]; then
    status=1
    grep -E '^(==[0-9]+==ERROR|SUMMARY|glint: fuzz|artifact_prefix|Test unit written)' "$log" >&2
    echo "fuzz: $t: full output in $log" >&2
  fi
done

# Totals over every run so far, per target.
awk '{ split($3, r, "="); split($4, s, "="); split($5, f, "=");
       runs[$2] += r[2]; secs[$2] += s[2]; finds[$2] += f[2] }
     END { for (t in runs) printf "fuzz: %s: %d executions in %d s over all runs, %d findings\n",
                                  t, runs[t], secs[t], finds[t] }' "$work/history.log" | sort
exit $status
