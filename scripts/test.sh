#!/usr/bin/env bash
# Runs every test headless. Works with and without a display: without one it
# starts its own Xvfb and stops it afterwards.
set -uo pipefail
build="${1:-build}"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/xvfb.sh"
glint_start_xvfb || exit 1
# Tests use SDL's silent audio driver; the program itself never reads it.
export SDL_AUDIODRIVER=dummy
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
status=$?
glint_stop_xvfb
exit $status
