#!/usr/bin/env bash
# Runs a command on an X server of its own: Xvfb, one 1024x768 screen. Tests started side by
# side, here or by other users of the machine, must never share a display or fight over one:
# a server that is shutting down removes its display's socket after it has let go of the
# number, so a new server that takes the number the moment it is free (as xvfb-run -a and
# -displayfd both do) can lose its socket. Each server therefore takes a random number
# between 100 and 899, another one when that is taken, and reports when it is ready. It
# never resets: by default a server resets when its last client leaves, and a client that
# connects during the reset (the player right after the readiness probe below) is dropped
# with "could not connect to display".
# usage: xvfb.sh COMMAND [ARGUMENTS...]
set -euo pipefail
dir=$(mktemp -d)
server=
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
mkfifo "$dir/display"
for _ in $(seq 1 20); do
  number=$((100 + RANDOM % 800))
  Xvfb ":$number" -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" \
    >"$dir/log" 2>&1 &
  server=$!
  # The server writes its number once it listens; one that cannot have the number ends, and
  # the reader sees the end of the pipe instead.
  if read -r -t 60 ready <"$dir/display" && [ "$ready" = "$number" ]; then
    export DISPLAY=":$number"
    unset XAUTHORITY
    # A client must get through before the command runs.
    for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    "$@"
    exit
  fi
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  server=
done
echo "Xvfb did not start:" >&2
cat "$dir/log" >&2
exit 1
