#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the player from the
# installed launcher on a display of its own: the files are all in place,
# the desktop entry names the launcher, the icon is a 256 x 256 PNG, and the
# player starts in its content folder from anywhere: Escape in the setup
# dialog ends it with 0; Enter shows the player, and Escape twice ends it
# with 0.
#
#   bash scripts/install-check.sh [builddir]      (make install-check)
# Installs short content made once into <build>/install-check-content, or
# the folder named by GLINT_CONTENT_DIR.
set -uo pipefail
build="$(cd "${1:-build}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/xvfb.sh"
. "$here/player_driver.sh"
glint_use_driver "$build" || exit 2

say() { echo "install-check: $*" >&2; }
problems=0
problem() {
  say "FAIL: $*"
  problems=$((problems + 1))
}

if [ ! -x "$build/glint" ] || [ ! -x "$build/glint-content" ]; then
  say "$build/glint is missing; build first (make build)"
  exit 2
fi
if [ -z "${GLINT_CONTENT_DIR:-}" ]; then
  export GLINT_CONTENT_DIR="$build/install-check-content"
  if [ ! -s "$GLINT_CONTENT_DIR/data.zuo" ] || [ ! -s "$GLINT_CONTENT_DIR/glint.mp3" ]; then
    say "making short content in $GLINT_CONTENT_DIR"
    "$build/glint-content" --out "$GLINT_CONTENT_DIR" --short 20 || exit 2
  fi
fi

work="$(mktemp -d /tmp/glint-install-check.XXXXXX)"
prefix="$work/prefix with space"
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap 'cleanup; glint_stop_xvfb' EXIT

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  say "FAIL: cmake --install"
  exit 1
fi

# The files.
for f in bin/glint bin/zuo bin/glint-player; do
  [ -x "$prefix/$f" ] || problem "$f is missing or not executable"
done
for f in share/glint/data.zuo share/glint/glint.mp3 share/glint/data/gui/play_on.png \
         share/glint/data/font/dots.png share/glint/data/credits.png \
         share/applications/glint.desktop share/icons/hicolor/256x256/apps/glint.png; do
  [ -s "$prefix/$f" ] || problem "$f is missing or empty"
done
"$prefix/bin/zuo" verify "$prefix/share/glint/data.zuo" >/dev/null ||
  problem "the installed archive does not verify"
desktop="$prefix/share/applications/glint.desktop"
grep -qxF "Exec=\"$prefix/bin/glint-player\"" "$desktop" || problem "glint.desktop does not start the launcher"
grep -qx "Icon=glint" "$desktop" || problem "glint.desktop names no icon"
grep -qx "Type=Application" "$desktop" || problem "glint.desktop is no application entry"
# The PNG header: IHDR, width 256, height 256, 8 bits, RGBA.
icon_head=$(od -An -tx1 -j12 -N14 "$prefix/share/icons/hicolor/256x256/apps/glint.png" | tr -d ' \n')
[ "$icon_head" = "4948445200000100000001000806" ] ||
  problem "the icon is not a 256 x 256 RGBA PNG ($icon_head)"

# Always a display of our own, so no other window takes the keys.
unset DISPLAY
glint_start_xvfb || exit 2
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

# Started through a link from a folder elsewhere, as a desktop or a shell
# in another folder would.
ln -s "$prefix/bin/glint-player" "$work/glint-link"
cd /

"$work/glint-link" >"$work/run1.out" 2>&1 &
pid=$!
if dialog=$("$glint_driver" wait setup 60 "$pid"); then
  "$glint_driver" key "${dialog%% *}" Escape >/dev/null
  if glint_wait_exit "$pid" 30; then
    [ "$glint_status" -eq 0 ] || problem "Escape in the dialog ended with $glint_status"
  else
    problem "Escape in the dialog did not end the player"
  fi
else
  problem "no setup dialog from the launcher"
  cat "$work/run1.out" >&2
fi
kill "$pid" 2>/dev/null
pid=""

"$prefix/bin/glint-player" >"$work/run2.out" 2>&1 &
pid=$!
if dialog=$("$glint_driver" wait setup 60 "$pid"); then
  "$glint_driver" key "${dialog%% *}" Return >/dev/null
  if window=$("$glint_driver" wait player 60 "$pid"); then
    window="${window%% *}"
    [ "$(readlink "/proc/$pid/cwd")" = "$prefix/share/glint" ] ||
      problem "the player does not run in its content folder"
    sleep 2
    kill -0 "$pid" 2>/dev/null || problem "the player ended on its own"
    "$glint_driver" key "$window" Escape >/dev/null
    sleep 1
    "$glint_driver" key "$window" Escape >/dev/null
    if glint_wait_exit "$pid" 30; then
      [ "$glint_status" -eq 0 ] || problem "Escape twice ended the player with $glint_status"
    else
      problem "Escape twice did not end the player"
    fi
  else
    problem "no player window after Enter"
  fi
else
  problem "no setup dialog from the launcher"
fi
if [ "$problems" -ne 0 ]; then
  cat "$work/run2.out" >&2
  say "$problems problem(s)"
  exit 1
fi
say "ok: installed into a temporary prefix, started from the launcher, ended with 0"
