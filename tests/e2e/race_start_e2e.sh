#!/usr/bin/env bash
# The start and the end of a race in the real game on rabbithill:
# - the start gates stand until the start and fall in an eighth of a second, seen in the video;
# - with --warp a finished race starts again with the line-up moved on by one gate (the
#   track's timing is replaced through the home directory by one huge gate that every rider
#   standing on the grid is already through, so laps are counted without anybody riding);
# - every kind of broken "timing_gates" leaves the game racing untimed, with a log line.
#   race_start_e2e.sh BERMRIDER VIDEO_FRAMES DATA_DIR
set -u
game="$1"
frames_tool="$2"
data="$3"

source "$(dirname "$0")/game_run.sh"
need_display 1280x720 "$0" "$game" "$frames_tool" "$data"

make_scratch
mkdir -p "$tmp/home/Bermrider/rabbithill"
config='video_mode=Windowed\nxres=256\nyres=192\n'

# Runs the game on rabbithill with OPTIONS for FRAMES pictures; the log goes to $tmp/log.
#   run_game FRAMES OPTIONS...
run_game() {
  local frames="$1"
  shift
  rm -f "$tmp/log"
  XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" \
    KOTA_OPTIONS="[quit-after:$frames][dialogs:off]" \
    timeout 120 "$game" --track rabbithill "$@" >"$tmp/out" 2>"$tmp/err"
}

# --- The gates fall. At 30 pictures a second the start comes 13 to 15 s after the reset,
# pictures 390 to 450; the standing start has settled well before that (the rider view does
# not move while nobody rides: the player is alone on the grid).
printf "${config}slot17=Empty\nslot18=Empty\nslot20=Empty\nslot21=Empty\nslot22=Empty\n" \
  >"$tmp/home/Bermrider/config"
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:560][dialogs:off]" \
  timeout 120 "$game" --track rabbithill --record-video --lock-fps 30 >"$tmp/video" 2>"$tmp/err" ||
  fail "exit status $? recording the start"
"$frames_tool" "$tmp/video" | awk '{print $1, $4}' >"$tmp/frames" || fail "the video does not read back"
[ "$(wc -l <"$tmp/frames")" -eq 560 ] || fail "not 560 pictures"
# Change from one picture to the next, in hundredths of the mean colour difference.
awk 'NR > 1 {d = $2 - prev; if (d < 0) d = -d; print $1, int(d * 100 + 0.5)} {prev = $2}' \
  "$tmp/frames" >"$tmp/changes"
before=$(awk '$1 > 340 && $1 < 388 && $2 > m {m = $2} END {print m + 0}' "$tmp/changes")
[ "$before" -le 2 ] || fail "the picture still changes before the start ($before)"
# The fall: a few pictures in a row that change far more than the standing start did.
fall=$(awk '$1 >= 388 && $1 <= 456 && $2 >= 5 {n++} END {print n + 0}' "$tmp/changes")
[ "$fall" -ge 2 ] && [ "$fall" -le 8 ] || fail "$fall pictures of the gates falling, not 2 to 8"
first=$(awk '$1 >= 388 && $2 >= 5 {print $1; exit}' "$tmp/changes")
after=$(awk -v f="$first" '$1 > f + 8 && $1 < f + 60 && $2 > m {m = $2} END {print m + 0}' \
  "$tmp/changes")
[ "$after" -le 2 ] || fail "the picture did not settle after the gates fell ($after)"

# --- A finished race restarts with --warp, the player one gate further on each time.
printf "$config" >"$tmp/home/Bermrider/config"
lay_one_huge_gate "$data"
run_game 30 --warp || fail "exit status $? with --warp"
sessions=$(grep -c "Session on 'rabbithill'" "$tmp/log")
[ "$sessions" -ge 3 ] || fail "$sessions sessions in 30 pictures with --warp"
grep -o "viewing slot [0-9]*" "$tmp/log" | head -n 3 | awk '{print $3}' | tr '\n' ' ' >"$tmp/slots"
[ "$(cat "$tmp/slots")" = "19 20 21 " ] || fail "the player's gates were $(cat "$tmp/slots")"
# Without --warp the finished race stays.
run_game 30 || fail "exit status $? without --warp"
[ "$(grep -c "Session on 'rabbithill'" "$tmp/log")" -eq 1 ] || fail "a race restarted without --warp"

# --- Broken timing: each file leaves the game running its race untimed, and says so.
check_refused() {
  local what="$1" text="$2" expect="$3"
  printf '%b' "$text" >"$tmp/home/Bermrider/rabbithill/timing_gates"
  run_game 10 || fail "$what: exit status $?"
  grep -q "Session on 'rabbithill'" "$tmp/log" || fail "$what: no session"
  grep -q "$expect" "$tmp/log" || fail "$what: no line saying '$expect'"
}
gate='checkpoints:\n10 [ 450 0 1450 ] [ 1 0 0 ]\n'
laps='firstlap:\n0\nnormallap:\n0\n'
untimed='laps are not timed'
bad='Warning: skipping bad line'
check_refused "empty file" '' "$untimed"
check_refused "no gates" "$laps" "$untimed"
check_refused "no normal lap" "${gate}firstlap:\n0\n" "$untimed"
check_refused "no first lap" "${gate}normallap:\n0\n" "$untimed"
check_refused "only flagged references" "${gate}firstlap:\n100000\nnormallap:\n0\n" "$untimed"
check_refused "short start line" "startinggate:\n[1 0 2]\n${gate}${laps}" "$bad 2 of"
check_refused "start not a number" "startinggate:\n[nan 0 2] 0\n${gate}${laps}" "$bad 2 of"
check_refused "gate too short" "checkpoints:\n10 [ 450 0 1450 ]\n${laps}" "$untimed"
check_refused "infinite gate" "checkpoints:\n10 [ inf 0 1450 ] [ 1 0 0 ]\n${laps}" "$bad 2 of"
check_refused "gate direction NaN" "checkpoints:\n10 [ 4 0 1 ] [ nan 0 0 ]\n${laps}" "$bad 2 of"
check_refused "reference not a number" "${gate}firstlap:\nx\nnormallap:\n0\n" "$untimed"
check_refused "reference too large" "${gate}firstlap:\n0\nnormallap:\n9999999999\n" "$untimed"
check_refused "binary junk" '\x01\x02\xff\xfe\n[\n' "$untimed"
echo "ok: gates fell at picture $first over $fall pictures; restarts $(cat "$tmp/slots")"
