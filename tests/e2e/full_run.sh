#!/usr/bin/env bash
# A whole session with a mouse: the real player under Xvfb, SDL's file-writing sound driver,
# a prepared library and playlist, and xdotool doing what a user does: the options tab's mix
# point set to 65 %, then in this order:
#   1. a double-click on the first playlist entry (a 440 Hz tone) plays it on deck A;
#   2. one click on deck A's pitch "+" raises it by one step;
#   3. deck A's volume knob is dragged half way down;
#   4. deck B is selected and a library row (660 Hz) double-clicked: it plays on deck B;
#   5. deck A is selected again and "Auto Play" ticked: at deck A's mix point the next entry
#      (1 kHz) starts on deck B and deck A fades out;
#   6. the equaliser's 1 kHz band is dragged to the bottom of its track.
# What was heard must show each step; then the window is closed and the playlist and the
# equaliser's places must be found saved.
# usage: full_run.sh BIN_DIR [KEEP_DIR]
work=${2:-}
[ -z "$work" ] || mkdir -p "$work"
. "$(dirname "$0")/setup.sh" "$1"
# The levels below are the tones' own: the levelling to a loudness target stays off.
mkdir -p "$XDG_CONFIG_HOME/tornavel"
printf '[TORNAVEL.AUTOMIX]\nLEVEL=0\n' >"$XDG_CONFIG_HOME/tornavel/tornavel.ini"
[ -z "${2:-}" ] || trap - EXIT
data="$XDG_DATA_HOME/tornavel"
mkdir -p "$work/music"

tone() {  # tone FILE HZ SECONDS
  ffmpeg -nostdin -loglevel error -f lavfi -i "aevalsrc=0.4*sin(2*PI*$2*t):s=44100:d=$3" \
    -ac 2 "$1"
}
tone "$work/music/a440.wav" 440 30
tone "$work/music/b1000.wav" 1000 30
tone "$work/music/lib660.wav" 660 30
printf '[X -LIST]\r\nFIL%s\r\nFIL%s\r\n' "$work/music/a440.wav" "$work/music/b1000.wav" \
  >"$data/List.xlst"
printf '%s\r\n' "$work/music/lib660.wav" >"$data/Database.txt"
cp "$data/List.xlst" "$work/list.before"

"$(dirname "$0")/xvfb.sh" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player
  sleep 0.5
  at() { echo "$1 $(date +%s.%N)" >>"$WORK/times"; }
  move() { xdotool mousemove --sync $((wx + $1)) $((wy + $2)); }
  click() { move "$1" "$2"; xdotool click 1; sleep 0.2; }
  drag() {  # drag X Y DY: press at (X, Y), move down DY pixels in steps, release
    move "$1" "$2"; xdotool mousedown 1
    for s in 1 2 3 4 5 6 7 8 9 10; do move "$1" $(($2 + $3 * s / 10)); sleep 0.02; done
    xdotool mouseup 1
  }
  # The options tab: three clicks on the mix-point slider take it from 95 % to 65 %.
  click 420 330
  for x in 34 35 36; do click $x 471; done
  move 700 354; xdotool click --repeat 2 --delay 80 1; at play
  # Two views 300 ms apart (kept with KEEP_DIR): the bars of deck A move, B stays dark.
  sleep 1.2
  "$BIN/tv_screenshot" "$WORK/spectrum1.png" >/dev/null
  sleep 0.3
  "$BIN/tv_screenshot" "$WORK/spectrum2.png" >/dev/null
  sleep 0.6
  click 428 158; at pitch                   # deck A: pitch "+"
  sleep 2.5
  drag 394 70 75; at volume                 # deck A: volume knob, 75 of its 150 pixels
  sleep 2.5
  click 540 46                              # option "B"
  click 144 330                             # the library tab
  move 100 413; xdotool click --repeat 2 --delay 80 1; at library
  "$BIN/tv_screenshot" "$WORK/library.png" >/dev/null
  sleep 2.5
  click 32 46                               # option "A"
  click 775 333; at auto                    # "Auto Play"
  # Deck A reaches its mix point (65 % of 30 s, a little sooner at the higher pitch), and
  # its knob falls from half way in 113 steps of 50 ms.
  sleep 18
  click 512 330                             # the equaliser tab
  tx=$((24 + 34 * 6 + 8)); ty=$((368 + 55 + 5))
  drag $tx $ty 80; at eq                    # 1 kHz thumb from mid-travel to the bottom
  "$BIN/tv_screenshot" "$WORK/equaliser.png" >/dev/null
  sleep 2.5
  at end
  exit_player
  code=$?
  [ $code -eq 0 ] || { echo "exit code $code"; tail -20 "$WORK/stderr"; }
  exit $code
'

"$bin/tv_analyse" "$work/out.raw" 0.25 440 444.4 660 1000 >"$work/levels.txt"
python3 - "$work/levels.txt" "$work/times" <<'PY'
import math, sys
rows = []
for line in open(sys.argv[1]):
    p = line.split()
    # "T s  rms R  pitch P Hz  440 Hz: A  444.4 Hz: B  660 Hz: C  1000 Hz: D"
    rows.append({"t": float(p[0]), "pitch": float(p[5]),
                 440: float(p[9]), 444: float(p[12]), 660: float(p[15]), 1000: float(p[18])})
times = {}
for line in open(sys.argv[2]):
    name, t = line.split()
    times[name] = float(t)
# The capture's clock: the 440 Hz tone starts when the double-click played it.
start = next(r["t"] for r in rows if r[440] > 0.05)
at = {k: v - times["play"] + start for k, v in times.items()}
bad = []
def window(a, b):
    return [r for r in rows if at[a] + 0.6 <= r["t"] and r["t"] + 0.25 <= at[b] - 0.3]
def mid(values):
    values = sorted(values)
    return values[len(values) // 2] if values else 0.0
def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok: bad.append(what)

played, stepped, halved = window("play", "pitch"), window("pitch", "volume"), window("volume", "library")
both, cut = window("library", "auto"), window("eq", "end")
p0, p1 = mid(r["pitch"] for r in played), mid(r["pitch"] for r in stepped)
check(abs(p0 - 440) < 1.5, "1. the playlist entry plays at 440 Hz (%.1f Hz)" % p0)
# One step of the knob: 5 of the 1006 twips that span speed 0 to 2.
check(abs(p1 - 440 * (1 + 10 / 1006)) < 1.5, "2. one pitch step raises it to 444.4 Hz (%.1f Hz)" % p1)
full, half = mid(r[444] for r in stepped), mid(r[444] for r in halved)
check(full > 0.2 and abs(half / full - 0.5) < 0.05,
      "3. half way down the knob halves the level (%.3f -> %.3f)" % (full, half))
check(mid(r[660] for r in both) > 0.2 and abs(mid(r[444] for r in both) - half) < 0.05 * full,
      "4. the library row plays on deck B beside deck A")
onset = next((r["t"] for r in rows if r["t"] > at["auto"] and r[1000] > 0.1), None)
if onset is None:
    check(False, "5. auto-mix never started the next entry")
else:
    def level(hz, a, b):
        return mid(r[hz] for r in rows if onset + a <= r["t"] < onset + b)
    # 65 % of 30 s at the stepped pitch, after the play click; checked once a second.
    print("     the next entry started %.2f s after the first, its mix point %.2f s"
          % (onset - at["play"], 19.5 / (1 + 10 / 1006)))
    check(level(444, -1.5, -0.5) > 0.8 * half and level(660, 0.5, 1.5) < 0.01
          and level(1000, 0.5, 1.5) > 0.2,
          "5. at its mix point the next entry replaced the library track on deck B")
    # Before the band moves; the fade (about 5.7 s) has room to run late on a busy machine,
    # and deck A's own end comes later still.
    mixed = mid(r[1000] for r in rows if onset + 1.5 <= r["t"] < at["eq"] - 0.3)
    fading = level(444, 2.5, 3)
    check(0.2 * half < fading < 0.75 * half and level(444, 7.5, 8) < 0.01 * full,
          "5. deck A faded out (%.3f half way, silent after 7.5 s)" % fading)
    after = mid(r[1000] for r in cut)
    change = 20 * math.log10(max(after, 1e-9) / mixed)
    check(change < -12, "6. the 1 kHz band dragged down cuts 1 kHz by %.1f dB" % change)
sys.exit(1 if bad else 0)
PY
# The playlist as it was; the dragged band at the bottom of its travel, the others mid-travel.
cmp -s "$work/list.before" "$data/List.xlst" || { echo "FAIL: the playlist was not saved as it was"; exit 1; }
eq=$(find "$XDG_CONFIG_HOME" -type f -exec sed -n '/CONFIGEQ/,/^$/p' {} + | tr -d '\r' | sort)
[ "$(grep -c '=825$' <<<"$eq")" -eq 14 ] && grep -qx '6=1650' <<<"$eq" ||
  { echo "FAIL: the equaliser was saved as"; echo "$eq"; exit 1; }
echo "ok"
