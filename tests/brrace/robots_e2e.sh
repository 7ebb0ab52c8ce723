#!/usr/bin/env bash
# Robots ride whole laps: on each default track the scripted pilot rides laps that the game
# learns as lines, then a few robots race a lap on them, and every one of them finishes.
#   robots_e2e.sh BRRACE
set -u
brrace="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"

. "$(dirname "$0")/../support/e2e_fail.sh"

for track in rabbithill foundry; do
  "$brrace" --track "$track" --pilot --laps 2 --learn --quiet >"$tmp/out" 2>"$tmp/err" ||
    fail "$track: the pilot's laps did not finish"
  [ -s "$tmp/home/Bermrider/$track/lines_novice" ] || fail "$track: no lines learned"
  "$brrace" --track "$track" --robots 3 --laps 1 --seed 1 --quiet --limit 900 >"$tmp/out" 2>"$tmp/err"
  status=$?
  [ "$status" -eq 0 ] || fail "$track: the robots' race ended with status $status"
  [ "$(grep -cE '^ +[1-3] +[0-9]+ +1 +[0-9]+\.[0-9]{2} ' "$tmp/out")" -eq 3 ] ||
    fail "$track: not every robot finished its lap"
  grep -q "(not finished)" "$tmp/out" && fail "$track: a robot did not finish"
  echo "$track: $(grep -E '^ +[1-3] ' "$tmp/out" | awk '{print $2 " " $4}' | tr '\n' ' ')"
done
echo "ok"
