#!/usr/bin/env bash
# The desktop's media controls and the command line, on a real session bus: the real player
# under Xvfb and dbus-run-session with SDL's file-writing driver, driven by playerctl as media
# keys and panel widgets drive it.
# - `tornavel FILE...` appends the files after the playlist file's entries and plays the
#   first; a missing file is one line on stderr.
# - play, pause, next and metadata give the states and titles a user expects; volume 0.5
#   moves the master knob (seen in a screenshot) and halves what is heard.
# - A second `tornavel FILE` hands its file to the running player and exits 0 at once: it
#   joins the list without cutting the playing track, or starts when the deck is stopped.
# - Quit runs the normal shut-down: the playlist file holds every entry.
# - Without a session bus the player runs on its own and says so once.
# usage: mpris.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
# Keeps the toolkit from writing a line of its own to stderr.
export XDG_RUNTIME_DIR="$work/run"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw"
export BIN="$bin" WORK="$work"
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_DATA_HOME/tornavel" "$work/music"
mkdir -m 700 "$XDG_RUNTIME_DIR"

tone() {  # tone NAME HZ SECONDS
  ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=$2:sample_rate=44100:duration=$3" \
    -ac 2 "$work/music/$1"
}
tone "Zeta - Old.wav" 300 30
tone "Alpha - One.wav" 400 30
tone "Beta - Two.wav" 600 30
tone "Gamma - Three.wav" 800 30
tone "Delta - Four.wav" 1000 30
printf '[X -LIST]\r\nFIL%s\r\n' "$work/music/Zeta - Old.wav" >"$XDG_DATA_HOME/tornavel/List.xlst"

"$(dirname "$0")/xvfb.sh" dbus-run-session -- bash -c '
  set -u
  fail() { echo "FAIL: $*"; tail -5 "$WORK/stderr"; kill $pid 2>/dev/null; exit 1; }
  pc() { playerctl -p tornavel "$@" 2>/dev/null; }
  # Waits up to 10 s for `pc ARGS` to print WANT.
  await() {
    local want=$1; shift
    for _ in $(seq 1 100); do [ "$(pc "$@")" = "$want" ] && return 0; sleep 0.1; done
    fail "playerctl $* printed \"$(pc "$@")\", not \"$want\""
  }
  cd "$WORK/music"
  "$BIN/tornavel" "Alpha - One.wav" missing.wav "$WORK/music/Beta - Two.wav" \
    >"$WORK/stdout" 2>"$WORK/stderr" &
  pid=$!
  await Playing status
  await "Alpha|One" metadata --format "{{artist}}|{{title}}"
  pc metadata >"$WORK/metadata.txt"
  echo "--- playerctl metadata while a track plays:"; cat "$WORK/metadata.txt"; echo "---"
  grep -q "xesam:url  *file://$WORK/music/Alpha%20-%20One.wav" "$WORK/metadata.txt" ||
    fail "no file URL in the metadata"
  grep -q "mpris:length  *30000000" "$WORK/metadata.txt" || fail "no length in the metadata"
  [ "$(grep -c . "$WORK/stderr")" -eq 1 ] && grep -q "missing.wav" "$WORK/stderr" ||
    fail "expected one line about missing.wav on stderr"
  sleep 1

  pc pause; await Paused status
  sleep 1
  pc play; await Playing status
  sleep 1
  pc next
  await "Beta|Two" metadata --format "{{artist}}|{{title}}"
  await Playing status
  sleep 1

  main=$(xdotool search --onlyvisible --name "^Torna Vel" | while read -r id; do
    eval "$(xdotool getwindowgeometry --shell "$id")"; [ "$WIDTH" -eq 960 ] && echo "$id $X $Y"
  done | head -1)
  [ -n "$main" ] || fail "main window not shown"
  read -r _ wx wy <<<"$main"
  # The master knob (20 px wide on a 240 px track at 360,292) at the right end, then half way.
  half="$((wx + 360 + 120)) $((wy + 300))" right="$((wx + 360 + 230)) $((wy + 300))"
  before=$("$BIN/tv_screenshot" "$WORK/before.png" $half $right | tail -2 | tr "\n" " ")
  pc volume 0.5
  await 0.5 volume --format "{{volume}}"
  sleep 0.3
  after=$("$BIN/tv_screenshot" "$WORK/after.png" $half $right | tail -2 | tr "\n" " ")
  echo "master knob pixels (half way, right end): before $before, after $after"
  set -- $before $after
  [ "$1" != "$3" ] && [ "$2" != "$4" ] || fail "the master knob did not move"
  sleep 1

  # A later launch hands its file over while Two plays: it joins the list, Two goes on.
  start=$(date +%s%N)
  "$BIN/tornavel" "$WORK/music/Delta - Four.wav" >"$WORK/second.out" 2>"$WORK/second.err" ||
    fail "the second launch exited $?: $(cat "$WORK/second.err")"
  echo "second launch took $(( ($(date +%s%N) - start) / 1000000 )) ms"
  [ ! -s "$WORK/second.err" ] || fail "the second launch wrote: $(cat "$WORK/second.err")"
  sleep 0.5
  await "Beta|Two" metadata --format "{{artist}}|{{title}}"
  await Playing status
  kill -0 $pid || fail "the player ended"
  # With the deck stopped, a handed-over file starts at once.
  pc stop; await Stopped status
  sleep 0.5
  "$BIN/tornavel" "$WORK/music/Gamma - Three.wav" 2>>"$WORK/second.err" || fail "third launch"
  await "Gamma|Three" metadata --format "{{artist}}|{{title}}"
  await Playing status
  sleep 2
  "$BIN/tv_screenshot" "$WORK/end.png" >/dev/null

  dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.tornavel /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Quit >/dev/null || fail "Quit was not answered"
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "still running after Quit"
  wait $pid
  code=$?
  [ $code -eq 0 ] || fail "exit code $code after Quit"
'
[ -n "${SHOTS_DIR:-}" ] && cp "$work"/*.png "$work/out.raw" "$SHOTS_DIR/"

# The playlist file as Quit saved it: the old entry, the command line's, the handed-over ones.
list=$(tr -d '\r' <"$XDG_DATA_HOME/tornavel/List.xlst" | sed "s|$work/music/||")
want=$(printf '[X -LIST]\nFILZeta - Old.wav\nFILAlpha - One.wav\nFILBeta - Two.wav\nFILDelta - Four.wav\nFILGamma - Three.wav')
[ "$list" = "$want" ] || { echo "FAIL: the playlist file holds:"; echo "$list"; exit 1; }

# What was heard: One, Two and Three, never Four; Three at half the level of One.
"$bin/tv_analyse" "$work/out.raw" --tones 0.2 300 400 600 800 1000 | tee "$work/tones"
awk '{ for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] == "peak") peak[$1] = kv[2] } }
  END {
    bad = 0
    # The tones are made at an eighth of full scale.
    if (peak[400] < 0.04 || peak[600] < 0.04 || peak[800] < 0.02) { print "FAIL: a track was not heard"; bad = 1 }
    if (peak[300] > 0.05 * peak[400] || peak[1000] > 0.05 * peak[400]) { print "FAIL: a track was heard that never started"; bad = 1 }
    r = peak[800] / peak[400]
    printf "level of Three over One: %.2f\n", r
    if (r < 0.4 || r > 0.6) { print "FAIL: volume 0.5 did not halve the level"; bad = 1 }
    exit bad
  }' "$work/tones"

# No session bus: the player starts all the same and says so once.
rm -f "$work/out.raw"
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" "$(dirname "$0")/xvfb.sh" bash -c '
  "$BIN/tornavel" >/dev/null 2>"$WORK/nobus.err" &
  pid=$!
  # A sanitized build on a loaded machine may take many seconds to its window.
  for _ in $(seq 1 300); do
    xdotool search --onlyvisible --name "^Torna Vel" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  kill -TERM $pid
  wait $pid
'
cat "$work/nobus.err"
[ "$(grep -c 'no session bus' "$work/nobus.err")" -eq 1 ] || { echo "FAIL: no line about the bus"; exit 1; }
echo "ok"
