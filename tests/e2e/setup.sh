# Sourced first by the end-to-end scripts that start the player, with their BIN_DIR: a work
# folder of their own (removed at exit), the user's folders in it, no session bus (a player
# running on one, the user's or another test's, would take this one's files and leave it
# nothing to do), SDL's file-writing sound driver into $work/out.raw, and BIN, WORK and E2E
# exported for the commands run on the X server. A script may set `work` before.
set -euo pipefail
bin=$(cd "$1" && pwd)
work=${work:-$(mktemp -d)}
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw"
export BIN="$bin" WORK="$work" E2E=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$XDG_DATA_HOME/tornavel"

# Writes the playlist the player starts with: the given files, in order.
write_playlist() {
  { printf '[X -LIST]\r\n' && printf 'FIL%s\r\n' "$@"; } >"$XDG_DATA_HOME/tornavel/List.xlst"
}
