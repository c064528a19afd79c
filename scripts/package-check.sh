#!/usr/bin/env bash
# Checks the Debian package that `make package` built, as a user of it would
# meet it: lintian finds no error and no warning (the few tags left on
# purpose are overridden, with the reason, in dist/glint.lintian-overrides);
# apt-get installs it; the AppStream metadata validates where it was
# installed; the installed launcher starts the player on a display of its
# own, the setup dialog takes Return, the main window appears and Escape
# twice ends it with 0. Then the package is purged, with any package its
# installation brought in, and the system is as it was: the same packages in
# the same states, and none of the package's files left.
#
#   bash scripts/package-check.sh [builddir]      (make package-check)
# Runs as root, or with sudo for apt-get. Refuses to start where glint is
# installed already or any of its files exists, since removing the package
# afterwards would then change the system.
set -uo pipefail
build="$(cd "${1:-build}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/xvfb.sh"
. "$here/player_driver.sh"

say() { echo "package-check: $*" >&2; }
problems=0
problem() {
  say "FAIL: $*"
  problems=$((problems + 1))
}

glint_use_driver "$build" || exit 2

deb=$(ls -t "$build"/glint_*_"$(dpkg --print-architecture)".deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  say "no glint_*.deb in $build; make it first (make package)"
  exit 2
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
apt_get() {
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q "$@"
}
packages() {
  dpkg-query -W -f='${binary:Package} ${Version} ${db:Status-Abbrev}\n' | sort
}

status=$(dpkg-query -W -f='${db:Status-Status}' glint 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != "not-installed" ]; then
  say "glint is on this system already ($status); remove it first"
  exit 2
fi
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./\(.*[^/]\)$|/\1|p')
for f in $files; do
  if [ -e "$f" ] || [ -L "$f" ]; then
    say "$f exists already; the package would take it over and its removal delete it"
    exit 2
  fi
done

say "lintian $(basename "$deb")"
lintian --fail-on error,warning --display-info "$deb" ||
  problem "lintian reports errors or warnings"

# Always a display of our own, so no other window takes the keys. Started
# before the trap below is set, which replaces the one xvfb.sh sets.
unset DISPLAY
glint_start_xvfb || exit 2
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

work="$(mktemp -d /tmp/glint-package-check.XXXXXX)"
packages >"$work/before"
installed=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  if [ -n "$installed" ]; then
    # What the installation brought in besides glint goes too.
    packages >"$work/installed"
    local added
    mapfile -t added < <(comm -13 <(cut -d' ' -f1 "$work/before") \
      <(cut -d' ' -f1 "$work/installed") | grep -vx glint)
    say "purging glint${added[*]:+ and ${added[*]}}"
    if ! apt_get purge glint "${added[@]}" >"$work/purge.log" 2>&1; then
      cat "$work/purge.log" >&2
      problem "apt-get purge"
    fi
    packages >"$work/after"
    diff "$work/before" "$work/after" >&2 || problem "the packages differ from before the check"
    for f in $files; do
      if [ -e "$f" ] || [ -L "$f" ]; then
        problem "$f is left after the purge"
      fi
    done
  fi
  rm -rf "$work"
}
finish() {
  cleanup
  glint_stop_xvfb
  if [ "$problems" -ne 0 ]; then
    say "$problems problem(s)"
    exit 1
  fi
  say "ok: lintian clean; installed, started from the launcher, ended with 0; purged"
}
trap finish EXIT

say "apt-get install $deb"
installed=1
if ! apt_get install --no-install-recommends "$deb" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  problem "apt-get install"
  exit 1
fi
[ "$(dpkg-query -W -f='${db:Status-Status}' glint)" = "installed" ] ||
  problem "glint is not installed"

metainfo=/usr/share/metainfo/io.github.glint.metainfo.xml
appstreamcli validate --no-net "$metainfo" >&2 || problem "$metainfo does not validate"
for page in glint zuo glint-player; do
  [ -s "/usr/share/man/man1/$page.1.gz" ] || problem "no manual page for $page"
done
grep -qxF 'Exec="/usr/bin/glint-player"' /usr/share/applications/glint.desktop ||
  problem "the desktop entry does not start the installed launcher"

# The launcher as the desktop entry starts it, from a folder elsewhere.
session() {
  local dialog window
  cd /
  /usr/bin/glint-player >"$work/run.out" 2>&1 &
  pid=$!
  dialog=$("$glint_driver" wait setup 60 "$pid") ||
    { problem "no setup dialog from the installed launcher"; return; }
  "$glint_driver" key "${dialog%% *}" Return >/dev/null
  window=$("$glint_driver" wait player 60 "$pid") ||
    { problem "no player window after Return"; return; }
  window="${window%% *}"
  [ "$(readlink "/proc/$pid/cwd")" = /usr/share/glint ] ||
    problem "the player does not run in /usr/share/glint"
  "$glint_driver" key "$window" Escape >/dev/null
  sleep 1
  "$glint_driver" key "$window" Escape >/dev/null
  glint_wait_exit "$pid" 30 || { problem "Escape twice did not end the player"; return; }
  pid=""
  [ "$glint_status" -eq 0 ] || problem "Escape twice ended the player with $glint_status"
}
say "starting the installed launcher"
session
[ "$problems" -eq 0 ] || cat "$work/run.out" >&2
