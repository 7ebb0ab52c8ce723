#!/usr/bin/env bash
# The game itself on a server, under a (virtual) display: bermrider-server, a headless client
# whose pilot rides one lap, and the game, whose rider a held key moves off the grid. The
# game then watches the pilot (the previous-bike key, the pilot being ahead) and its camera
# follows him around the track; the headless client sees the game's rider move. When the
# pilot has finished, the game quits, saying goodbye: the pilot's results become final, with
# the game's rider unfinished, and the server's results file agrees.
#   net_game_e2e.sh BERMRIDER-SERVER BRRACE BERMRIDER
set -u
server="$1" brrace="$2" game="$3"

source "$(dirname "$0")/../e2e/game_run.sh"
need_display 1280x720 "$0" "$@"

make_scratch
pids=()
trap 'for p in "${pids[@]}" $game_pid; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"
source "$(dirname "$0")/net_race_run.sh"

# The game's log less its camera lines, and the others' output.
fail() {
  echo "FAIL: $*" >&2
  [ -f "$tmp/log" ] && grep -v -e "^.\{13\}t=" -e GL_EXTENSIONS -e "deleting " "$tmp/log" |
    sed 's/^/  log: /' >&2
  show_outputs
  exit 1
}

start_server max_riders=2 warmup=60 start_delay=5
pids+=("$server_pid")
"$brrace" --connect "127.0.0.1:$port" --name Bert --number 22 --limit 300 --positions \
  >"$tmp/Bert.out" 2>"$tmp/Bert.err" &
brrace_pid=$!
pids+=("$brrace_pid")

mkdir -p "$tmp/home/Bermrider"
# spy: the player may watch another rider while riding.
printf 'video_mode=Windowed\nxres=320\nyres=240\nname=Anna\nnumber=11\nspy=1\n' \
  >"$tmp/home/Bermrider/config"
start_game_with_keyboard --connect "127.0.0.1:$port" --print-orientation --lock-fps 30

# The gate drops a few seconds after the server has both riders.
for _ in $(seq 600); do
  grep -q "gate drops in" "$tmp/server.out" && break
  sleep 0.1
done
grep -q "gate drops in" "$tmp/server.out" || fail "the server never started a race"
sleep 8
xdotool keydown x && sleep 3 && xdotool keyup x || fail "xdotool could not hold the throttle"
# By now the pilot leads: the previous-bike key goes to him.
sleep 10
keys bracketleft

# The pilot's lap takes about two minutes.
for _ in $(seq 2400); do
  grep -q "^lap 1 rider 22 " "$tmp/Bert.out" && break
  kill -0 "$brrace_pid" 2>/dev/null || fail "the headless client ended before its lap"
  sleep 0.1
done
grep -q "^lap 1 rider 22 " "$tmp/Bert.out" || fail "the pilot never finished its lap"
kill -TERM "$game_pid"
await_game_end 30 "the game did not quit on SIGTERM"

wait "$brrace_pid" || fail "the headless client ended with status $?"
pids=("${pids[0]}")

# The pilot's standings: Bert first and finished, the game's rider after him, not finished,
# seen riding away from the grid.
client_order "$tmp/Bert.out" >"$tmp/Bert.order"
[ "$(tr '\n' ' ' <"$tmp/Bert.order")" = "1 22 2 11 " ] || fail "the pilot's standings are wrong"
grep -q "^saw rider 11$" "$tmp/Bert.out" || fail "the pilot never saw the game's rider"
game_moved="$(least_travel "$tmp/Bert.out" 2)"
[ "$game_moved" -ge 20 ] || fail "the pilot saw the game's rider move only $game_moved ft"

# The game's camera, once it watches the pilot, travels the track with him.
grep -o "t=[^ ]* p0=[^ ]* p1=[^ ]* p2=[^ ]*" "$tmp/log" | tr '=' ' ' |
  awk '{print $4, $8}' >"$tmp/cameras"
travelled="$(awk 'NR > 1 {d = sqrt(($1 - x) ^ 2 + ($2 - z) ^ 2); if (d < 50) sum += d}
  {x = $1; z = $2} END {print int(sum)}' "$tmp/cameras")"
[ "$travelled" -ge 1000 ] || fail "the game's camera travelled only $travelled ft"
grep -q "1 laps" "$tmp/log" || fail "the game never heard the race's length"

# The server's results: the same order.
server_order >"$tmp/server.order"
cmp -s "$tmp/Bert.order" "$tmp/server.order" || fail "the server's results differ"
echo "ok: the game's camera travelled $travelled ft, the game's rider moved $game_moved ft"
