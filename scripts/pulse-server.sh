#!/usr/bin/env bash
# A private PulseAudio server for the tests and benchmarks that play to a
# real sound server: its own folder (runtime, state, configuration, socket),
# one null sink "glint" (float stereo, 44.1 kHz) whose monitor can be
# recorded, anonymous access. No system or user server is touched; works as
# root and as a user.
#
#   pulse-server.sh run CMD ARGS...   a server for CMD's lifetime; CMD gets
#                                     the client environment (below). CTest
#                                     uses this as the launcher of the tests
#                                     that need a server.
#   pulse-server.sh start DIR         starts a server in DIR (made if needed)
#   pulse-server.sh stop DIR          stops it (the folder stays)
#   pulse-server.sh env DIR           prints the client environment for DIR
#
# A null sink renders two seconds ahead while nobody asks for less, and
# does not take that back for a new stream. So a quiet monitor reader asks
# for a short latency from the start, and the clients' socket opens only
# once the sink has caught up: from then on a stream starts at once, as on
# real hardware.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

client_env() {
  local dir="$1"
  echo "PULSE_SERVER=unix:$dir/native"
  echo "PULSE_COOKIE=$dir/client-cookie"
  echo "PULSE_CLIENTCONFIG=$dir/client.conf"
  echo "XDG_CONFIG_HOME=$dir/config"
  echo "GLINT_PULSE_DIR=$dir"
  echo "GLINT_PULSE_SCRIPT=$here/pulse-server.sh"
}

start() {
  local dir="$1" setup i lat
  mkdir -p "$dir/runtime" "$dir/state" "$dir/config" || return 1
  rm -f "$dir/setup" "$dir/native"
  cat >"$dir/server.pa" <<EOF
load-module module-native-protocol-unix socket=$dir/setup auth-anonymous=1
load-module module-null-sink sink_name=glint format=float32le rate=44100 channels=2
set-default-sink glint
EOF
  echo "autospawn = no" >"$dir/client.conf"
  HOME="$dir" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir" \
    PULSE_RUNTIME_PATH="$dir/runtime" PULSE_STATE_PATH="$dir/state" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --log-level=error -F "$dir/server.pa" </dev/null >>"$dir/server.log" 2>&1 &
  echo $! >"$dir/server.pid"
  for i in $(seq 100); do
    [ -S "$dir/setup" ] && break
    sleep 0.05
  done
  echo "$(date +%s.%N) setup socket after $i" >>"$dir/server.log"
  setup=(env PULSE_SERVER="unix:$dir/setup" PULSE_COOKIE="$dir/client-cookie"
    PULSE_CLIENTCONFIG="$dir/client.conf" XDG_CONFIG_HOME="$dir/config")
  "${setup[@]}" parec --device=glint.monitor --latency-msec=20 </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/keeper.pid"
  for i in $(seq 100); do
    lat=$("${setup[@]}" pactl list sinks 2>/dev/null | awk '/Latency:/ {print $2; exit}')
    [ -n "$lat" ] && [ "$lat" -lt 100000 ] && break
    sleep 0.05
  done
  echo "$(date +%s.%N) settled after $i: $lat" >>"$dir/server.log"
  "${setup[@]}" pactl load-module module-native-protocol-unix socket="$dir/native" \
    auth-anonymous=1 >/dev/null || { echo "pulse-server: no server in $dir" >&2; return 1; }
}

stop() {
  local dir="$1" name pid i
  for name in keeper server; do
    pid=$(cat "$dir/$name.pid" 2>/dev/null) || continue
    kill "$pid" 2>/dev/null
    for i in $(seq 40); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    echo "$(date +%s.%N) $name stopped after $i" >>"$dir/server.log"
    kill -9 "$pid" 2>/dev/null
    rm -f "$dir/$name.pid"
  done
  rm -f "$dir/setup" "$dir/native"
}

case "${1:-}" in
run)
  shift
  dir="$(mktemp -d "${TMPDIR:-/tmp}/glint-pulse.XXXXXX")" || exit 1
  trap 'stop "$dir"; rm -rf "$dir"' EXIT
  start "$dir" || exit 1
  while IFS= read -r line; do export "${line?}"; done < <(client_env "$dir")
  # An SDL driver named by the caller (the tests' dummy) would win over
  # the server.
  unset SDL_AUDIODRIVER
  "$@"
  status=$?
  # The server's own log tells what it saw when something failed.
  [ $status -eq 0 ] || sed 's/^/pulse-server: /' "$dir/server.log" >&2
  exit $status
  ;;
start) start "$2" ;;
stop) stop "$2" ;;
env) client_env "$2" ;;
*)
  echo "usage: pulse-server.sh run CMD... | start DIR | stop DIR | env DIR" >&2
  exit 2
  ;;
esac
