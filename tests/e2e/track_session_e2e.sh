#!/usr/bin/env bash
# `--track` starts a session at once: the track loads, the race menu's default line-up stands on
# the grid with the player on gate 20, and the game runs frames of it and ends by itself with
# status 0. Without --track the title stays.
#   track_session_e2e.sh BERMRIDER
set -u
game="$1"

source "$(dirname "$0")/game_run.sh"
need_display 1280x1024 "$0" "$game"

make_scratch

XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:200][dialogs:off]" \
  timeout 90 "$game" --track rabbithill >"$tmp/out" 2>"$tmp/err"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status with --track"
grep -q "Session on 'rabbithill': 6 riders, viewing slot 19" "$tmp/log" ||
  fail "no session with the default line-up on rabbithill"
grep -q "MB texture memory used" "$tmp/log" || fail "no texture memory message"

rm -f "$tmp/log"
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:20][dialogs:off]" \
  timeout 90 "$game" >"$tmp/out" 2>"$tmp/err"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status without --track"
if grep -q "Session on" "$tmp/log"; then fail "a session started without --track"; fi
echo "ok"
