#!/usr/bin/env bash
# The chat line in the real game, typed from outside during a race on rabbithill started from
# the menus and recorded:
# the recording is named, the track information and a bike setup are saved, a setup name
# that leaves the home directory is refused; each reply reaches the log and each file its
# place in the home directory.
#   console_e2e.sh BERMRIDER
set -u
game="$1"

source "$(dirname "$0")/game_run.sh"
need_display 1280x1024 "$0" "$game"

make_scratch

home="$tmp/home/Bermrider"
mkdir -p "$home"
printf 'video_mode=Windowed\nxres=640\nyres=480\ntrack=rabbithill\nrecord=Yes\n' >"$home/config"
start_game_with_keyboard

# Opens the chat line with its key (t), types the text and presses Enter.
say() {
  keys t
  xdotool type --delay 40 "$1" || fail "xdotool could not type"
  keys Return
}

# Main menu: New Race; up past "Back to Main Menu" to Start.
keys Return Up Up Return
await "Session on 'rabbithill'"
sleep 1
# The log is written out as the game ends (a race does not flush it line by line), so the
# replies are checked afterwards.
say "/namedemo console_race"
say "/savetrackinfo"
say "/writesetup ../../../escaped"
say "/writesetup mine"
say "/togglefps"
# Chat with no server to send it to.
say "hello"
sleep 1

# Quit from the menu; the recording takes its name as it closes.
keys Escape Up Return
sleep 1
keys q
await_game_end 30 "the game did not quit"

[ -s "$home/demos/console_race.brdemo" ] || fail "the named recording is not in the demos folder"
[ -e "$home/demos/default.brdemo" ] && fail "the recording kept its default name"
[ -s "$home/rabbithill.trackinfo" ] || fail "no track information file"
grep -q "^brake_torque=" "$home/setups/mine" || fail "the setup file holds no setup"
[ -e "$tmp/escaped" ] || [ -e "$tmp/home/escaped" ] && fail "a setup was written outside the home"
grep -qx "draw_fps=1" "$home/config" || fail "the FPS display was not kept on"
for reply in "Demo name updated" "Track info saved to rabbithill.trackinfo" "Bad setup name" \
  "Setup written" "FPS display ON" "Not connected to server"; do
  grep -q "$reply" "$tmp/log" || fail "no reply \"$reply\" in the log"
done
echo "ok: recording named, track information and setup saved, escape refused"
