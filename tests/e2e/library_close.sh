#!/usr/bin/env bash
# The real player closed in the middle of library work: while the "Now search audio files"
# box is open, and while an update of a million-entry library prepares its folder list. The
# library's job must stop when asked (the player says so when it does not), the process must
# end soon after (within a second on an idle machine; the limit allows for a loaded one),
# leave nothing running, and leave the library either whole or resumable.
# usage: library_close.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"
trap 'rm -rf "$work"; rm -f "$bin/DBFolder.tmp"' EXIT
# An instrumented build's leak report at exit is not part of the program's own exit.
export SDL_AUDIODRIVER=dummy ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
rm -f "$bin/DBFolder.tmp"
db="$XDG_DATA_HOME/tornavel/Database.txt"

# Starts the player, finds its main window, runs the clicks given as "x,y" pairs (window
# coordinates, with a pause after each), then closes it the way $CLOSE says and prints how
# many milliseconds the process took to end.
run() {
  "$(dirname "$0")/xvfb.sh" bash -c '
    set -u
    . "$E2E/window.sh"
    start_player
    sleep "$SETTLE"
    for xy in $CLICKS; do
      xdotool mousemove --sync $((wx + ${xy%,*})) $((wy + ${xy#*,})) click 1
      sleep 0.15
    done
    [ -n "${SHOT:-}" ] && "$BIN/tv_screenshot" "$SHOT" >/dev/null
    t0=$(date +%s%N)
    if [ "$CLOSE" = button ]; then
      xdotool mousemove --sync $((wx + 960 - 21)) $((wy + 17)) click 1
    else
      kill -TERM $pid
    fi
    for _ in $(seq 1 1000); do kill -0 $pid 2>/dev/null || break; sleep 0.01; done
    t1=$(date +%s%N)
    if kill -0 $pid 2>/dev/null; then echo "still running" >&2; kill -9 $pid; exit 1; fi
    wait $pid || { echo "exit code $?" >&2; exit 1; }
    if grep -q "did not stop in time" "$WORK/stderr"; then echo "a job did not stop" >&2; exit 1; fi
    echo $(( (t1 - t0) / 1000000 ))
  '
}

# Library tab, "Opciones", and the options panel's "Scan".
tab=144,330 options=400,653 scan=130,503

# 1. No library: the options panel is in front; "Scan" opens the box; the exit button closes.
ms=$(SETTLE=0.5 CLICKS="$scan" CLOSE=button SHOT="$work/box.png" run)
echo "closed with the box open in ${ms} ms"
[ -n "${SHOTS_DIR:-}" ] && cp "$work/box.png" "$SHOTS_DIR/"
[ "$ms" -le 5000 ] || { echo "took longer than 5 s"; exit 1; }

# 2. A million entries in 100,000 folders; SIGTERM right after "Scan".
awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "/nowhere/artist%d/album/track%d.mp3\r\n", i % 100000, i }' >"$db"
size=$(stat -c %s "$db")
ms=$(SETTLE=1.5 CLICKS="$tab $options $scan" CLOSE=term run)
echo "closed during the update in ${ms} ms"
[ "$ms" -le 5000 ] || { echo "took longer than 5 s"; exit 1; }
if [ -f "$bin/DBFolder.tmp" ]; then
  echo "the update was under way: its folder list stays for the next run ($(wc -l <"$bin/DBFolder.tmp") folders)"
  [ "$(wc -l <"$bin/DBFolder.tmp")" -eq 100000 ] || { echo "the folder list is incomplete"; exit 1; }
else
  [ "$(stat -c %s "$db")" -eq "$size" ] || { echo "the library changed without a folder list"; exit 1; }
  echo "the update had not taken the library apart: it is whole"
fi
# This test's players are the ones with its home folder (other tests may run players of their own).
for env in $(grep -lzxF "HOME=$HOME" /proc/[0-9]*/environ 2>/dev/null); do
  [ "$(cat "${env%/environ}/comm" 2>/dev/null)" = tornavel ] &&
    { echo "a player process is left behind"; exit 1; }
done
echo "ok"
