#!/usr/bin/env bash
# The real player mixes three click tracks at nearby tempi on the beat, under Xvfb with SDL's
# file-writing sound driver: "Match beats" is set in the settings before the start, the player
# measures the tracks by itself, and then the options tab's mix point is clicked down to 65 %
# and "Auto Play" ticked. Each track clicks its own tone on every beat, after a second of
# silence, and ends in 2 s of it. In what was heard, through each overlap, every beat of the
# outgoing track that can still be told apart lies within 10 ms of one of the incoming's.
# usage: beatmix.sh BIN_DIR [KEEP_DIR]
work=${2:-}
[ -z "$work" ] || mkdir -p "$work"
. "$(dirname "$0")/setup.sh" "$1"
[ -z "${2:-}" ] || trap - EXIT
mkdir -p "$XDG_CONFIG_HOME/tornavel"
# Levelling stays off: two tracks at their own level sum below the master limiter's knee, so
# nothing of one track's clicks reaches another's tone.
printf '[TORNAVEL.AUTOMIX]\nBEATMIX=1\nLEVEL=0\n' >"$XDG_CONFIG_HOME/tornavel/tornavel.ini"
len=22
bpms=(120 123 118)
tones=(800 2900 6500)
firsts=(1.3 1.45 1.2)
files=()
for i in 0 1 2; do
  f="$work/clicks ${bpms[$i]}.wav"
  p=$(awk -v b="${bpms[$i]}" 'BEGIN { printf "%.6f", 60 / b }')
  t0=${firsts[$i]} hz=${tones[$i]}
  # A click rises in a third of a millisecond, so that its start does not sound at every
  # frequency, and falls away in 5 ms.
  c="mod(t-$t0,$p)"
  ffmpeg -nostdin -loglevel error -f lavfi -i "aevalsrc='0.3*gte(t,$t0)*lt(t,$len-2)*(1-exp(-3000*$c))*exp(-200*$c)*sin(2*PI*$hz*$c)':s=44100:d=$len" \
    -ac 2 "$f"
  files+=("$f")
done
write_playlist "${files[@]}"

"$(dirname "$0")/xvfb.sh" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  wait_measured 3
  click 420 330                             # the options tab
  for x in 34 35 36; do click $x 471; done  # mix point 95 -> 65
  click 775 333                             # "Auto Play"
  sleep 35
  exit_player
'
sqlite3 "$XDG_DATA_HOME/tornavel/tracks.db" \
  "select cast(path as text), bpm, beat_offset_ms from tracks order by path" | tee "$work/rows"
# The heard tones sit a few percent off their own: a 4 ms window takes them all the same.
"$bin/tv_analyse" "$work/out.raw" --onsets "${tones[@]}" >"$work/onsets"
awk -v bpms="${bpms[*]}" '
  { n++; m[n] = NF - 1; for (f = 2; f <= NF; f++) t[n, f - 1] = $f }
  function abs(v) { return v < 0 ? -v : v }
  # How late the nearest onset of tone k comes after x (early: negative).
  function nearest(k, x,   j, d, best) {
    best = 1e9
    for (j = 1; j <= m[k]; j++) { d = t[k, j] - x; if (abs(d) < abs(best)) best = d }
    return best
  }
  END {
    split(bpms, bpm, " ")
    if (n != 3) { print "FAIL: three tones expected"; exit 1 }
    for (i = 1; i <= 2; i++) {
      if (m[i] < 5 || m[i + 1] < 5) { print "FAIL: transition " i " not heard"; bad = 1; continue }
      from = t[i + 1, 1]; to = t[i, m[i]]
      worst = 0; sum = 0; c = 0; firstoff = ""; lastoff = 0
      for (j = 1; j <= m[i]; j++) {
        x = t[i, j]
        if (x < from - 0.005 || x > to) continue
        d = 1000 * nearest(i + 1, x)
        if (firstoff == "") firstoff = d
        lastoff = d
        if (abs(d) > worst) worst = abs(d)
        sum += abs(d); c++
      }
      printf "transition %d: %s -> %s BPM, overlap %.1f s, %d beats: first %+.1f ms, last %+.1f ms, mean %.1f ms, worst %.1f ms\n", \
        i, bpm[i], bpm[i + 1], to - from, c, firstoff, lastoff, sum / (c ? c : 1), worst
      if (c < 5) { print "FAIL: transition " i " overlapped by " c " beats"; bad = 1 }
      if (worst > 10) { print "FAIL: transition " i " beats apart by " worst " ms"; bad = 1 }
    }
    exit bad
  }' "$work/onsets"
echo "ok"
