#!/usr/bin/env bash
# The real player plays a playlist of three tones through by itself after a mouse click on
# "Auto Play", under Xvfb with SDL's file-writing sound driver. The options tab's sliders are
# clicked first: the mix point down to 65 % and the fade speed to 25 ms a step. In what was
# heard, each tone must start at the mix point of the one before, at full level at once, while
# the one before falls linearly to silence: 2250 twips of knob travel, 10 a step, so silent
# after 225 steps and stopped at the 226th. The steps are counted in what was heard (each one
# lowers the level by the same amount), not timed: on a busy machine the fade's timer, and
# the sound driver's clock, run late.
# usage: automix.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"

# Long enough for a fade of 226 x 25 ms to end inside the 35 % after the mix point, even when
# the once-a-second check comes late; the last tone plays on past the end of the run.
len=21 mix=65 step=0.025 steps=225
tones=(400 600 800)
lengths=($len $len 12)
files=()
for i in 0 1 2; do
  f="$work/tone ${tones[$i]}.wav"
  ffmpeg -nostdin -loglevel error -f lavfi \
    -i "sine=frequency=${tones[$i]}:sample_rate=44100:duration=${lengths[$i]}" -ac 2 "$f"
  files+=("$f")
done
write_playlist "${files[@]}"

"$(dirname "$0")/xvfb.sh" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  sleep 0.5
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
# The knob's path, from half a second before the next tone starts to half a second after
# the old one fell silent.
field() { awk -v hz="$1" -v name="$2" '$1 == hz { for (f = 2; f <= NF; f++) if (index($f, name "=") == 1) print substr($f, length(name) + 2) }' "$work/tones"; }
for i in 0 1; do
  from=$(awk -v t="$(field "${tones[$((i + 1))]}" onset)" 'BEGIN { print t - 0.5 }')
  to=$(awk -v t="$(field "${tones[$i]}" silent)" 'BEGIN { print t + 0.5 }')
  echo "${tones[$i]} $("$bin/tv_analyse" "$work/out.raw" --steps "${tones[$i]}" "$from" "$to" \
    "${tones[$((i + 1))]}" || true)" | tee -a "$work/steps"
done

awk -v len="$len" -v mix="$mix" -v step="$step" -v steps="$steps" '
  function field(name,   i, kv) {
    for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] == name) return kv[2] + 0 }
    return -1
  }
  FNR == NR {
    n++; hz[n] = $1; onset[n] = field("onset"); full[n] = field("full"); peak[n] = field("peak")
    b2[n] = field("silent"); tail[n] = field("tail")
    next
  }
  {
    k++; counted[k] = field("steps"); worst[k] = field("worst"); worstat[k] = field("worstat")
    skipped[k] = field("skipped")
    first[k] = field("first"); last[k] = field("last")
  }
  function fail(what) { printf "FAIL: %s\n", what; bad = 1 }
  END {
    if (n != 3 || k != 2) { print "FAIL: three tones and two fades expected"; exit 1 }
    fade = steps * step
    for (i = 1; i <= 3; i++) {
      if (onset[i] < 0 || peak[i] < 0.05) fail(hz[i] " Hz was never heard")
      # The incoming deck starts at its full level, not faded in.
      if (full[i] - onset[i] > 0.051) fail(hz[i] " Hz took " full[i] - onset[i] " s to full level")
    }
    for (i = 1; i <= 2; i++) {
      gap = onset[i + 1] - onset[i]
      overlap = b2[i] - onset[i + 1]
      printf "transition %d: %d Hz -> %d Hz after %.2f s (mix point %.2f s); fade of %.2f s (%.2f s by the clock)\n", \
        i, hz[i], hz[i + 1], gap, len * mix / 100, overlap, fade
      printf "  %.1f equal steps from %.1f %% of the full level to %.2f %%, none off by more than %.2f of a step (at %.2f s; %d falls beside a start left out); after the fade at most %.1f %%\n", \
        counted[i], 100 * first[i] / peak[i], 100 * last[i] / peak[i], worst[i], worstat[i], skipped[i], 100 * tail[i]
      # The check runs once a second on a position polled every 100 ms: up to 1.1 s late,
      # later on a busy machine.
      if (gap < len * mix / 100 - 0.3 || gap > len * mix / 100 + 2.0) fail("the mix did not start at the mix point")
      if (b2[i] < 0 || overlap < 0.7 * fade || overlap > 1.6 * fade) fail("the fade did not last about its steps")
      # Linear along the knob: from full level to silence in 225 equal steps.
      if (counted[i] < steps - 3 || counted[i] > steps + 3) fail("the fade took " counted[i] " steps, not " steps)
      # Falls where the next tone starts are left out of that measure: one or two blocks.
      if (worst[i] < 0 || worst[i] > 0.2 || skipped[i] > 2) fail("the fade fell by uneven steps")
      if (first[i] < 0.97 * peak[i] || last[i] > 0.004 * peak[i]) fail("the fade did not run from full level to silence")
      if (tail[i] > 0.01) fail(hz[i] " Hz was heard again after its fade")
    }
    exit bad
  }' "$work/tones" "$work/steps"
echo "ok"
