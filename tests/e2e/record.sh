#!/usr/bin/env bash
# Recording the mix in the real player, under Xvfb with SDL's file-writing sound driver: deck
# A plays noise, REC is clicked, three seconds later clicked again. FFmpeg's decode of the FLAC
# file is found in what the driver captured and must equal it there sample for sample (the
# capture rounded to 24 bits), for at least two seconds; the cue sheet beside it lists the
# track that was playing.
# usage: record.sh BIN_DIR
. "$(dirname "$0")/setup.sh" "$1"
mkdir -p "$XDG_CONFIG_HOME/tornavel"
printf '[TORNAVEL.RECORD]\nFOLDER=%s\n' "$work/rec" >"$XDG_CONFIG_HOME/tornavel/tornavel.ini"
ffmpeg -nostdin -loglevel error -f lavfi -i "anoisesrc=d=60:c=pink:a=0.3:seed=7" -ac 2 \
  -ar 44100 "$work/Noise Band - Pink.wav"

"$E2E/xvfb.sh" bash -c '
  set -u
  . "$E2E/window.sh"
  start_player "$WORK/Noise Band - Pink.wav"
  sleep 1
  click 480 235  # REC
  sleep 3
  "$BIN/tv_screenshot" "$WORK/record.png" >/dev/null
  click 481 236  # REC again: stop
  sleep 1
  exit_player
'
[ -n "${SHOTS_DIR:-}" ] && cp "$work"/*.png "$SHOTS_DIR/"
shopt -s nullglob
files=("$work"/rec/*.flac)
[ ${#files[@]} -eq 1 ] || { echo "FAIL: expected one recording, found ${#files[@]}"; exit 1; }
grep -q 'PERFORMER "Noise Band"' "${files[0]%.flac}.cue" ||
  { echo "FAIL: the cue sheet does not name the track"; cat "${files[0]%.flac}.cue"; exit 1; }
ffmpeg -nostdin -loglevel error -i "${files[0]}" -f s32le "$work/rec.s32"
/usr/bin/python3 - "$work/out.raw" "$work/rec.s32" <<'PY'
import array, sys
heard = array.array("f", open(sys.argv[1], "rb").read())
rec = array.array("i", open(sys.argv[2], "rb").read())
rec = array.array("i", (x >> 8 for x in rec))
if len(rec) < 2 * 2 * 44100:
    sys.exit(f"FAIL: the recording holds {len(rec) / 88200:.2f} s")
q = array.array("i", (max(-8388608, min(8388607, round(x * 8388608))) for x in heard))
mid = len(rec) // 2 & ~1
at = q.tobytes().find(rec[mid:mid + 128].tobytes())
if at < 0 or at % 8:
    sys.exit("FAIL: the recording is not in what was heard")
start = at // 4 - mid
if start < 0 or q[start:start + len(rec)] != rec:
    sys.exit("FAIL: the recording differs from what was heard")
print(f"ok: {len(rec) / 88200:.2f} s recorded, equal to the output from {start / 88200:.2f} s")
PY
