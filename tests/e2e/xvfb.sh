#!/usr/bin/env bash
# Runs a command on an X server of its own: Xvfb, one 1024x768 screen, on a display number
# the server picks itself when it is ready (-displayfd). Tests started side by side, here or
# by other users of the machine, so never share a display or fight over one (xvfb-run -a
# guesses a free number from the lock files and can lose the race).
# usage: xvfb.sh COMMAND [ARGUMENTS...]
set -euo pipefail
dir=$(mktemp -d)
server=
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" >"$dir/log" 2>&1 &
server=$!
if ! read -r -t 60 number <"$dir/display"; then
  echo "Xvfb did not start:" >&2
  cat "$dir/log" >&2
  exit 1
fi
export DISPLAY=":$number"
unset XAUTHORITY
"$@"
