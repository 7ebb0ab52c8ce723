#!/usr/bin/env bash
# Robots on the default line-up leave the gate on rabbithill in the real game and ride off
# along their lines, with the lines the build rode into the data set. From the robots'
# positions that --super-debug logs once a second: they stand while the gates are up, every
# one leaves its place once they are down, and 30 s later at least half are well away.
#   robots_e2e.sh BERMRIDER
set -u
game="$1"

source "$(dirname "$0")/game_run.sh"
need_display 1280x720 "$0" "$game"

make_scratch
mkdir -p "$tmp/home/Bermrider"
printf 'video_mode=Windowed\nxres=256\nyres=192\n' >"$tmp/home/Bermrider/config"

# 45 s of race time, as pictures at 30 a second: the gates fall 13 to 15 s in.
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:1350][dialogs:off]" \
  timeout 240 "$game" --track rabbithill --super-debug --record-video --lock-fps 30 \
  >/dev/null 2>"$tmp/err" || fail "exit status $?"
grep -q "Session on 'rabbithill'" "$tmp/log" || fail "no session on rabbithill"

# "Robot SLOT at STEP: X Y Z", one line per robot and second.
grep -o "Robot [0-9]* at [0-9]*: [-0-9.]* [-0-9.]* [-0-9.]*" "$tmp/log" |
  tr -d ':' | awk '{print $2, $4, $5, $7}' >"$tmp/robots"
robots=$(awk '{print $1}' "$tmp/robots" | sort -u | wc -l)
[ "$robots" -ge 4 ] || fail "$robots robots logged their positions"

# Per robot, horizontal distances from its first logged position: the most over its first 10
# logged seconds (standing at the gate), at the last one, and the most of all.
awk '
  !($1 in first) { first[$1] = $2; x0[$1] = $3; z0[$1] = $4 }
  { d = sqrt(($3 - x0[$1]) ^ 2 + ($4 - z0[$1]) ^ 2)
    if ($2 - first[$1] <= 10 * 128 && d > still[$1]) still[$1] = d
    last[$1] = d
    if (d > most[$1]) most[$1] = d }
  END { for (r in first) printf "%d %.1f %.1f %.1f\n", r, still[r], last[r], most[r] }' \
  "$tmp/robots" |
  sort -n >"$tmp/moves"
restless=$(awk '$2 > 3' "$tmp/moves" | wc -l)
[ "$restless" -eq 0 ] || fail "robots moved before the start: $(awk '$2 > 3' "$tmp/moves" | tr '\n' ';')"
stayed=$(awk '$4 <= 5' "$tmp/moves" | wc -l)
[ "$stayed" -eq 0 ] || fail "robots never left the gate: $(awk '$4 <= 5' "$tmp/moves" | tr '\n' ';')"
gone=$(awk '$3 > 50' "$tmp/moves" | wc -l)
[ $((gone * 2)) -ge "$robots" ] ||
  fail "only $gone of $robots robots got 50 ft from the gate: $(tr '\n' ';' <"$tmp/moves")"
echo "ok: $gone of $robots robots 50 ft or more from the gate at the end"
echo "slot, feet moved before the start, feet away at the end, most feet away:"
sed 's/^/  /' "$tmp/moves"
