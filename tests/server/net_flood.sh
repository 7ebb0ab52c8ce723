#!/usr/bin/env bash
# Hostile datagrams at the game server while a real client races, on 127.0.0.0/8 only: once
# the race is announced, NET_FLOOD sends DATAGRAMS of noise and broken, mutated and lying
# packets from several addresses. The server must not crash, must keep the client (it
# finishes, and the results list it as finished) and must not keep growing: its resident
# size is sampled through the flood and printed.
#   net_flood.sh BERMRIDER-SERVER BRRACE NET_FLOOD [DATAGRAMS [PER-SECOND [GROWTH-MIB]]]
# The test suite sends a few thousand; by hand, 100000 at the server built with the
# sanitizers (see the README's testing section).
set -u
server="$1" brrace="$2" flood="$3" datagrams="${4:-100000}" rate="${5:-5000}" growth="${6:-64}"
tmp="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"
source "$(dirname "$0")/net_race_run.sh"

fail() {
  echo "FAIL: $*" >&2
  show_outputs
  exit 1
}

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$server_pid/status" 2>/dev/null; }

start_server max_riders=16 warmup=3 start_delay=5
pids+=("$server_pid")
"$brrace" --connect "127.0.0.1:$port" --name Real --number 1 --limit 400 --quiet \
  >"$tmp/real.out" 2>"$tmp/real.err" &
client_pid=$!
pids+=("$client_pid")

for _ in $(seq 300); do
  grep -q '^Race [0-9]* on .*riders, gate drops' "$tmp/server.out" && break
  sleep 0.2
done
grep -q '^Race [0-9]* on .*riders, gate drops' "$tmp/server.out" || fail "no race was announced"
sleep 6  # the gate drops and the client rides

before="$(rss_kib)"
"$flood" "$port" "$datagrams" "$rate" >"$tmp/flood.out" 2>"$tmp/flood.err" &
flood_pid=$!
pids+=("$flood_pid")
peak="$before" samples=""
while kill -0 "$flood_pid" 2>/dev/null; do
  now="$(rss_kib)"
  [ -n "$now" ] || fail "the server died during the flood"
  [ "$now" -gt "$peak" ] && peak="$now"
  samples="$samples $((now / 1024))"
  sleep 1
done
wait "$flood_pid" || fail "the flood tool failed"
kill -0 "$server_pid" 2>/dev/null || fail "the server died during the flood"
after="$(rss_kib)"

wait "$client_pid" || fail "the real client ended with status $?"
# Leaving after the final results is its own doing; anything else is the server's.
grep "(Real) dropped: " "$tmp/server.out" | grep -qv "dropped: left$" &&
  fail "the server dropped the real client"
server_order >"$tmp/server.order"
grep -q '^ *1 1$' "$tmp/server.order" || fail "the real client is not first in the results"
grep -q "DNF" "$results" && fail "the results have the real client not finishing"

kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly"
pids=()
cat "$tmp/flood.out"
grep '^Ran ' "$tmp/server.out"
echo "Server resident size: $((before / 1024)) MiB before, $((peak / 1024)) MiB at most," \
  "$((after / 1024)) MiB after; samples (MiB):$samples"
[ $((peak - before)) -le $((growth * 1024)) ] ||
  fail "the server grew by $(((peak - before) / 1024)) MiB during the flood"
echo "ok: the race went on through the flood and the real client finished"
