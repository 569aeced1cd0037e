#!/usr/bin/env bash
# The player as a screen reader or a script reaches it: on a session bus with the
# accessibility bus, a script finds the controls through AT-SPI by their names, reads deck
# A's volume knob as a slider at full level, and presses deck A's stop and then its play
# button through their actions; what SDL's file-writing driver captured falls silent and
# comes back.
# usage: accessibility.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"
export XDG_RUNTIME_DIR="$work/run" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$bin/tv_tone" "$work/a.wav" 440 60 0.5

"$E2E/xvfb.sh" dbus-run-session -- bash -c '
  set -u
  . "$E2E/window.sh"
  start_player "$WORK/a.wav"
  /usr/bin/python3 "$E2E/accessibility.py" 0.8 || { tail -n 20 "$WORK/stderr"; kill $pid; exit 1; }
  sleep 2
  kill -TERM $pid
  wait $pid
'
"$bin/tv_analyse" "$work/out.raw" --tones 0.05 440 | tee "$work/tones"
# Heard, silent after the stop, and back after the play.
awk '{ for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] + 0 } }
  END {
    if (f["onset"] < 0) { print "FAIL: the track was never heard"; exit 1 }
    if (f["silent"] < 0) { print "FAIL: the stop did not stop the deck"; exit 1 }
    if (f["tail"] < 0.5) { print "FAIL: the play did not start the deck again"; exit 1 }
    print "ok"
  }' "$work/tones"
