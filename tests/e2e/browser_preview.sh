#!/usr/bin/env bash
# The real player under Xvfb with SDL's file-writing sound driver, worked with a real mouse:
# open a folder typed into the browser's box, double-click a file to play it on deck A, then
# on the samples tab list the music folder, double-click a sample and pull its level down to
# half with five clicks on the slider. Both files have names that are not valid UTF-8. The
# capture must hold the deck's tone, and the sample's at full level and then at half.
# usage: browser_preview.sh BIN_DIR [SHOT_DIR]
. "$(dirname "$0")/setup.sh" "$1"
# The driver writes a 1024-frame block each 23 ms, as a sound card would take it.
export SDL_DISKAUDIODELAY=23 ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" SHOTS=${2:-}
unset XDG_MUSIC_DIR
mkdir -p "$HOME/Music" "$work/music/Rock"
# A library file, so the player starts on the browser rather than offering a scan.
: >"$XDG_DATA_HOME/tornavel/Database.txt"
"$bin/tv_tone" "$work/music/Rock/$(printf 'Caf\xe9 440.mp3')" 440 40 0.25
"$bin/tv_tone" "$work/music/Rock/Zz 550.mp3" 550 40 0.25
"$bin/tv_tone" "$HOME/Music/$(printf 'Pad \xe9 660.wav')" 660 40 0.25

"$(dirname "$0")/xvfb.sh" bash -c '
  set -u
  cd "$WORK"
  . "$E2E/window.sh"
  start_player
  sleep 1
  # Moves the pointer to window point ($1, $2) and does the rest of the arguments there.
  at() {
    local x=$1 y=$2
    shift 2
    xdotool mousemove --sync $((wx + x)) $((wy + y)) "$@"
    sleep 0.3
  }
  shot() { [ -n "$SHOTS" ] && "$BIN/tv_screenshot" "$SHOTS/$1" >/dev/null; true; }
  # The shared panel starts at (8, 346); the tabs sit on a strip above it.
  at 52 330 click 1                               # "Explorer"
  at 251 366 click 1
  xdotool key ctrl+a type --delay 5 "$WORK/music/Rock"
  at 474 366 click 1                              # open the typed folder
  sleep 1
  shot browser.png
  at 282 396 click --repeat 2 --delay 60 1        # the first file, on deck A
  sleep 2
  at 328 330 click 1                              # "Samples"
  at 460 366 click 1                              # "Set": the music folder in the box
  sleep 1
  at 76 396 click --repeat 2 --delay 60 1         # the first sample
  sleep 3
  shot samples-full.png
  at 524 590 click --repeat 5 --delay 300 1      # five pages down the slider
  sleep 3
  shot samples-half.png
  exit_player
'
"$bin/tv_analyse" "$work/out.raw" 0.5 440 660 >"$work/levels.txt"
cat "$work/levels.txt"
# Columns: time s rms R pitch P Hz 440 Hz: A 660 Hz: B
awk '
  $10 > 0.2 { deck++ }
  $13 > 0.22 && $13 < 0.28 { full++ }
  full >= 2 && $13 > 0.105 && $13 < 0.145 { half++ }
  END {
    printf "deck windows %d, preview full %d, preview half %d\n", deck, full, half
    exit !(deck >= 4 && full >= 2 && half >= 2)
  }' "$work/levels.txt"
echo "ok"
