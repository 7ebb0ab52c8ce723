#!/usr/bin/env bash
# A ride on the default track recorded with --record-audio while the throttle is held: the
# WAV file must read back, be far from silent, and its pitch (the strongest low frequency,
# the engine's firing rate) must climb while the throttle stays open.
#   sound_e2e.sh BERMRIDER WAV_PITCH
set -u
game="$1"
pitch_tool="$2"

source "$(dirname "$0")/game_run.sh"
need_display 1280x720 "$0" "$game" "$pitch_tool"

make_scratch

mkdir -p "$tmp/home/Bermrider"
printf 'video_mode=Windowed\nxres=320\nyres=240\n' >"$tmp/home/Bermrider/config"
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" \
  KOTA_OPTIONS="[quit-after:100000][dialogs:off][local-rider:1]" \
  "$game" --track rabbithill --record-audio "$tmp/out.wav" --debug >"$tmp/out" 2>"$tmp/err" &
game_pid=$!

window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
[ -n "$window" ] || fail "the game's window never appeared"
timeout 10 xdotool windowfocus --sync "$window" || fail "could not focus the window"
# The recording follows game time, 128 steps to the second, and --debug logs each second
# ridden as it ends: two seconds of idling, five with the throttle held, one after. Kept to
# game time, a slow build (or a busy machine) records the same ride as a fast one.
await "] Step 256 ridden$" 240
xdotool keydown x || fail "xdotool could not open the throttle"
await "] Step 896 ridden$" 240
xdotool keyup x || fail "xdotool could not close the throttle"
await "] Step 1024 ridden$" 120
# A stop signal ends the run normally, so the recording's header gets its sizes.
kill -TERM "$game_pid"
for _ in $(seq 300); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end"
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "exit status $status"
grep -q "Event 4141 pressed" "$tmp/log" || fail "the throttle key never arrived"

"$pitch_tool" "$tmp/out.wav" >"$tmp/pitch" || fail "the recording does not read back as WAV"
cat "$tmp/pitch"

# Lines after the first: start time, rms, strongest frequency of each half second. The first
# second is the engine idling on the grid; the throttle went down two seconds in.
read -r _ rate _ seconds < <(head -n 1 "$tmp/pitch")
[ "$rate" -eq 88320 ] || fail "recorded at $rate Hz"
awk -v s="$seconds" 'BEGIN {exit !(s >= 7)}' || fail "only $seconds s recorded"
tail -n +2 "$tmp/pitch" | awk '
  $1 < 1 && $3 > idle {idle = $3}
  $2 > loudest {loudest = $2}
  $3 > highest {highest = $3; at = $1}
  END {
    printf "idle %.1f Hz, highest %.1f Hz at %.1f s, loudest rms %.3f\n", idle, highest, at, loudest
    if (loudest < 0.05) {print "FAIL: the recording is all but silent"; exit 1}
    if (highest < 2 * idle) {print "FAIL: the pitch did not rise with the throttle"; exit 1}
    if (at < 1.5) {print "FAIL: the pitch peaked before the throttle opened"; exit 1}
  }' || fail "the recorded engine does not sound as ridden"
echo "ok: $seconds s of engine sound"

# The sound card's path: SDL's disk driver stands in for a card, and what the mixer gave
# SDL's callback must be the engine, not silence.
XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" SDL_AUDIODRIVER=disk \
  SDL_DISKAUDIOFILE="$tmp/card.raw" KOTA_OPTIONS="[quit-after:120][dialogs:off][local-rider:1]" \
  "$game" --track rabbithill >"$tmp/out" 2>"$tmp/err" || fail "the run with a sound card failed"
grep -q "Audio opened" "$tmp/log" || fail "the sound card did not open"
[ -s "$tmp/card.raw" ] || fail "nothing reached the sound card"
peak=$(od -An -v -td2 -w2 "$tmp/card.raw" | awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}')
[ "$peak" -ge 1000 ] || fail "the sound card was given silence (peak $peak)"
echo "ok: the sound card was given the engine (peak $peak)"
