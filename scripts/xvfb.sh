# Sourced by the scripts that need a display. When DISPLAY is unset, starts a
# private Xvfb on a free display number and stops it when the calling script
# exits, whatever the outcome. `glint_start_xvfb [WIDTHxHEIGHT]`: 1024x768
# unless given.
glint_xvfb_pid=""
glint_stop_xvfb() {
  if [ -n "$glint_xvfb_pid" ]; then
    kill "$glint_xvfb_pid" 2>/dev/null || true
    wait "$glint_xvfb_pid" 2>/dev/null || true
    glint_xvfb_pid=""
  fi
}
glint_start_xvfb() {
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
    n=$((n + 1))
  done
  Xvfb ":$n" -screen 0 "${1:-1024x768}x24" -nolisten tcp +extension GLX >/tmp/glint-xvfb-$n.log 2>&1 &
  glint_xvfb_pid=$!
  # Keep whatever the calling script already runs on exit (its own clean-up).
  local previous=""
  if [ -n "$(trap -p EXIT)" ]; then
    eval "set -- $(trap -p EXIT)"
    previous="$3"
  fi
  trap "glint_stop_xvfb; $previous" EXIT
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    if xdpyinfo >/dev/null 2>&1; then
      return 0
    fi
    if ! kill -0 "$glint_xvfb_pid" 2>/dev/null; then
      echo "test: Xvfb failed to start on :$n" >&2
      cat "/tmp/glint-xvfb-$n.log" >&2
      return 1
    fi
    sleep 0.05
  done
  echo "test: Xvfb did not answer on :$n" >&2
  return 1
}
