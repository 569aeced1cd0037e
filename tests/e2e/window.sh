# Sourced by the end-to-end scripts inside their X server, with BIN, WORK and E2E (this
# folder) set.

# A sanitizer build reports the desktop libraries' own leaks at exit; those are not ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$E2E/../lsan.supp}

# Starts the player on the given arguments (its output in $WORK/stdout and $WORK/stderr), sets `pid`, and waits for
# the 960-pixel main window; `wx` and `wy` are then its top left corner. Ends the script when
# the window has not shown after 30 s (a loaded machine starts a sanitizer build slowly).
start_player() {
  "$BIN/tornavel" "$@" >"$WORK/stdout" 2>"$WORK/stderr" &
  pid=$!
  # Now and then the toolkit cannot reach a server that has just answered another client;
  # the player then ends (slowly, on a loaded machine), and a later start gets through.
  local id deadline=$((SECONDS + 30)) retries=3
  while [ $SECONDS -lt $deadline ]; do
    if ! kill -0 $pid 2>/dev/null && [ $retries -gt 0 ] &&
      grep -q "could not connect to display" "$WORK/stderr"; then
      retries=$((retries - 1))
      sleep 0.2
      "$BIN/tornavel" "$@" >"$WORK/stdout" 2>"$WORK/stderr" &
      pid=$!
      continue
    fi
    if ! kill -0 $pid 2>/dev/null; then
      echo "the player ended before its window showed; its last words:" >&2
      tail -n 20 "$WORK/stderr" >&2
      exit 1
    fi
    for id in $(xdotool search --onlyvisible --name "^Torna Vel" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      if [ "$WIDTH" -eq 960 ]; then
        wx=$X wy=$Y
        return 0
      fi
    done
    sleep 0.05
  done
  echo "main window never shown; the player's last words:" >&2
  tail -n 20 "$WORK/stderr" >&2
  kill -9 $pid
  exit 1
}

# Clicks the window `x` `y` pixels from its top left corner, and gives the player a moment.
click() {
  xdotool mousemove --sync $((wx + $1)) $((wy + $2)) click 1
  sleep 0.2
}

# Waits up to a minute for the player to have measured the tempo of `n` tracks into its track
# database, as it does by itself after the start.
wait_measured() {
  local db="$XDG_DATA_HOME/tornavel/tracks.db" n
  for _ in $(seq 1 120); do
    n=$(sqlite3 "$db" "select count(*) from tracks where bpm > 0" 2>/dev/null || echo 0)
    [ "$n" = "$1" ] && return 0
    sleep 0.5
  done
}

# Clicks the exit button at the window's top right corner and returns the player's exit
# code; ends the script when the player is still running 10 s later.
exit_player() {
  xdotool mousemove --sync $((wx + 960 - 21)) $((wy + 17)) click 1
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then
    echo "still running after the exit button" >&2
    kill -9 $pid
    exit 1
  fi
  wait $pid
}
