#!/usr/bin/env bash
# How long the player takes from launch until its 960-pixel main window shows, watched from
# outside with xdotool on an X server of its own, with an empty library and with one of
# 10^6 lines: RUNS runs each (5 unless given), then the min and the median. The player
# also says, when TORNAVEL_STARTUP_TRACE is set, when it reached the splash (the moment
# the hand-over timer starts), so the script reports launch to that point too, and from
# there to the window (the 550 ms hand-over and what follows it). Given a
# second build's BIN_DIR, each run starts that one too, just before, and it is reported
# beside (as "reference").
# usage: startup.sh BIN_DIR [RUNS] [REFERENCE_BIN_DIR]
set -euo pipefail
bin=$(cd "$1" && pwd)
runs=${2:-5}
ref=
[ -z "${3:-}" ] || ref=$(cd "$3" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
here=$(cd "$(dirname "$0")" && pwd)
export BIN="$bin" REF="$ref" WORK="$work" RUNS="$runs"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" SDL_AUDIODRIVER=dummy
export TORNAVEL_STARTUP_TRACE=1
unset QT_QPA_PLATFORM

# The big library: 10^6 paths in the library file's own format.
mkdir -p "$work/big/data/tornavel"
awk 'BEGIN { for (i = 0; i < 1000000; ++i)
  printf "/home/user/Music/Artist %d/Album %d/%d - Track Name %d.%s\r\n",
         i % 5000, i % 37, i % 20 + 1, i, (i % 3 ? "mp3" : "wma") }' \
  >"$work/big/data/tornavel/Database.txt"
mkdir -p "$work/empty/data"

"$here/../tests/e2e/xvfb.sh" bash ${STARTUP_TRACE_SHELL:-} -c '
  set -euo pipefail
  # A client held open all along: the server would reset when the last one leaves, and a
  # player starting just then could not connect.
  xprop -root -spy >/dev/null 2>&1 &
  holder=$!
  trap "kill $holder 2>/dev/null || true" EXIT
  median() { sort -n | awk "{ v[NR] = \$1 } END { print v[int((NR + 1) / 2)] }"; }
  # One launch of $1/tornavel: the ms to the 960-pixel window appended to $2, those to the
  # splash to $3.
  launch() {
    local start pid shown splash
    start=$(date +%s%N)
    "$1/tornavel" >"$WORK/stdout" 2>"$WORK/stderr" &
    pid=$!
    shown=
    # One xdotool a look (11 ms here; a search and then a geometry query took 30 ms, and the
    # watching took a core from the player it timed).
    while [ -z "$shown" ]; do
      geometry=$(xdotool search --onlyvisible --name "^Torna Vel" getwindowgeometry --shell %@ \
                 2>/dev/null || true)
      [[ $geometry != *WIDTH=960[!0-9]* ]] || shown=$(date +%s%N)
      kill -0 $pid 2>/dev/null || { echo "the player ended:"; cat "$WORK/stderr"; exit 1; }
    done
    splash=$(sed -n "s/^tornavel: splash shown at \([0-9]*\) ms.*/\1/p" "$WORK/stderr")
    echo $(( (shown - start) / 1000000 )) >>"$2"
    [ -z "$splash" ] || echo $(( splash - start / 1000000 )) >>"$3"
    [ -z "$splash" ] || echo $(( shown / 1000000 - splash )) >>"$3-window"
    kill $pid; wait $pid 2>/dev/null || true
  }
  say() {
    echo "$1: window shown after ms: $(tr "\n" " " <"$2")" \
         "min $(sort -n "$2" | head -1) median $(median <"$2");" \
         "launch to the splash (the hand-over timer started), ms: $(tr "\n" " " <"$3")" \
         "median $(median <"$3");" \
         "splash to window, ms: $(tr "\n" " " <"$3-window") min $(sort -n "$3-window" | head -1)" \
         "median $(median <"$3-window")"
  }
  for library in empty big; do
    : >"$WORK/shown" ; : >"$WORK/splash" ; : >"$WORK/ref-shown" ; : >"$WORK/ref-splash"
    : >"$WORK/splash-window" ; : >"$WORK/ref-splash-window"
    for run in $(seq 1 "$RUNS"); do
      export HOME="$WORK/$library/home" XDG_CONFIG_HOME="$WORK/$library/config-$run"
      export XDG_DATA_HOME="$WORK/$library/data"
      mkdir -p "$HOME"
      if [ -n "$REF" ]; then
        export XDG_CONFIG_HOME="$WORK/$library/ref-config-$run"
        launch "$REF" "$WORK/ref-shown" "$WORK/ref-splash"
        export XDG_CONFIG_HOME="$WORK/$library/config-$run"
      fi
      launch "$BIN" "$WORK/shown" "$WORK/splash"
    done
    [ -z "$REF" ] || say "$library library (reference)" "$WORK/ref-shown" "$WORK/ref-splash"
    say "$library library" "$WORK/shown" "$WORK/splash"
  done
'
