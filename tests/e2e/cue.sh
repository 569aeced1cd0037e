#!/usr/bin/env bash
# The headphone cue on one stereo device, set up through the settings before the start: deck
# A plays 440 Hz to the room, deck B plays 660 Hz with its volume knob at the bottom and its
# CUE on. In what SDL's file-writing driver captured, the left channel (the room) holds 440 Hz
# only, and the right channel (the headphones) 660 Hz only.
# usage: cue.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"
export XDG_RUNTIME_DIR="$work/run" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/tornavel"
printf '[TORNAVEL.CUE]\nMODE=1\n' >"$XDG_CONFIG_HOME/tornavel/tornavel.ini"
"$bin/tv_tone" "$work/a.wav" 440 60 0.5
"$bin/tv_tone" "$work/b.wav" 660 60 0.5

"$E2E/xvfb.sh" dbus-run-session -- bash -c '
  set -u
  . "$E2E/window.sh"
  start_player "$WORK/a.wav" "$WORK/b.wav"
  /usr/bin/python3 "$E2E/cue.py" $wx $wy || { tail -n 20 "$WORK/stderr"; kill $pid; exit 1; }
  date +%s.%N >"$WORK/cued"
  sleep 3
  "$BIN/tv_screenshot" "$WORK/cue.png" >/dev/null
  kill -TERM $pid
  wait $pid
'
[ -n "${SHOTS_DIR:-}" ] && cp "$work"/*.png "$SHOTS_DIR/"
# The last two seconds of the capture, in quarter seconds: 440 left, 660 right.
"$bin/tv_analyse" "$work/out.raw" --sides 0.25 440 660 | tail -n 9 | head -n 8 | tee "$work/sides"
awk '{ n++
    if ($2 < 0.2 || $3 > 0.005 || $4 > 0.005 || $5 < 0.2) bad++ }
  END {
    if (n < 8) { print "FAIL: the capture is too short"; exit 1 }
    if (bad) { print "FAIL: " bad " of " n " windows mix the sides (440 L R, 660 L R)"; exit 1 }
    print "ok"
  }' "$work/sides"
