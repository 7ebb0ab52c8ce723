#!/usr/bin/env bash
# Watching a robot ride off the gate on rabbithill with the ground eroding and roost on: with
# spy mode on, "]" moves the view from the player to a robot, Tab gives the orbit camera and
# Right swings it round behind the gate line, and the screenshot key saves what it shows.
# From the log (--super-debug, --print-orientation): the view went to a robot, the camera
# stayed with that robot as it rode, the ground stayed whole while everybody stood at the gate
# and was cut up once they rode, with roost in the air; the last screenshot shows a scene.
#   roost_view_e2e.sh BERMRIDER PICTURE_STATS
# With BR_KEEP_PICTURE=FILE the last screenshot is kept there.
set -u
game="$1"
stats_tool="$2"

source "$(dirname "$0")/game_run.sh"
need_display 1280x720 "$0" "$game" "$stats_tool"

make_scratch
home="$tmp/home/Bermrider"
mkdir -p "$home"
printf 'video_mode=Windowed\nxres=480\nyres=360\nspy=1\n' >"$home/config"

# 23 s of world time at 30 pictures a second: the gates fall 15 s in.
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:690][dialogs:off]" \
  "$game" --track rabbithill --erode 50 --roostfrequency 1000 --lock-fps 30 --super-debug \
  --print-orientation >/dev/null 2>"$tmp/err" &
game_pid=$!
window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the game's window never appeared"
timeout 10 xdotool windowfocus --sync "$window" || fail "could not focus the window"
sleep 1
# The player stands among the robots of the default line-up, so "]" finds one after him.
keys bracketright
keys Tab
# The orbit camera starts off the rider's right; a second of Right swings it behind him.
xdotool keydown Right && sleep 1 && xdotool keyup Right || fail "xdotool could not hold Right"
# Screenshots until the game ends; the log tells which were taken after the start.
while kill -0 "$game_pid" 2>/dev/null; do
  xdotool key s 2>/dev/null
  sleep 1
done
await_game_end 5 "the game did not end"

viewed=$(grep -o "Viewing slot [0-9]*" "$tmp/log" | tail -n 1 | awk '{print $3}')
[ -n "$viewed" ] || fail "the view never left the player"
grep -q "Robot $viewed at" "$tmp/log" || fail "the view went to slot $viewed, which is no robot"

# Race start: the first step at which the viewed robot has left its place at the gate.
awk -v slot="$viewed" '
  $0 ~ ("Robot " slot " at ") { sub(/.*Robot [0-9]* at /, ""); sub(":", ""); print }' \
  "$tmp/log" >"$tmp/robot"
start=$(awk 'NR == 1 {x = $2; z = $4} (($2 - x) ^ 2 + ($4 - z) ^ 2 > 1) {print $1; exit}' \
  "$tmp/robot")
[ -n "$start" ] || fail "robot $viewed never left the gate"

# Each logged position of the viewed robot from the start on, with the next camera drawn:
# the orbit camera keeps its 10 ft and 5 ft up from the robot however it rides.
awk -v slot="$viewed" -v start="$start" '
  $0 ~ ("Robot " slot " at ") {
    s = $0; sub(/.*Robot [0-9]* at /, "", s); sub(":", "", s); split(s, r, " ")
    if (r[1] >= start) { want = 1; step = r[1]; x = r[2]; y = r[3]; z = r[4] }
    next }
  want && / t=.* p0=/ {
    s = $0; sub(/.* p0=/, "", s); gsub(/p[12]=/, "", s); split(s, c, " ")
    printf "%d %.1f\n", step, sqrt((c[1] - x) ^ 2 + (c[2] - y) ^ 2 + (c[3] - z) ^ 2)
    want = 0 }' "$tmp/log" >"$tmp/follow"
follows=$(wc -l <"$tmp/follow")
[ "$follows" -ge 3 ] || fail "only $follows cameras drawn after the robot's logged positions"
strays=$(awk '$2 < 6 || $2 > 18' "$tmp/follow" | tr '\n' ';')
[ -z "$strays" ] || fail "the camera strayed from robot $viewed (step, feet): $strays"

# "Ground at STEP: N samples changed, deepest cut D ft, P roost particles".
grep -o "Ground at [0-9]*: [0-9]* samples changed, deepest cut [0-9.]* ft, [0-9]* roost" \
  "$tmp/log" | tr -d ':' | awk '{print $3, $4, $9, $11}' >"$tmp/ground"
[ -s "$tmp/ground" ] || fail "the ground was never logged"
early=$(awk -v start="$start" '$1 < start - 128 && $2 > 0' "$tmp/ground" | head -n 1)
[ -z "$early" ] || fail "the ground changed before anybody rode: $early"
read -r _ samples cut _ < <(tail -n 1 "$tmp/ground")
[ "$samples" -gt 0 ] && awk -v c="$cut" 'BEGIN {exit !(c > 0)}' ||
  fail "the ground was not cut up: $samples samples changed, deepest cut $cut ft"
roost=$(awk -v start="$start" '$1 >= start && $4 > most {most = $4} END {print most + 0}' \
  "$tmp/ground")
[ "$roost" -gt 0 ] || fail "no roost in the air after the start"

# The last screenshot saved after the start shows a drawn scene.
shot=$(awk -v start="$start" '
  /Robot [0-9]* at / { s = $0; sub(/.*Robot [0-9]* at /, "", s); step = s + 0 }
  /^\[[^]]*\] Saved "screenshot[0-9]*\.png"/ && step >= start {
    s = $0; sub(/.*Saved "/, "", s); sub(/".*/, "", s); last = s }
  END { print last }' "$tmp/log")
[ -n "$shot" ] || fail "no screenshot saved after the start"
[ -f "$home/$shot" ] || fail "$shot was announced but not written"
read -r width height colours brightness < <("$stats_tool" "$home/$shot") ||
  fail "$shot does not read back"
[ "$width" -eq 480 ] && [ "$height" -eq 360 ] || fail "$shot is ${width}x${height}"
[ "$colours" -ge 1000 ] || fail "$shot shows only $colours colours"
awk -v b="$brightness" 'BEGIN {exit !(b > 30 && b < 225)}' ||
  fail "$shot has a mean brightness of $brightness"
if [ -n "${BR_KEEP_PICTURE:-}" ]; then cp "$home/$shot" "$BR_KEEP_PICTURE"; fi

echo "ok: viewing robot $viewed, which left the gate at step $start; camera $(
  awk 'NR == 1 {lo = $2; hi = $2} {if ($2 < lo) lo = $2; if ($2 > hi) hi = $2}
       END {printf "%.1f-%.1f ft", lo, hi}' "$tmp/follow") from it over $follows pictures"
echo "ok: ground: $samples samples changed, deepest cut $cut ft; up to $roost roost particles"
echo "ok: $shot: $colours colours, mean brightness $brightness"
