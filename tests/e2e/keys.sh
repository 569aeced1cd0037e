#!/usr/bin/env bash
# The keys through the window system: with an edited key map (deck A's play on G, one line
# of nonsense), G pressed in the window pauses deck A and pressed again resumes it; the bad
# line is said on stderr and skipped. What SDL's file-writing driver captured falls silent
# and comes back.
# usage: keys.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"
"$bin/tv_tone" "$work/a.wav" 440 60 0.5
mkdir -p "$XDG_CONFIG_HOME/tornavel"
printf 'DeckA.PlayPause = G\nplay it all\n' >"$XDG_CONFIG_HOME/tornavel/keys.txt"

"$E2E/xvfb.sh" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player "$WORK/a.wav"
  sleep 1
  # The clock: a click that does nothing but give the window the keyboard.
  xdotool mousemove --sync $((wx + 455)) $((wy + 17)) click 1
  sleep 0.3
  xdotool key g
  sleep 0.8
  xdotool key g
  sleep 2
  kill -TERM $pid
  wait $pid
'
grep -q 'keys.txt: line 2: .* skipped' "$work/stderr" || { echo "FAIL: the bad line was not said"; exit 1; }
"$bin/tv_analyse" "$work/out.raw" --tones 0.05 440 | tee "$work/tones"
awk '{ for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] + 0 } }
  END {
    if (f["onset"] < 0) { print "FAIL: the track was never heard"; exit 1 }
    if (f["silent"] < 0) { print "FAIL: the key did not pause the deck"; exit 1 }
    if (f["tail"] < 0.5) { print "FAIL: the key did not resume the deck"; exit 1 }
    print "ok"
  }' "$work/tones"
