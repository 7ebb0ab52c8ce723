#!/usr/bin/env bash
# A ride on the default track with keys pressed from outside: Tab to the chase camera,
# throttle held, then steering. The recorded video must show a picture that keeps changing,
# ending far from the first one, and the printed camera must have followed the bike away from
# the grid.
#   ride_e2e.sh BERMRIDER VIDEO_FRAMES
set -u
game="$1"
frames_tool="$2"

source "$(dirname "$0")/game_run.sh"
need_display 1280x720 "$0" "$game" "$frames_tool"

make_scratch

# A small window keeps the video small; 30 frames a second of world time each.
mkdir -p "$tmp/home/Bermrider"
printf 'video_mode=Windowed\nxres=256\nyres=192\n' >"$tmp/home/Bermrider/config"
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" \
  KOTA_OPTIONS="[quit-after:480][dialogs:off]" \
  "$game" --track rabbithill --record-video --print-orientation --lock-fps 30 --debug \
  >"$tmp/video" 2>"$tmp/err" &
game_pid=$!

window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the game's window never appeared"
timeout 10 xdotool windowfocus --sync "$window" || fail "could not focus the window"
sleep 1
xdotool key Tab || fail "xdotool could not type"
sleep 1
xdotool keydown x && sleep 4 && xdotool keydown Left && sleep 1.5 && xdotool keyup Left x ||
  fail "xdotool could not hold keys"

await_game_end 60 "the game did not end by itself"
grep -q "Event 4141 pressed" "$tmp/log" || fail "the throttle key never arrived"

"$frames_tool" "$tmp/video" >"$tmp/frames" || fail "the video does not read back"
pictures=$(wc -l <"$tmp/frames")
[ "$pictures" -ge 100 ] || fail "only $pictures pictures recorded"
read -r _ width height _ _ < <(head -n 1 "$tmp/frames")
[ "$width" -eq 256 ] && [ "$height" -eq 192 ] || fail "pictures of ${width}x${height}"

# The camera lines: one per drawn picture, position in fields 3-5 (p0=, p1=, p2=).
grep -o "t=[^ ]* p0=[^ ]* p1=[^ ]* p2=[^ ]*" "$tmp/log" | tr '=' ' ' |
  awk '{print $4, $6, $8}' >"$tmp/cameras"
cameras=$(wc -l <"$tmp/cameras")
[ "$cameras" -ge "$pictures" ] || fail "$cameras camera lines for $pictures pictures"
moved=$(awk 'NR == 1 {x = $1; z = $3} END {d = sqrt(($1 - x) ^ 2 + ($3 - z) ^ 2); print int(d)}' \
  "$tmp/cameras")
[ "$moved" -ge 30 ] || fail "the camera moved only $moved ft from where it started"

# The rider view (before Tab) and the chase view differ; after the throttle the picture
# keeps changing far more than any two pictures of the standing start do.
last_diff=$(tail -n 1 "$tmp/frames" | awk '{print int($4)}')
[ "$last_diff" -ge 10 ] || fail "the last picture is hardly different from the first ($last_diff)"
changing=$(awk 'NR > 1 && $4 != prev {n++} {prev = $4} END {print n + 0}' "$tmp/frames")
[ "$changing" -ge 60 ] || fail "the picture changed only $changing times"
echo "ok: $pictures pictures, camera moved $moved ft, last picture $last_diff from the first"
