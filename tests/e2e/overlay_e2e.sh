#!/usr/bin/env bash
# The race overlay in the real game on rabbithill, read from the texts it logs with
# --super-debug: the pitboard shows the viewed rider's lap and place during the race, the
# messages reach the screen, and once everyone is through the line the final results list
# every rider in order. The track's timing is replaced through the home directory by one
# huge gate that every rider standing on the grid is already through, so laps are counted
# without anybody riding (the robots of the default line-up do not ride yet).
#   overlay_e2e.sh BERMRIDER VIDEO_FRAMES DATA_DIR
set -u
game="$1"
frames_tool="$2"
data="$3"

source "$(dirname "$0")/game_run.sh"
need_display 1280x720 "$0" "$game" "$frames_tool" "$data"

make_scratch
mkdir -p "$tmp/home/Bermrider/rabbithill"
printf 'video_mode=Windowed\nxres=320\nyres=240\n' >"$tmp/home/Bermrider/config"
lay_one_huge_gate "$data"

# A quarter of a second a picture: the start and a thousand laps of one step are well past
# by the last of 200 pictures.
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:200][dialogs:off]" \
  timeout 150 "$game" --track rabbithill --super-debug --lock-fps 4 --record-video \
  >"$tmp/video" 2>"$tmp/err" || fail "exit status $?"
"$frames_tool" "$tmp/video" >"$tmp/frames" || fail "the video does not read back"
[ "$(wc -l <"$tmp/frames")" -eq 200 ] || fail "not 200 pictures"

sed -n 's/^.*Overlay text: //p' "$tmp/log" >"$tmp/texts"
[ -s "$tmp/texts" ] || fail "the overlay logged no text"
# The pitboard: lap and place, "L%d P%d".
grep -Eq '^L[0-9]+ P[0-9]+$' "$tmp/texts" || fail "no pitboard line with the lap and place"
# A message shown by the game reaches the screen.
grep -q '^[0-9]* MB texture memory used$' "$tmp/texts" || fail "the messages never showed"

# The last picture's results: after the title and the six heads, rows of position, number,
# "L%d", gap and so on; the positions run 1, 2, 3, ... and every row is there.
awk '/^Final Results$/ {n = NR} {line[NR] = $0} END {for (i = n; i <= NR; i++) print line[i]}' \
  "$tmp/texts" >"$tmp/results"
[ "$(head -n 1 "$tmp/results")" = "Final Results" ] || fail "no final results"
sed -n 2,7p "$tmp/results" | tr '\n' '|' >"$tmp/heads"
[ "$(cat "$tmp/heads")" = "Pos.|No.|Lap|Gap|Best Time|BLap|" ] || fail "heads $(cat "$tmp/heads")"
riders=$(awk 'NR > 7 && /^L[0-9]+$/ {n++} /^Total Race Time/ {exit} END {print n + 0}' "$tmp/results")
[ "$riders" -ge 2 ] || fail "$riders rows in the results"
# Each row's "L%d" cell follows its position and number: the positions read 1 to N.
positions=$(awk 'NR > 7 && /^L[0-9]+$/ {print prev2} {prev2 = prev1; prev1 = $0}' "$tmp/results" |
  tr '\n' ' ')
expected=$(seq -s ' ' 1 "$riders")
[ "$positions" = "$expected " ] || fail "positions '$positions' for $riders riders"
grep -q '^Total Race Time: [0-9]*:[0-9][0-9]\.[0-9][0-9][0-9]$' "$tmp/results" ||
  fail "no total race time"
echo "ok: $riders riders in the final results"
