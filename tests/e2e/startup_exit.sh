#!/usr/bin/env bash
# The real player under Xvfb with SDL's file-writing sound driver: it must show the main
# window after the splash, draw it, and leave cleanly through its exit button.
# usage: startup_exit.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"

"$(dirname "$0")/xvfb.sh" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  sleep 0.5
  colours=$("$BIN/tv_screenshot" "$WORK/shot.png")
  echo "screenshot colours: $colours"
  if [ "$colours" -lt 20 ]; then echo "the window looks empty"; kill $pid; exit 1; fi
  # The exit button sits at the top right corner of the window.
  exit_player
  code=$?
  echo "exit code $code"
  exit $code
'
if grep -qi "no sound device" "$work/stderr"; then echo "the disk driver did not open"; exit 1; fi

# SIGTERM runs the same shut-down: the playlist file is written and the exit is clean.
rm -f "$XDG_DATA_HOME/tornavel/List.xlst"
"$(dirname "$0")/xvfb.sh" bash -c '
  . "$E2E/window.sh"
  start_player
  sleep 1
  kill -TERM $pid
  wait $pid
  code=$?
  echo "exit code after SIGTERM $code"
  exit $code
'
test -f "$XDG_DATA_HOME/tornavel/List.xlst" || { echo "the playlist was not saved on SIGTERM"; exit 1; }
test -s "$work/out.raw" || { echo "nothing reached the sound driver"; exit 1; }
echo "ok"
