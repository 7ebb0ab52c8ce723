#!/usr/bin/env bash
# The installed game, run from another directory with a fresh home as a player would: it
# finds its installed data (the robots' lines included), writes its files into the home
# directory, and leaves the installed tree and the directory it was started in as they were.
#   installed_game_e2e.sh ROOT INSTALLED BINDIR DATADIR
set -u
root="$1" installed="$2" bindir="$3" datadir="$4"
game="$installed/$bindir/bermrider"

source "$(dirname "$0")/../e2e/game_run.sh"
need_display 1280x1024 "$0" "$@"
make_scratch

# Every path with its size, mode and change time: anything written under the prefix shows.
snapshot() { (cd "$root" && find . -printf '%p %s %m %T@\n' | sort); }
before="$(snapshot)"

mkdir -p "$tmp/elsewhere" "$tmp/home"
cd "$tmp/elsewhere"
player() { env -u XDG_DATA_HOME -u BR_HOME -u KOTA_LOGFILE HOME="$tmp/home" "$@"; }
home="$tmp/home/.local/share/Bermrider"

version="$(player "$game" --version)" || fail "--version failed"
[[ "$version" == Bermrider* ]] || fail "--version printed '$version'"

player KOTA_OPTIONS="[quit-after:40][dialogs:off]" timeout 90 "$game" --track rabbithill \
  >"$tmp/out" 2>"$tmp/err"
status=$?
cp "$home/lastlog.txt" "$tmp/log" 2>/dev/null
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$tmp/err")"
data_dir="$installed/$datadir/"
grep -qF "Game data found in \"$data_dir\"" "$tmp/log" || fail "the data was not found in $data_dir"
grep -q "Session on 'rabbithill'" "$tmp/log" || fail "no session on rabbithill"
[ -s "$home/config" ] || fail "no configuration written in the home directory"

# The data tool sees the installed data, and none of the other programs beside it.
listing="$(player "$installed/$bindir/brdata" list)" || fail "brdata list failed"
grep -qF -- "-> $data_dir" <<<"$listing" || fail "brdata lists nothing from $data_dir"
if grep -qF -- "-> $installed/$bindir/" <<<"$listing"; then
  fail "the program directory was taken for a data directory"
fi
# The robots' lines ridden at build time are part of the installed data.
for track in rabbithill foundry; do
  for lines in lines_novice lines_amateur lines_expert; do
    grep -qF -- "$track/$lines -> $data_dir" <<<"$listing" || fail "no $track/$lines installed"
  done
done

[ "$(snapshot)" = "$before" ] || fail "the installed tree changed: $(diff <(echo "$before") <(snapshot))"
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "files written where the game was started: $(ls -A)"
echo "ok"
