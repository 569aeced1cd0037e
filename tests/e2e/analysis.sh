#!/usr/bin/env bash
# The real player measures the tracks of its library by itself: three click tracks at known
# tempi, tagged, as MP3, FLAC and Ogg Vorbis, listed in the library file. Once the player has
# run, the track database beside the library file holds each one's tags, length, loudness and
# tempo, as sqlite3 reads them.
# usage: analysis.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"
data="$XDG_DATA_HOME/tornavel"
make() {  # name bpm seconds artist title
  local beat
  beat=$(awk -v b="$2" 'BEGIN { printf "%.6f", 60 / b - 0.02 }')
  sox -n -r 44100 -c 2 "$work/click.wav" synth 0.02 sine 1000 vol 0.7 pad 0 "$beat" \
    repeat $(($3 * $2 / 60 - 1))
  ffmpeg -nostdin -loglevel error -i "$work/click.wav" -metadata artist="$4" -metadata title="$5" \
    -metadata album="Tempi" "$work/$1"
  printf '%s\n' "$work/$1" >>"$data/Database.txt"
}
make "one.mp3" 120 30 "ETR Composers" "One"
make "two.flac" 96 30 "Beta Band" "Two"
make "three.ogg" 140 30 "Gamma" "Three"

"$E2E/xvfb.sh" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  wait_measured 3
  xdotool mousemove --sync $((wx + 143)) $((wy + 329)) click 1  # the library tab
  sleep 1
  "$BIN/tv_screenshot" "$WORK/analysis.png" >/dev/null
  # The columns after the path, a page to the right.
  xdotool mousemove --sync $((wx + 480)) $((wy + 609)) click 1
  sleep 0.5
  "$BIN/tv_screenshot" "$WORK/columns.png" >/dev/null
  exit_player
'
[ -n "${SHOTS_DIR:-}" ] && cp "$work"/*.png "$SHOTS_DIR/"
sqlite3 -separator ' | ' "$data/tracks.db" \
  "select cast(path as text), artist, title, album, duration_ms, bpm, loudness_lufs, failed
   from tracks order by path" | tee "$work/rows"
awk -F ' [|] ' -v dir="$work" '
  function expect(name, artist, title, bpm) {
    if (!(name in row)) { print "FAIL: no row for " name; bad++; return }
    split(row[name], f, " [|] ")
    if (f[2] != artist || f[3] != title || f[4] != "Tempi") { print "FAIL: tags of " name; bad++ }
    if (f[5] < 29900 || f[5] > 30100) { print "FAIL: " name " lasts " f[5] " ms"; bad++ }
    if (f[6] < bpm * 0.99 || f[6] > bpm * 1.01) { print "FAIL: " name " at " f[6] " BPM"; bad++ }
    if (f[7] == "" || f[7] > -5 || f[7] < -40) { print "FAIL: " name " loudness " f[7]; bad++ }
    if (f[8] != 0) { print "FAIL: " name " marked failed"; bad++ }
  }
  { n = split($1, p, "/"); row[p[n]] = $0 }
  END {
    expect("one.mp3", "ETR Composers", "One", 120)
    expect("two.flac", "Beta Band", "Two", 96)
    expect("three.ogg", "Gamma", "Three", 140)
    if (bad) exit 1
    print "ok"
  }' "$work/rows"
