#!/usr/bin/env bash
# The real program with its live timing page: configured with http_port it says where the page
# is, answers it on 127.0.0.1, refuses to change anything, and still stops cleanly on SIGTERM.
# A page port another server holds costs the page, never the races.
#   live_timing_process.sh BERMRIDER-SERVER
set -u
server="$1"
tmp="$(mktemp -d)"
pid=""
first=""
second=""
trap 'for p in $pid $first $second; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"

. "$(dirname "$0")/../support/e2e_fail.sh"

# One HTTP request over bash's own TCP support (no client program needed); the whole answer.
http() {
  local method="$1" path="$2" port="$3"
  exec 3<>"/dev/tcp/127.0.0.1/$port" || return 1
  printf '%s %s HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\nConnection: close\r\n\r\n' \
    "$method" "$path" >&3
  timeout 5 cat <&3
  exec 3<&-
}

# start_server PORT: the server's output goes to a new "$tmp/out", the last one to "$tmp/out.1".
start_server() {
  printf 'port=0\nhttp_port=%s\n' "$1" >"$tmp/server.conf"
  [ -f "$tmp/out" ] && mv "$tmp/out" "$tmp/out.1"
  "$server" --config "$tmp/server.conf" </dev/null >"$tmp/out" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    grep -q "Live timing on\|No live timing page" "$tmp/out" && return 0
    sleep 0.2
  done
  return 1
}

stop_server() {
  kill -TERM "$pid"
  wait "$pid"
  local status=$?
  pid=""
  return $status
}

# Another engineer's test may hold a port: try a few at random.
port=""
for _ in 1 2 3 4 5; do
  candidate=$((20000 + RANDOM % 40000))
  start_server "$candidate" || fail "the server did not start"
  if grep -q "Live timing on http://127.0.0.1:$candidate/" "$tmp/out"; then
    port="$candidate"
    break
  fi
  stop_server
done
[ -n "$port" ] || fail "no free port for the page in five tries"

http GET /api/live "$port" >"$tmp/live" || fail "no answer on the page's port"
head -1 "$tmp/live" | grep -q "200 OK" || fail "GET /api/live: $(head -1 "$tmp/live")"
grep -q '"track":"rabbithill"' "$tmp/live" || fail "the API does not name the track"
grep -q '"phase":"warmup"' "$tmp/live" || fail "the API does not say the server warms up"
http GET / "$port" | grep -q "Bermrider live timing" || fail "no page at /"
http POST /api/live "$port" | head -1 | grep -q "405" || fail "POST was not refused"

# A second server asking for the same page port runs its races all the same, without a page:
# the port is not shared, so browsers still reach the first.
first="$pid"
start_server "$port" || fail "a second server did not start"
second="$pid"
grep -q "No live timing page" "$tmp/out" || fail "a taken port was not reported"
grep -q "Listening on UDP port [1-9]" "$tmp/out" || fail "the second server's races did not start"
stop_server || fail "SIGTERM without the page did not exit cleanly"
pid="$first"
http GET /api/live "$port" | head -1 | grep -q "200 OK" || fail "the first server's page went"
stop_server || fail "SIGTERM with the page running did not exit cleanly"
grep -q "Stopping: telling the riders" "$tmp/out.1" || fail "no clean stop"
echo "ok"
