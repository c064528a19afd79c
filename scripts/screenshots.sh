#!/usr/bin/env bash
# Regenerates the player's screenshots into <builddir>/screenshots/:
#   dialog.png          the setup dialog
#   opening-00.5s.png   the logo fading in on white
#   opening-04s.png     the title picture under the logo
#   opening-12s.png     the main screen fading in, its controls appearing
#   opening-20s.png     the main screen with its controls
#   closing-05s.png     the end title, 5 s after Escape
# With "scaled", on a 1920 x 1080 display instead:
#   fullscreen-1920x1080.png  the main screen full screen at the desktop's
#                             size (F11), the 4:3 picture between black bars
#   resized-1280x640.png      the window alone, resized to 1280 x 640
# Times count from the moment the player window appears. The player runs in
# <builddir>/content (made by `make content`) on a private Xvfb, even when a
# display is set, so a desktop is never captured; SDL's silent audio driver
# keeps it quiet. Every wait has a deadline, and the player is always ended.
#
#   bash scripts/screenshots.sh [builddir] [scaled]    (or: make screenshots)
set -euo pipefail
build="${1:-build}"
mode="${2:-}"
here="$(cd "$(dirname "$0")" && pwd)"
player="$(cd "$build" && pwd)/glint"
content="$build/content"
out="$(mkdir -p "$build/screenshots" && cd "$build/screenshots" && pwd)"

for tool in import Xvfb; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (make setup)" >&2; exit 1; }
done
[ -x "$player" ] || { echo "screenshots: $player is missing; build first" >&2; exit 1; }
[ -s "$content/data.zuo" ] || { echo "screenshots: no content in $content (make content)" >&2; exit 1; }

unset DISPLAY
. "$here/xvfb.sh"
. "$here/player_driver.sh"
glint_use_driver "$build" || exit 1
if [ "$mode" = scaled ]; then size=1920x1080; else size=1024x768; fi
glint_start_xvfb "$size" || exit 1

pid=""
finish() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  glint_stop_xvfb
}
trap finish EXIT

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# The id of the player's window of that kind (setup, player), waiting up to
# $2 seconds; fails after the deadline or once the player has ended.
wait_for_window() {
  local found
  found="$("$glint_driver" wait "$1" "$2" "$pid")" || return 1
  echo "${found%% *}"
}

# Waits until $2 ms after $1 (a now_ms value), then shoots the screen.
shoot_at() {
  local start="$1" after="$2" file="$3" left
  left=$(( start + after - $(now_ms) ))
  if [ "$left" -gt 0 ]; then
    sleep "$(printf '%d.%03d' $(( left / 1000 )) $(( left % 1000 )))"
  fi
  import -window root "$out/$file"
  echo "screenshots: $out/$file"
}

(cd "$content" && exec env SDL_AUDIODRIVER=dummy "$player") 2>"$out/stderr.txt" &
pid=$!

dialog="$(wait_for_window setup 20)"
sleep 0.5 # let the dialog finish drawing its picture
import -window "$dialog" "$out/dialog.png"
echo "screenshots: $out/dialog.png"
"$glint_driver" key "$dialog" Return >/dev/null

main="$(wait_for_window player 20)"
shown="$(now_ms)"
if [ "$mode" = scaled ]; then
  # F11 unless the dialog already chose full screen at the desktop's size.
  read -r _ _ width _ < <("$glint_driver" geometry "$main")
  [ "$width" = 1920 ] || "$glint_driver" key "$main" F11 >/dev/null
  "$glint_driver" move "$main" 1919 1079 >/dev/null # on a bar, away from every control
  shoot_at "$shown" 20000 fullscreen-1920x1080.png
  "$glint_driver" key "$main" F11 >/dev/null
  "$glint_driver" resize "$main" 1280 640 >/dev/null
  sleep 1
  import -window "$main" "$out/resized-1280x640.png"
  echo "screenshots: $out/resized-1280x640.png"
else
  "$glint_driver" move "$main" 1023 767 >/dev/null # the pointer away from every control
  shoot_at "$shown" 500 opening-00.5s.png
  shoot_at "$shown" 4000 opening-04s.png
  shoot_at "$shown" 12000 opening-12s.png
  shoot_at "$shown" 20000 opening-20s.png
fi

"$glint_driver" key "$main" Escape >/dev/null
closing="$(now_ms)"
shoot_at "$closing" 5000 closing-05s.png
"$glint_driver" key "$main" Escape >/dev/null

if ! glint_wait_exit "$pid" 5; then
  echo "screenshots: the player did not end after the second Escape" >&2
  exit 1
fi
status="$glint_status"
pid=""
if [ "$status" -ne 0 ]; then
  echo "screenshots: the player ended with status $status; see $out/stderr.txt" >&2
  exit 1
fi
