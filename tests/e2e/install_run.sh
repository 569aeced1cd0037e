#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks what went where, and starts the installed
# player the way its menu entry does, under Xvfb with SDL's file-writing sound driver: it
# must find its skins in <prefix>/share/tornavel, draw its window and end cleanly on
# SIGTERM, playing the MP3 named on its command line. Then, with the skins taken away, it must say that it could not find them.
# usage: install_run.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; [ -f "$work/stderr" ] && sed 's/^/  stderr: /' "$work/stderr"; exit 1; }

prefix="$work/prefix with space"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
id=org.tornavel.TornaVel
for f in bin/tornavel share/tornavel/Sk/Default/Base0.bmp share/tornavel/Sk/Light/Base0.bmp \
  share/tornavel/Leng-en.ini share/tornavel/Leng-es.ini share/applications/$id.desktop \
  share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
  share/doc/tornavel/copyright; do
  [ -s "$prefix/$f" ] || fail "$f was not installed"
done
for n in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${n}x$n/apps/$id.png"
  [ "$(head -c 8 "$png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "no ${n}x$n PNG icon"
done
[ ! -e "$prefix/bin/Sk" ] || fail "skins were installed beside the program"

# The command the menu runs, without its file field codes.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/$id.desktop" | sed 's/ %[fFuU]//g')
[ "$exec_line" = tornavel ] || fail "the menu entry runs '$exec_line'"

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
# No session bus: a player running on one (the user's, or another test's) would take this
# one's files and leave it nothing to do.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw"
export PATH="$prefix/bin:$PATH" EXEC_LINE="$exec_line" WORK="$work" SHOT="$build/bin/tv_screenshot"
unset QT_QPA_PLATFORM
mkdir -p "$HOME"

start() {
  "$(dirname "$0")/xvfb.sh" bash -c '
    cd "$HOME"
    $EXEC_LINE ${TRACK:+"$TRACK"} >"$WORK/stdout" 2>"$WORK/stderr" &
    pid=$!
    shown=""
    for _ in $(seq 1 150); do
      xdotool search --onlyvisible --name "^Torna Vel" >/dev/null 2>&1 && { shown=1; break; }
      sleep 0.1
    done
    [ -n "$shown" ] || { echo "no window shown"; kill -9 $pid; exit 1; }
    sleep 1
    if [ -x "$SHOT" ]; then "$SHOT" "$WORK/shot.png" >"$WORK/colours" 2>/dev/null; fi
    kill -TERM $pid
    wait $pid
  '
}

# A track decoded and heard: the release build's decoding, not only its window.
export TRACK="$work/Tone - 440.mp3"
"$build/bin/tv_tone" "$TRACK" 440 30 0.5
start || fail "the installed player did not start and end cleanly"
"$build/bin/tv_analyse" "$work/out.raw" --tones 0.1 440 >"$work/tones"
awk '{ for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] + 0 } }
  END { exit !(f["onset"] >= 0 && f["peak"] > 0.4) }' "$work/tones" ||
  fail "the track on the command line was not heard: $(cat "$work/tones")"
unset TRACK
grep -q 'skin ".*" not found' "$work/stderr" && fail "the installed player did not find its skins"
[ ! -f "$work/colours" ] || [ "$(cat "$work/colours")" -ge 20 ] || fail "the window looks empty"

# The same installation without its skins says so, naming where it looked.
mv "$prefix/share/tornavel/Sk" "$work/Sk.away"
start || fail "the player without skins did not start and end cleanly"
grep -q "skin \"Default\" not found in .*/share/tornavel/Sk/Default" "$work/stderr" ||
  fail "a missing skin went unreported"
echo ok
