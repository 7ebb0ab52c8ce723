#!/usr/bin/env bash
# A race over the network on 127.0.0.1: bermrider-server and two headless clients whose
# scripted pilots ride one lap. Both clients see the other ride, both finish, and the
# standings each client ends with agree with each other and with the server's results file.
#   net_race_e2e.sh BERMRIDER-SERVER BRRACE
set -u
server="$1" brrace="$2"
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

start_server max_riders=2 warmup=60 start_delay=3
pids+=("$server_pid")
for rider in "Anna 11" "Bert 22"; do
  set -- $rider
  "$brrace" --connect "127.0.0.1:$port" --name "$1" --number "$2" --limit 300 --positions \
    >"$tmp/$1.out" 2>"$tmp/$1.err" &
  pids+=("$!")
done
for p in "${pids[@]:1}"; do
  wait "$p" || fail "a client ended with status $?"
done

# Both riders in each client's standings, both finished, and both seen riding well away
# from where they were first seen: the other's states arrived and moved him.
other() { [ "$1" = Anna ] && echo 22 || echo 11; }
for name in Anna Bert; do
  client_order "$tmp/$name.out" >"$tmp/$name.order"
  [ "$(wc -l <"$tmp/$name.order")" -eq 2 ] || fail "$name's standings do not hold both riders"
  grep -q "not finished" "$tmp/$name.out" && fail "$name's standings have a rider not finished"
  grep -q "^saw rider $(other "$name")$" "$tmp/$name.out" || fail "$name never saw the other ride"
  travel="$(least_travel "$tmp/$name.out" 2)"
  [ "$travel" -ge 200 ] || fail "$name saw a rider get only $travel ft from the grid"
done
cmp -s "$tmp/Anna.order" "$tmp/Bert.order" || fail "the clients' final orders differ"

server_order >"$tmp/server.order"
cmp -s "$tmp/Anna.order" "$tmp/server.order" || {
  sed 's/^/  server: /' "$tmp/server.order" >&2
  fail "the server's results differ from the clients'"
}
grep -q "DNF" "$results" && fail "the server's results have a rider who did not finish"

kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly"
pids=()
echo "ok: $(tr '\n' ' ' <"$tmp/Anna.order")"
