#!/usr/bin/env bash
# Load on the game server, on 127.0.0.1: CLIENTS headless clients, each losing LOSS percent of
# the server's packets and getting the rest LAG ms late, race one lap to final results.
# Every client must end with the same order as the server's results file. Prints the
# server's processor use and its outgoing bytes per second per client.
#   net_load.sh BERMRIDER-SERVER BRRACE [CLIENTS [LOSS [LAG [LIMIT-SECONDS]]]]
# The test suite runs a few clients; by hand: net_load.sh ... 40 20 200
set -u
server="$1" brrace="$2" clients="${3:-40}" loss="${4:-20}" lag="${5:-200}" limit="${6:-420}"
tmp="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"
source "$(dirname "$0")/net_race_run.sh"

fail() {
  echo "FAIL: $*" >&2
  for f in "$tmp"/server.out "$tmp"/*.err; do
    [ -s "$f" ] && sed "s|^|  $(basename "$f"): |" "$f" >&2
  done
  exit 1
}

start_server "max_riders=$clients" warmup=120 start_delay=5
pids+=("$server_pid")
# Nobody watches these riders: no roost, which would take a fifth of each client's processor.
# Forty clients that must keep the server's clock on two cores need that margin; a client that
# falls seconds behind is, to the others, a rider gone silent.
for i in $(seq "$clients"); do
  "$brrace" --connect "127.0.0.1:$port" --name "Load$i" --number "$i" --limit "$limit" \
    --fake-loss "$loss" --fake-lag "$lag" --roostfrequency 0 --quiet \
    >"$tmp/c$i.out" 2>"$tmp/c$i.err" &
  pids+=("$!")
done
status=0
for p in "${pids[@]:1}"; do wait "$p" || status=$?; done
[ "$status" -eq 0 ] || fail "a client ended with status $status"

server_order >"$tmp/server.order"
[ "$(wc -l <"$tmp/server.order")" -eq "$clients" ] || fail "the results do not list every rider"

for i in $(seq "$clients"); do
  client_order "$tmp/c$i.out" >"$tmp/c$i.order"
  cmp -s "$tmp/c$i.order" "$tmp/server.order" || {
    paste "$tmp/c$i.order" "$tmp/server.order" | sed 's/^/  client | server: /' >&2
    fail "client $i's order differs from the server's"
  }
done
unfinished="$(grep -c "DNF" "$results")"

kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly"
pids=()
# "Ran S s, processor P s (C%); out N datagrams, B bytes; ..."
figures="$(grep '^Ran ' "$tmp/server.out")"
[ -n "$figures" ] || fail "the server printed no figures"
echo "$figures"
echo "$figures" | awk -v n="$clients" '{
  ran = $2; bytes = $0; sub(/ bytes.*/, "", bytes); sub(/.* /, "", bytes)
  printf "%d clients, %s%% loss, %s ms lag: %.0f bytes/s out per client\n", n, loss, lag,
    bytes / ran / n }' loss="$loss" lag="$lag"
echo "ok: every client's order equals the server's ($unfinished not finished)"
