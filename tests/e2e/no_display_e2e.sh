#!/usr/bin/env bash
# Without any display the game says so and ends with status 1, without crashing.
#   no_display_e2e.sh BERMRIDER
set -u
game="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_DATA_HOME="$tmp/home" \
  XDG_RUNTIME_DIR="$tmp" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:10]" \
  timeout 60 "$game" >"$tmp/out" 2>"$tmp/err"
status=$?
if [ "$status" -ne 1 ]; then
  echo "FAIL: exit status $status, expected 1" >&2
  cat "$tmp/err" >&2
  exit 1
fi
grep -q "Can't open the game window: No display available" "$tmp/err" || {
  echo "FAIL: no clear message on standard error:" >&2
  cat "$tmp/err" >&2
  exit 1
}
grep -q "No display available" "$tmp/log" || {
  echo "FAIL: the log does not say why" >&2
  exit 1
}
echo "ok"
