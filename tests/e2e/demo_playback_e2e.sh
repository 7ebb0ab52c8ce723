#!/usr/bin/env bash
# A race ridden by the scripted pilot with no window, recorded as a demo, then played back by
# the game named on its command line: the played-back rider must stand where the race had him
# at every second both logged, Skip and Rewind must move the playback, and the game must end
# normally. brdata must describe the demo, and refuse one that is cut off in its header.
#   demo_playback_e2e.sh BERMRIDER BRRACE BRDATA
set -u
game="$1"
brrace="$2"
brdata="$3"

source "$(dirname "$0")/game_run.sh"
need_display 1280x720 "$0" "$game" "$brrace" "$brdata"

make_scratch
export XDG_DATA_HOME="$tmp/home"
demo="$tmp/race.brdemo"

"$brrace" --track rabbithill --pilot --laps 1 --quiet --positions --record "$demo" \
  >"$tmp/race" 2>"$tmp/err" || fail "brrace: $(cat "$tmp/err")"
grep '^position ' "$tmp/race" | awk '$4 == 0 {print $2, $5, $6, $7}' >"$tmp/ridden"
[ "$(wc -l <"$tmp/ridden")" -ge 60 ] || fail "brrace logged too few positions"

"$brdata" demo "$demo" >"$tmp/about" || fail "brdata could not read the demo"
grep -q "rabbithill" "$tmp/about" || fail "brdata names no track: $(cat "$tmp/about")"
grep -q "999" "$tmp/about" || fail "brdata lists no rider 999: $(cat "$tmp/about")"
head -c 20 "$demo" >"$tmp/cut.brdemo"
"$brdata" demo "$tmp/cut.brdemo" >/dev/null 2>"$tmp/cut_err" && fail "brdata took a cut demo"
[ -s "$tmp/cut_err" ] || fail "brdata gave no reason for the cut demo"

# Ten frames a second of world time in a small window keep the software renderer quick.
mkdir -p "$tmp/home/Bermrider"
printf 'video_mode=Windowed\nxres=256\nyres=192\n' >"$tmp/home/Bermrider/config"
KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[quit-after:400][dialogs:off]" \
  "$game" --super-debug --lock-fps 10 "$demo" >/dev/null 2>"$tmp/err" &
game_pid=$!

window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the game's window never appeared"
timeout 10 xdotool windowfocus --sync "$window" || fail "could not focus the window"
sleep 1
# Past the start: twenty seconds forward, then three back.
for _ in $(seq 20); do xdotool key slash || fail "xdotool could not type"; done
sleep 1
for _ in $(seq 3); do xdotool key backslash; done
await_game_end 120 "the game did not end by itself"

grep -q "Demo skipped to step" "$tmp/log" || fail "Skip did not move the playback"
grep -q "Demo moved to step" "$tmp/log" || fail "Rewind did not move the playback"
grep -o "Posed 0 at [0-9]*: .*" "$tmp/log" | tr -d ':' | awk '{print $4, $5, $6, $7}' \
  >"$tmp/posed"
[ "$(wc -l <"$tmp/posed")" -ge 10 ] || fail "too few poses logged"

# Across the ground a pose is exact to the snapshot's quantisation; upward it may stand as
# much higher as the tyre sank into the ground, since a posed rider is lifted clear of it.
report=$(awk '
  NR == FNR {x[$1] = $2; y[$1] = $3; z[$1] = $4; if (FNR == 1) {x0 = $2; z0 = $4}; next}
  ($1 in x) {
    n++
    across = sqrt(($2 - x[$1]) ^ 2 + ($4 - z[$1]) ^ 2)
    up = $3 - y[$1]
    if (across > worst) worst = across
    if (up < -0.01 || up > 0.25) bad_up++
    moved = sqrt((x[$1] - x0) ^ 2 + (z[$1] - z0) ^ 2)
    if (moved > far) far = moved
  }
  END {printf "%d %.4f %d %.0f\n", n, worst, bad_up, far}' "$tmp/ridden" "$tmp/posed")
read -r compared worst bad_up far <<<"$report"
[ "$compared" -ge 10 ] || fail "only $compared poses to compare"
awk -v w="$worst" 'BEGIN {exit !(w <= 0.01)}' || fail "a pose strays $worst ft across the ground"
[ "$bad_up" -eq 0 ] || fail "$bad_up poses at the wrong height"
[ "$far" -ge 20 ] || fail "the compared poses are all near the start (${far} ft)"
echo "ok: $compared poses within $worst ft; the rider rode ${far} ft"
