#!/usr/bin/env bash
# The benchmark table (make bench): builds the benchmark drivers, makes sure
# the default content exists, installs mpv for the reference rows when it is
# missing and can be installed, then runs every figure on a private Xvfb
# (1024 x 768 x 24, Mesa's software GL) with SDL's dummy audio device; the
# full-screen rows start a second private Xvfb of 1920 x 1080 of their own
# (bench/run_bench.py), and the sound server rows run on a private
# PulseAudio (scripts/pulse-server.sh).
#
#   bash scripts/bench.sh [builddir]            default builddir: build
#   GLINT_BENCH_RUNS=5 bash scripts/bench.sh    more runs for the medians (3)
set -euo pipefail
build="${1:-build}"
runs="${GLINT_BENCH_RUNS:-3}"
here="$(cd "$(dirname "$0")" && pwd)"

cmake --build "$build" -j "$(nproc)" --target glint glint-content audio_stages quad_reference \
  glint-driver glint_frame_shim >/dev/null
bash "$here/content.sh" "$build" >&2

if [ "$(id -u)" = 0 ]; then sudo=""; else sudo="sudo -n"; fi
if ! command -v python3 >/dev/null 2>&1; then
  echo "bench: installing python3, which runs the benchmark table" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends python3 >&2
fi
if ! command -v mpv >/dev/null 2>&1; then
  echo "bench: installing mpv, used only as the reference player for the audio rows" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends mpv >&2 ||
    echo "bench: mpv could not be installed; the reference rows are left out" >&2
fi

# A display of our own, whatever the caller has.
unset DISPLAY
# shellcheck source=scripts/xvfb.sh
source "$here/xvfb.sh"
glint_start_xvfb
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1

echo "bench: load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores" >&2
python3 "$here/../bench/run_bench.py" "$build" "$build/content" "$runs"
