#!/usr/bin/env bash
# Closing the game's window ends the game through its normal shutdown with status 0.
#   window_close_e2e.sh BERMRIDER CLOSE_WINDOW
set -u
game="$1"
close_window="$2"

source "$(dirname "$0")/game_run.sh"
need_display 1280x1024 "$0" "$@"

make_scratch

# quit-after only as a backstop: the close must end the game long before.
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" \
  KOTA_OPTIONS="[quit-after:100000][dialogs:off]" "$game" --debug >"$tmp/out" 2>"$tmp/err" &
game_pid=$!

window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the game's window never appeared"
"$close_window" "$window" || fail "could not send the close request"

await_game_end 30 "the game did not end when its window was closed"
# The close button is event 0xDEAD = 57005; a close that comes before the first picture (a
# slow start) ends the start-up instead.
grep -qE "Event 57005 pressed|The window was closed before it was first drawn" "$tmp/log" ||
  fail "no close event in the log"
grep -q "Window shutdown complete" "$tmp/log" || fail "the window was not shut down"
echo "ok"
