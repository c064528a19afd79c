#!/usr/bin/env bash
# Takes a screenshot of the renderer demo scene.
#   bash tests/render/render_demo.sh <builddir> [output.png]
# Uses the running display, or a private Xvfb when DISPLAY is unset.
set -uo pipefail
build="${1:-build}"
out="${2:-$build/render_demo.png}"
here="$(cd "$(dirname "$0")/../.." && pwd)"
. "$here/scripts/xvfb.sh"
glint_start_xvfb || exit 1
"$build/tests/render_demo" 4 &
demo=$!
sleep 2
import -window root "$out"
status=$?
wait "$demo"
echo "render demo: screenshot in $out"
exit $status
