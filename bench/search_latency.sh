#!/usr/bin/env bash
# The real player, a library of a million paths, and a user typing searches: how soon a
# one-letter search fills the result list's screen, and how soon each key typed while
# searches run shows in the box. A measurement, not a test: it prints its figures.
# usage: bench/search_latency.sh BIN_DIR [ROUNDS]
set -euo pipefail
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/run" DBUS_SESSION_BUS_ADDRESS=
export SDL_AUDIODRIVER=dummy QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
export BIN="$bin" WORK="$work" E2E="$here/../tests/e2e" HERE="$here" ROUNDS="${2:-5}"
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_DATA_HOME/tornavel"
mkdir -m 700 "$XDG_RUNTIME_DIR"
awk 'BEGIN { for (i = 0; i < 1000000; i++)
  printf "/home/user/Music/Artist %d/Album %d/%d - Track Name %d%s\r\n",
    i % 5000, i % 37, i % 20 + 1, i, (i % 3 ? ".mp3" : ".wma") }' \
  >"$XDG_DATA_HOME/tornavel/Database.txt"

"$E2E/xvfb.sh" dbus-run-session -- bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  sleep 3  # the library loads
  xdotool mousemove --sync $((wx + 144)) $((wy + 330)) click 1  # the library tab
  sleep 0.5
  status=0
  /usr/bin/python3 "$HERE/search_latency.py" "$ROUNDS" || status=$?
  kill -TERM $pid
  wait $pid || true
  exit $status
'
