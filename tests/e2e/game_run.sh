# Sourced by the end-to-end scripts that run the real game.

# Runs the calling script again on a virtual screen (WIDTHxHEIGHT, Mesa's software renderer)
# when there is no display.
#   need_display 1280x720 "$0" ARGS...
need_display() {
  local screen="$1"
  shift
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 ${screen}x24" "$@"
  fi
}

# A private folder in $tmp (the game's home goes in it), removed at exit together with a game
# still running as $game_pid.
make_scratch() {
  tmp="$(mktemp -d)"
  game_pid=""
  trap 'if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null; fi; rm -rf "$tmp"' EXIT
}

# Ends the test with its reason and the game's log, less the per-picture camera lines and the
# long extension list.
fail() {
  echo "FAIL: $*" >&2
  [ -f "$tmp/log" ] && grep -v -e "^.\{13\}t=" -e GL_EXTENSIONS "$tmp/log" | sed 's/^/  log: /' >&2
  exit 1
}

# Waits up to SECONDS for the game started as $game_pid to end, failing with MESSAGE when it
# does not; it must then end with status 0.
#   await_game_end SECONDS MESSAGE
await_game_end() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$game_pid" 2>/dev/null && fail "$2"
  wait "$game_pid"
  local status=$?
  game_pid=""
  [ "$status" -eq 0 ] || fail "exit status $status; stderr: $(cat "$tmp/err" 2>/dev/null)"
}

# Gives rabbithill, through the home directory $tmp/home, the start positions of DATA_DIR's
# track and one huge timing gate that every rider standing on the grid is already through,
# so laps are counted without anybody riding.
#   lay_one_huge_gate DATA_DIR
lay_one_huge_gate() {
  local gates="$tmp/home/Bermrider/rabbithill/timing_gates"
  mkdir -p "$(dirname "$gates")"
  sed -n '/^startinggate:/,/^checkpoints:/p' "$1/rabbithill/timing_gates" |
    grep -v '^checkpoints:' >"$gates"
  [ -s "$gates" ] || fail "no start positions to copy"
  printf 'checkpoints:\n100000 [ 450 0 1450 ] [ 0 0 0 ]\nfirstlap:\n0\nnormallap:\n0\n' >>"$gates"
}

# Starts the game in the background on the home $tmp/home with the log in $tmp/log, waits for
# its window and gives it the keyboard.
#   start_game_with_keyboard ARGS...
start_game_with_keyboard() {
  XDG_DATA_HOME="$tmp/home" KOTA_LOGFILE="$tmp/log" KOTA_OPTIONS="[dialogs:off]" \
    "$game" "$@" >"$tmp/out" 2>"$tmp/err" &
  game_pid=$!
  window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Bermrider$' | head -n 1)"
  [ -n "$window" ] || fail "the game's window never appeared"
  timeout 10 xdotool windowfocus --sync "$window" || fail "could not focus the window"
  sleep 1
}

# Presses keys in the game's window.
keys() { xdotool key --delay 60 "$@" || fail "xdotool could not type"; }

# Waits up to SECONDS (default a minute) for a line in the log. A race writes its log out only
# now and then: lines logged during one may arrive late or at the end, except the first
# picture of the track and, with --debug, each "Step N ridden" (N a multiple of 128).
#   await PATTERN [SECONDS]
await() {
  for _ in $(seq $((${2:-60} * 10))); do
    grep -q "$1" "$tmp/log" && return 0
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for: $1"
    sleep 0.1
  done
  fail "never logged: $1"
}
