#!/usr/bin/env bash
# The real player plays a playlist of three tones through by itself after a mouse click on
# "Auto Play", under Xvfb with SDL's file-writing sound driver. The options tab's sliders are
# clicked first: the mix point down to 65 % and the fade speed to 25 ms a step. In what was
# heard, each tone must start at the mix point of the one before, at full level at once, while
# the one before falls linearly to silence: 2250 twips of knob travel, 10 a step, so silent
# after 225 steps and stopped at the 226th.
# usage: automix.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw"
export BIN="$bin" WORK="$work" E2E=$(cd "$(dirname "$0")" && pwd)
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_DATA_HOME/tornavel"

# Long enough for a fade of 226 x 25 ms to end inside the 35 % after the mix point, even when
# the once-a-second check comes late; the last tone plays on past the end of the run.
len=21 mix=65 step=0.025 steps=225
tones=(400 600 800)
lengths=($len $len 12)
list="[X -LIST]\r\n"
for i in 0 1 2; do
  f="$work/tone ${tones[$i]}.wav"
  ffmpeg -nostdin -loglevel error -f lavfi \
    -i "sine=frequency=${tones[$i]}:sample_rate=44100:duration=${lengths[$i]}" -ac 2 "$f"
  list+="FIL$f\r\n"
done
printf "$list" >"$XDG_DATA_HOME/tornavel/List.xlst"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  sleep 0.5
  click() { xdotool mousemove --sync $((wx + $1)) $((wy + $2)) click 1; sleep 0.2; }
  # The options tab; each click on a slider groove moves it one page (10) towards the click.
  click 420 330
  # (xdotool waits for the pointer to move, so no two clicks in a row share a point.)
  for x in 34 35 36; do click $x 471; done  # mix point 95 -> 65
  click 256 519                             # fade speed 50 -> 60: steps of 30 ms
  click 34 519                              # and back to 50: steps of 25 ms
  "$BIN/tv_screenshot" "$WORK/options.png" >/dev/null
  click 775 333                             # "Auto Play"
  "$BIN/tv_screenshot" "$WORK/auto.png" >/dev/null
  sleep 37
  "$BIN/tv_screenshot" "$WORK/end.png" >/dev/null
  exit_player
  code=$?
  [ $code -eq 0 ] || { echo "exit code $code"; tail -20 "$WORK/stderr"; }
  exit $code
'
[ -n "${SHOTS_DIR:-}" ] && cp "$work"/*.png "$SHOTS_DIR/"

"$bin/tv_analyse" "$work/out.raw" --tones 0.05 "${tones[@]}" | tee "$work/tones"
awk -v len="$len" -v mix="$mix" -v step="$step" -v steps="$steps" '
  function field(name,   i, kv) {
    for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] == name) return kv[2] + 0 }
    return -1
  }
  {
    n++; hz[n] = $1; onset[n] = field("onset"); full[n] = field("full"); peak[n] = field("peak")
    b75[n] = field("below75"); b50[n] = field("below50"); b25[n] = field("below25")
    b2[n] = field("silent"); tail[n] = field("tail")
  }
  function fail(what) { printf "FAIL: %s\n", what; bad = 1 }
  END {
    if (n != 3) { print "FAIL: three tones expected"; exit 1 }
    fade = steps * step
    for (i = 1; i <= 3; i++) {
      if (onset[i] < 0 || peak[i] < 0.05) fail(hz[i] " Hz was never heard")
      # The incoming deck starts at its full level, not faded in.
      if (full[i] - onset[i] > 0.051) fail(hz[i] " Hz took " full[i] - onset[i] " s to full level")
    }
    for (i = 1; i <= 2; i++) {
      gap = onset[i + 1] - onset[i]
      overlap = b2[i] - onset[i + 1]
      printf "transition %d: %d Hz -> %d Hz after %.2f s (mix point %.2f s); overlap %.2f s = %d steps of %g s (expected %.2f s)\n", \
        i, hz[i], hz[i + 1], gap, len * mix / 100, overlap, overlap / step + 0.5, step, fade
      printf "  old tone below 75/50/25 %% after %.2f/%.2f/%.2f s; for 2 s after the fade at most %.1f %% of its level\n", \
        b75[i] - onset[i + 1], b50[i] - onset[i + 1], b25[i] - onset[i + 1], 100 * tail[i]
      # The check runs once a second on a position polled every 100 ms: up to 1.1 s late.
      if (gap < len * mix / 100 - 0.3 || gap > len * mix / 100 + 1.6) fail("the mix did not start at the mix point")
      if (b2[i] < 0 || overlap < fade - 0.3 || overlap > fade + 0.6) fail("the fade did not last its steps")
      # Linear along the knob: a quarter, a half and three quarters of the way down.
      if (b75[i] - onset[i + 1] < 0.25 * fade - 0.3 || b75[i] - onset[i + 1] > 0.25 * fade + 0.3) fail("not a linear fade (75 %)")
      if (b50[i] - onset[i + 1] < 0.50 * fade - 0.3 || b50[i] - onset[i + 1] > 0.50 * fade + 0.3) fail("not a linear fade (50 %)")
      if (b25[i] - onset[i + 1] < 0.75 * fade - 0.3 || b25[i] - onset[i + 1] > 0.75 * fade + 0.45) fail("not a linear fade (25 %)")
      if (tail[i] > 0.01) fail(hz[i] " Hz was heard again after its fade")
    }
    exit bad
  }' "$work/tones"
echo "ok"
