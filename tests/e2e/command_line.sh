#!/usr/bin/env bash
# The player's --help, --version and a wrong option, answered with no display at all.
# usage: command_line.sh BIN_DIR VERSION
set -uo pipefail
bin=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/tornavel" "$@" \
  >"$work/out" 2>"$work/err"; }

run --version; code=$?
[ $code -eq 0 ] || fail "--version exited $code"
[ "$(cat "$work/out")" = "tornavel $version" ] || fail "--version printed '$(cat "$work/out")'"
[ ! -s "$work/err" ] || fail "--version wrote to stderr: $(cat "$work/err")"

run --help a.mp3; code=$?
[ $code -eq 0 ] || fail "--help exited $code"
head -1 "$work/out" | grep -q '^Usage: tornavel ' || fail "--help printed no usage"
grep -q -- '--version' "$work/out" || fail "--help does not list --version"

run --no-such-option; code=$?
[ $code -eq 2 ] || fail "an unknown option exited $code"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "an unknown option wrote: $(cat "$work/err")"
grep -q -- '--no-such-option' "$work/err" || fail "the message does not name the option"
[ ! -s "$work/out" ] || fail "an unknown option wrote to stdout"
echo ok
