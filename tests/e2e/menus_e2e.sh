#!/usr/bin/env bash
# The game started and driven from its own menus with keys typed from outside: from the main
# menu to a race on Foundry Arena with ten robots, back to the menus and to a race on Rabbit
# Hill, then quit. The log shows both sessions and the configuration keeps the choices.
#   menus_e2e.sh BERMRIDER
set -u
game="$1"

source "$(dirname "$0")/game_run.sh"
need_display 1280x1024 "$0" "$game"

make_scratch

mkdir -p "$tmp/home/Bermrider"
printf 'video_mode=Windowed\nxres=640\nyres=480\n' >"$tmp/home/Bermrider/config"
start_game_with_keyboard

# Main menu: New Race, then the track list (it opens on Rabbit Hill) up to Foundry Arena.
keys Return Return Up Return
# Gates 1 to 5 from "Empty" to "Robot": with the default gates' five, ten robots.
keys Down Down Down Down
for _ in 1 2 3 4 5; do keys Down Right Right; done
# Down from gate 5 past the other gates and the page buttons to Start.
keys Down Down Down Down Down Down Down Down Return
await "Session on 'foundry': 11 riders, viewing slot 19"
sleep 2

# Esc brings the main menu over the race; the second race goes to Rabbit Hill.
keys Escape Return Return Down Return
for _ in $(seq 17); do keys Down; done
keys Return
await "Session on 'rabbithill': 11 riders, viewing slot 19"
sleep 2

# Quit asks first; any key then ends the game.
keys Escape Up Return
sleep 1
keys q
await_game_end 30 "the game did not quit"

config="$tmp/home/Bermrider/config"
grep -qx "track=rabbithill" "$config" || fail "the chosen track was not kept"
for slot in 00 01 02 03 04 17 18 20 21 22; do
  grep -qx "slot$slot=Robot" "$config" || fail "gate slot$slot is not a robot in the configuration"
done
grep -qx "slot19=Human" "$config" || fail "the player's gate was not kept"
robots=$(grep -c "^slot[0-9]*=Robot$" "$config")
[ "$robots" -eq 10 ] || fail "$robots robots kept in the configuration"
echo "ok: two races from the menus, choices kept"
