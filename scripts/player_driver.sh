# Sourced by the scripts that start the real player on a display and work it
# from outside. The driver is glint-driver (tools/player_driver), built
# beside the player: it waits for the player's windows by the titles the
# player itself uses, presses keys and clicks its controls (`glint-driver`
# alone lists its commands). Needs DISPLAY (see xvfb.sh).

# glint_use_driver BUILDDIR: sets glint_driver to the build's glint-driver;
# fails, saying so, when it has not been built.
glint_use_driver() {
  glint_driver="$1/glint-driver"
  if [ ! -x "$glint_driver" ]; then
    echo "$glint_driver is missing; build first (make build)" >&2
    return 1
  fi
}

# glint_wait_exit PID SECONDS: waits for the shell's own child to end and
# sets glint_status to its exit status; fails (leaving it running) on time-out.
glint_wait_exit() {
  local pid="$1" seconds="$2" i
  for i in $(seq 1 $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      glint_status=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}
