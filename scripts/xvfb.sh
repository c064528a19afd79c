# Sourced by the scripts that need a display.
#
#   glint_start_xvfb                  when DISPLAY is unset, a private 1024 x 768
#                                     Xvfb on a free display number (a set
#                                     DISPLAY is used as it is)
#   glint_start_xvfb 1920x1080 [wm]   always a private Xvfb of that size; with
#                                     "wm", openbox on it as the window manager,
#                                     with scripts/openbox-rc.xml and a home of
#                                     its own (no user settings, no autostart)
#
# Whatever was started stops when the calling script exits, whatever the
# outcome (or at glint_stop_xvfb).
glint_xvfb_here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
glint_xvfb_pid=""
glint_wm_pid=""
glint_wm_home=""
glint_stop_xvfb() {
  if [ -n "$glint_wm_pid" ]; then
    kill "$glint_wm_pid" 2>/dev/null || true
    wait "$glint_wm_pid" 2>/dev/null || true
    glint_wm_pid=""
  fi
  if [ -n "$glint_wm_home" ]; then
    rm -rf "$glint_wm_home"
    glint_wm_home=""
  fi
  if [ -n "$glint_xvfb_pid" ]; then
    kill "$glint_xvfb_pid" 2>/dev/null || true
    wait "$glint_xvfb_pid" 2>/dev/null || true
    glint_xvfb_pid=""
  fi
}
# Waits up to 5 s until the command after the first three arguments
# succeeds, while process $1 ($2, logging to $3) still runs.
glint_wait_until() {
  local pid="$1" what="$2" log="$3" i
  shift 3
  for i in $(seq 1 100); do
    if "$@"; then
      return 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "test: $what failed to start" >&2
      cat "$log" >&2
      return 1
    fi
    sleep 0.05
  done
  echo "test: $what did not answer" >&2
  return 1
}
glint_display_answers() {
  xdpyinfo >/dev/null 2>&1
}
glint_display_managed() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
glint_start_openbox() {
  glint_wm_home="$(mktemp -d "${TMPDIR:-/tmp}/glint-openbox.XXXXXX")" || return 1
  HOME="$glint_wm_home" XDG_CONFIG_HOME="$glint_wm_home/config" \
    XDG_CACHE_HOME="$glint_wm_home/cache" \
    openbox --config-file "$glint_xvfb_here/openbox-rc.xml" >"$glint_wm_home/openbox.log" 2>&1 &
  glint_wm_pid=$!
  glint_wait_until "$glint_wm_pid" "openbox on $DISPLAY" "$glint_wm_home/openbox.log" \
    glint_display_managed
}
glint_start_xvfb() {
  local size="${1:-}" wm="${2:-}"
  if [ -z "$size" ] && [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  size="${size:-1024x768}"
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
    n=$((n + 1))
  done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp +extension GLX >/tmp/glint-xvfb-$n.log 2>&1 &
  glint_xvfb_pid=$!
  # Keep whatever the calling script already runs on exit (its own clean-up).
  local previous=""
  if [ -n "$(trap -p EXIT)" ]; then
    eval "set -- $(trap -p EXIT)"
    previous="$3"
  fi
  trap "glint_stop_xvfb; $previous" EXIT
  export DISPLAY=":$n"
  glint_wait_until "$glint_xvfb_pid" "Xvfb on :$n" "/tmp/glint-xvfb-$n.log" \
    glint_display_answers || return 1
  if [ "$wm" = wm ]; then
    glint_start_openbox
  fi
}
