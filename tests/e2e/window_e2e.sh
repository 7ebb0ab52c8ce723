#!/usr/bin/env bash
# The real game opens its window, presents frames, receives a key pressed from outside as
# the right event code and ends by itself with status 0.
#   window_e2e.sh BERMRIDER [KOTA_OPTIONS...]
set -u
game="$1"
shift
extra_options="$*"

source "$(dirname "$0")/game_run.sh"
need_display 1280x1024 "$0" "$game" "$@"

make_scratch

# At least 640 frames: the loop never runs faster than one 1/128 s step per frame, so the
# game stays up for five seconds or more, time enough to find its window and type.
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" \
  KOTA_OPTIONS="[quit-after:640][dialogs:off]$extra_options" "$game" --debug >"$tmp/out" 2>"$tmp/err" &
game_pid=$!

window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the game's window never appeared"
timeout 10 xdotool windowfocus --sync "$window" || fail "could not focus the window"
xdotool key --delay 50 x || fail "xdotool could not type"

# The game must end by itself; give it a minute before calling it hung.
for _ in $(seq 600); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$game_pid" 2>/dev/null; then
  fail "the game did not quit after its frames"
fi
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "exit status $status; stderr: $(cat "$tmp/err")"

# "x" is scan code 0x2D: event code 4096 + 0x2D = 4141.
grep -q "Event 4141 pressed" "$tmp/log" || fail "no press of x (4141) in the log"
grep -q "Event 4141 released" "$tmp/log" || fail "no release of x (4141) in the log"
grep -q "Window shutdown complete" "$tmp/log" || fail "the window was not shut down"
echo "ok"
