#!/usr/bin/env bash
# The scripted pilot rides two laps of each default track to the final results; bad options
# and unknown tracks end with status 1, a race that cannot finish in time with status 2. Ruts
# are dug only with --erode, and roost never changes a race.
#   brrace_e2e.sh BRRACE
set -u
brrace="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"

. "$(dirname "$0")/../support/e2e_fail.sh"

for track in rabbithill foundry; do
  "$brrace" --track "$track" --pilot --laps 2 >"$tmp/out" 2>"$tmp/err"
  status=$?
  [ "$status" -eq 0 ] || fail "$track: exit status $status"
  for lap in 1 2; do
    grep -Eq "^lap $lap rider 999 time [0-9]+\.[0-9]{2}$" "$tmp/out" || fail "$track: no lap $lap"
  done
  [ "$(grep -c '^lap ' "$tmp/out")" -eq 2 ] || fail "$track: not exactly two laps"
  grep -Eq '^ +1 +999 +2 ' "$tmp/out" || fail "$track: the pilot is not first with two laps"
  grep -q "x real time$" "$tmp/out" || fail "$track: no timing line"
  grep -q "^ground 0 height samples changed, deepest cut 0.00 ft$" "$tmp/out" ||
    fail "$track: the ground changed without --erode"
  # A pilot's lap is that of a careful rider, not a robot's and not a crawl.
  best=$(awk '/^ +1 +999/ {print int($5)}' "$tmp/out")
  [ "$best" -ge 30 ] && [ "$best" -le 180 ] || fail "$track: best lap $best s"
  echo "$track: $(grep '^lap ' "$tmp/out" | tr '\n' ' ')"
done

# The same options give the same race, ruts included, however much roost flies.
"$brrace" --track foundry --pilot --laps 1 --seed 9 --quiet --erode 50 |
  grep -v "real time" >"$tmp/a"
"$brrace" --track foundry --pilot --laps 1 --seed 9 --quiet --erode 50 --roostfrequency 0 |
  grep -v "real time" >"$tmp/b"
cmp -s "$tmp/a" "$tmp/b" || fail "two runs with the same seed differ"
grep -Eq "^ground [1-9][0-9]* height samples changed, deepest cut [0-9]+\.[0-9]{2} ft$" "$tmp/a" ||
  fail "a lap at --erode 50 dug no ruts: $(grep '^ground' "$tmp/a")"
grep -q '^lap ' "$tmp/a" && fail "--quiet printed lap lines"

"$brrace" --laps nine >"$tmp/out" 2>"$tmp/err"
[ $? -eq 1 ] || fail "bad --laps did not end with status 1"
grep -q "brrace: --laps" "$tmp/err" || fail "bad --laps gave no reason"
"$brrace" --track nowhere >"$tmp/out" 2>"$tmp/err"
[ $? -eq 1 ] || fail "an unknown track did not end with status 1"
grep -q "no track 'nowhere'" "$tmp/err" || fail "an unknown track gave no reason"
"$brrace" --track foundry --pilot --laps 1 --limit 20 >"$tmp/out" 2>"$tmp/err"
[ $? -eq 2 ] || fail "a race cut short did not end with status 2"
grep -q "did not finish within 20 s" "$tmp/err" || fail "a race cut short gave no reason"
echo "ok"
