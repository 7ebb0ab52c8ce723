#!/usr/bin/env bash
# The robots' line files are the same bytes every time they are made: lines_kit run again on a
# copy of the build's data set (line files and all) writes what the build's run wrote, and
# every track has a non-empty file for every skill.
#   lines_kit_repeat.sh LINES_KIT DATA_DIR
set -u
lines_kit="$1"
data="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../support/e2e_fail.sh"

tracks="rabbithill foundry"
files="lines_novice lines_amateur lines_expert"
for track in $tracks; do
  for file in $files; do
    [ -s "$data/$track/$file" ] || fail "the build made no $track/$file"
    head -n 1 "$data/$track/$file" | grep -Eq '^ct03 [1-9][0-9]*$' ||
      fail "$track/$file does not start with its section count"
  done
done

cp -r "$data" "$tmp/data" || fail "could not copy $data"
"$lines_kit" "$tmp/data" >"$tmp/out" 2>&1 || fail "lines_kit: exit status $?"
for track in $tracks; do
  for file in $files; do
    cmp -s "$data/$track/$file" "$tmp/data/$track/$file" ||
      fail "$track/$file differs from the build's"
  done
done
echo "ok: the same line files again"
sed 's/^/  /' "$tmp/out"
