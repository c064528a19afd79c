# Sourced by the scripts that start the real player on a display and work it
# from the keyboard (xdotool): wait for one of its windows, press a key in
# it, wait for the process to end. Needs DISPLAY (see xvfb.sh).

# The setup dialog's and the main window's titles.
glint_dialog_title="keltraWorks :: Setup"
glint_window_title="TEV/VORMILA :: \[ GLINT \]"

# glint_wait_window TITLE-REGEX SECONDS PID: prints the window id once a
# window of that title is mapped; fails when the time is up or PID ended.
glint_wait_window() {
  local title="$1" seconds="$2" pid="$3" id i
  for i in $(seq 1 $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# glint_press WINDOW KEY: gives the window the keyboard focus (there is no
# window manager to do it) and presses the key through XTEST.
glint_press() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null || true
  xdotool key --clearmodifiers "$2"
}

# glint_wait_exit PID SECONDS: waits for the process to end and sets
# glint_status to its exit status; fails (leaving it running) on time-out.
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
