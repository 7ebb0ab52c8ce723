#!/usr/bin/env bash
# The novice series of the default data run event by event with brrace: after every event
# the results file holds the finishing order; at the end the standings file and the printed
# totals must agree with what this script works out from those results files on its own.
#   series_e2e.sh BRRACE
set -u
brrace="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"
home="$tmp/home/Bermrider"

. "$(dirname "$0")/../support/e2e_fail.sh"

# The series as the data set writes it: riders 23 31 47 58 72, the player last; every moto a
# round of its own, so a round rank is the moto's place.
riders="23 31 47 58 72 999"
round_points=(50 44 40 36 32 30)

reset="--reset-series"
for event in 1 2 3; do
  "$brrace" --series novice.series $reset --quiet --seed "$event" >"$tmp/out" 2>"$tmp/err"
  status=$?
  [ "$status" -eq 0 ] || fail "event $event: exit status $status"
  reset=""
  [ -f "$home/results.txt" ] || fail "event $event: no results file"
  cp "$home/results.txt" "$tmp/results$event"
  [ "$(grep -c . "$home/novice.series_standings")" -eq "$event" ] ||
    fail "event $event: the standings file does not hold $event lines"
  next=$((event + 1))
  if [ "$event" -lt 3 ]; then
    grep -q "^Next Event: Foundry Moto $next$" "$tmp/out" || fail "event $event: no next event"
  else
    grep -q "^Foundry Novice Cup Final Standings$" "$tmp/out" || fail "no final standings"
  fi
done
cp "$tmp/out" "$tmp/final"

# Every participant's place in each event, from the results files alone (1-based; not in the
# file: last).
for event in 1 2 3; do
  tr -d '\r' <"$tmp/results$event" | awk 'NR > 2 && /^$/ {exit} NR > 2 {print $1}' \
    >"$tmp/order$event"
  line=""
  for r in $riders; do
    p=$(grep -nx "$r" "$tmp/order$event" | cut -d: -f1)
    line="$line${p:-6} "
  done
  echo "$line" >>"$tmp/expected_standings"
done
cmp -s "$tmp/expected_standings" "$home/novice.series_standings" ||
  fail "standings file differs: $(cat "$home/novice.series_standings") vs $(cat "$tmp/expected_standings")"

# Totals: the round points of each moto's place, summed.
for r in $riders; do
  total=0
  for event in 1 2 3; do
    p=$(grep -nx "$r" "$tmp/order$event" | cut -d: -f1)
    total=$((total + round_points[${p:-6} - 1]))
  done
  # Only the standings table: the race's penalty lines also start with a rider's number.
  printed=$(awk -v r="$r" '/Final Standings$/ {table = 1; next} table && $1 == r && NF >= 5 {print $2}' "$tmp/final")
  [ "$printed" = "$total" ] || fail "rider $r: printed total '$printed', worked out $total"
done

# The series is over until it is reset.
"$brrace" --series novice.series >"$tmp/out" 2>"$tmp/err" || fail "a finished series: status $?"
grep -q "every event of 'Foundry Novice Cup' has been run" "$tmp/out" || fail "no word it is over"
"$brrace" --series nowhere.series >"$tmp/out" 2>"$tmp/err"
[ $? -eq 1 ] || fail "an unknown series did not end with status 1"
"$brrace" --reset-series >"$tmp/out" 2>"$tmp/err"
[ $? -eq 1 ] || fail "--reset-series alone did not end with status 1"
echo "ok: $(tr '\n' '|' <"$home/novice.series_standings")"
