#!/usr/bin/env bash
# The default set-up runs full screen: on a screen of its own size the window covers the
# whole screen and the recorded pictures are drawn to their right and bottom edges, not into
# a corner of the size the window was first asked for. A window resized from outside is drawn
# whole at its new size.
#   fullscreen_e2e.sh BERMRIDER VIDEO_FRAMES
set -u
game="$1"
frames_tool="$2"
screen_width=1280
screen_height=720

source "$(dirname "$0")/game_run.sh"
need_display ${screen_width}x${screen_height} "$0" "$game" "$frames_tool"

make_scratch

read -r screen_width screen_height < <(xdotool getdisplaygeometry) ||
  fail "could not read the screen's size"

# No configuration file: the default video mode, full screen at the desktop's size. Few
# pictures, as each is a whole screen.
mkdir -p "$tmp/home"
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" \
  KOTA_OPTIONS="[quit-after:40][dialogs:off]" \
  "$game" --track rabbithill --record-video >"$tmp/video" 2>"$tmp/err" &
game_pid=$!

window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the game's window never appeared"
geometry="$(xdotool getwindowgeometry "$window" | awk '/Geometry:/ {print $2}')"

# A sanitizer build on a busy machine draws a full screen slowly.
await_game_end 240 "the game did not end by itself"
[ "$geometry" = "${screen_width}x${screen_height}" ] ||
  fail "a window of $geometry on a ${screen_width}x${screen_height} screen"

"$frames_tool" "$tmp/video" >"$tmp/frames" || fail "the video does not read back"
pictures=$(wc -l <"$tmp/frames")
[ "$pictures" -ge 3 ] || fail "only $pictures pictures recorded"
# The last picture: index, size, difference, middle, colours at the right, at the bottom.
read -r _ width height _ _ right bottom < <(tail -n 1 "$tmp/frames")
[ "$width" -eq "$screen_width" ] && [ "$height" -eq "$screen_height" ] ||
  fail "pictures of ${width}x${height} on a ${screen_width}x${screen_height} screen"
# A part nothing was drawn into reads back as one colour; the track shows many.
[ "$right" -ge 16 ] || fail "the right quarter shows only $right colours"
[ "$bottom" -ge 16 ] || fail "the bottom quarter shows only $bottom colours"

# Windowed at 256x192, then made 400x300 from outside while the game runs.
rm -f "$tmp/video" "$tmp/frames" "$tmp/log"
mkdir -p "$tmp/home/Bermrider"
printf 'video_mode=Windowed\nxres=256\nyres=192\n' >"$tmp/home/Bermrider/config"
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" \
  KOTA_OPTIONS="[quit-after:240][dialogs:off]" \
  "$game" --track rabbithill --record-video --lock-fps 30 >"$tmp/video" 2>"$tmp/err" &
game_pid=$!
window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the windowed game's window never appeared"
# Resized only once a picture of the track at the first size is on record, however long the
# game takes to load it.
await "First picture of the track drawn at 256x192" 240
xdotool windowsize --sync "$window" 400 300 || fail "xdotool could not resize the window"
await_game_end 240 "the windowed game did not end by itself"
"$frames_tool" "$tmp/video" >"$tmp/frames" || fail "the windowed video does not read back"
read -r _ first_width first_height _ < <(head -n 1 "$tmp/frames")
[ "$first_width" -eq 256 ] && [ "$first_height" -eq 192 ] ||
  fail "windowed pictures began at ${first_width}x${first_height}"
read -r _ width height _ _ right bottom < <(tail -n 1 "$tmp/frames")
[ "$width" -eq 400 ] && [ "$height" -eq 300 ] || fail "resized pictures of ${width}x${height}"
[ "$right" -ge 16 ] || fail "the resized right quarter shows only $right colours"
[ "$bottom" -ge 16 ] || fail "the resized bottom quarter shows only $bottom colours"
echo "ok: full screen ${screen_width}x${screen_height} and resized ${width}x${height} drawn whole"
