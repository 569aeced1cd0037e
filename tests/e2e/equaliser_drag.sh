#!/usr/bin/env bash
# The real player under Xvfb with SDL's file-writing sound driver: a track from the playlist
# plays on deck A, the equaliser's 1 kHz thumb is dragged to the top with the mouse, and the
# captured sound must be louder at 1 kHz by several dB afterwards. Two screenshots 300 ms
# apart show the spectrum of the playing deck moving.
# usage: equaliser_drag.sh BIN_DIR [KEEP_DIR]
set -euo pipefail
bin=$(cd "$1" && pwd)
work=${2:-$(mktemp -d)}
mkdir -p "$work"
[ -n "${2:-}" ] || trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw"
export BIN="$bin" WORK="$work" E2E=$(cd "$(dirname "$0")" && pwd)
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_DATA_HOME/tornavel"

# A track with a steady 1 kHz tone inside pink noise and two other tones.
ffmpeg -v error -y -f lavfi -i "anoisesrc=color=pink:amplitude=0.08:duration=40:seed=7" \
  -f lavfi -i "aevalsrc=0.12*sin(2*PI*220*t)+0.1*sin(2*PI*1000*t)+0.05*sin(2*PI*5000*t):s=44100:d=40" \
  -filter_complex "[0][1]amix=inputs=2:normalize=0,aformat=channel_layouts=stereo" \
  -ar 44100 -b:a 192k "$work/track.mp3"
printf '[X -LIST]\r\nFIL%s\r\n' "$work/track.mp3" >"$XDG_DATA_HOME/tornavel/List.xlst"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  sleep 0.5
  # The first playlist row, double-clicked: it plays on deck A.
  xdotool mousemove --sync $((wx + 700)) $((wy + 354)) click --repeat 2 --delay 80 1
  sleep 0.3
  # The equaliser tab, then two views of the decks 300 ms apart.
  xdotool mousemove --sync $((wx + 512)) $((wy + 330)) click 1
  sleep 1.2
  "$BIN/tv_screenshot" "$WORK/spectrum1.png" >/dev/null
  sleep 0.3
  "$BIN/tv_screenshot" "$WORK/spectrum2.png" >/dev/null
  date +%s.%N >"$WORK/drag_start"
  sleep 3
  # Band 6 (1 kHz): its thumb sits mid-travel; drag it to the top of its track.
  tx=$((wx + 24 + 34 * 6 + 8)); ty=$((wy + 368 + 55 + 5))
  xdotool mousemove --sync $tx $ty mousedown 1
  for step in $(seq 1 14); do xdotool mousemove --sync $tx $((ty - 5 * step)); sleep 0.02; done
  xdotool mouseup 1
  date +%s.%N >"$WORK/drag_end"
  sleep 0.3
  "$BIN/tv_screenshot" "$WORK/dragged.png" >/dev/null
  sleep 3
  exit_player
'
# Level at 1 kHz in half-second windows; the loudest windows before and after the drag.
"$bin/tv_analyse" "$work/out.raw" 0.5 1000 >"$work/levels.txt"
python3 - "$work/levels.txt" <<'PY'
import math, sys
rows = []
for line in open(sys.argv[1]):
    parts = line.split()
    rows.append((float(parts[0]), float(parts[-1])))
heard = [r for r in rows if r[1] > 0.005]
if len(heard) < 8:
    print("the track was hardly heard:", rows); sys.exit(1)
# Steady parts only: the first seconds of sound are flat, the last seconds boosted.
before = sorted(r[1] for r in heard[1:5])[1]
after = sorted(r[1] for r in heard[-5:-1])[1]
change = 20 * math.log10(after / before)
print("1 kHz before %.4f after %.4f: %+.2f dB" % (before, after, change))
sys.exit(0 if change > 3.0 else 1)
PY
# The dragged thumb was saved at the top of its track when the window closed.
grep -rqx "6=0" "$XDG_CONFIG_HOME" || { echo "the equaliser was not saved"; exit 1; }
echo "ok"
