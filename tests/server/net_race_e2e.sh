#!/usr/bin/env bash
# A race over the network on 127.0.0.1: bermrider-server and two headless clients whose
# scripted pilots ride one lap. Both clients see the other ride, both finish, and the
# standings each client ends with agree with each other and with the server's results file.
# The pilot needs arcade physics to ride a lap in about two minutes; without it the lap
# takes several times as long, so the server allows it.
#   net_race_e2e.sh BERMRIDER-SERVER BRRACE [TRACK]
set -u
server="$1" brrace="$2" track="${3:-rabbithill}"
tmp="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"

fail() {
  echo "FAIL: $*" >&2
  for f in "$tmp"/*.out "$tmp"/*.err; do
    [ -s "$f" ] && grep -v '^position ' "$f" | sed "s|^|  $(basename "$f"): |" >&2
  done
  exit 1
}

cat >"$tmp/server.conf" <<CONF
port=0
address=127.0.0.1
tracks=$track
laps=1
max_riders=2
warmup=60
arcade=1
start_delay=3
pause=60
CONF
"$server" --config "$tmp/server.conf" </dev/null >"$tmp/server.out" 2>"$tmp/server.err" &
server_pid=$!
pids+=("$server_pid")
port=""
for _ in $(seq 100); do
  port="$(sed -n 's/^Listening on UDP port \([0-9]*\)$/\1/p' "$tmp/server.out")"
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "the server did not start"

for rider in "Anna 11" "Bert 22"; do
  set -- $rider
  "$brrace" --connect "127.0.0.1:$port" --name "$1" --number "$2" --limit 300 --positions \
    >"$tmp/$1.out" 2>"$tmp/$1.err" &
  pids+=("$!")
done
for p in "${pids[@]:1}"; do
  wait "$p" || fail "a client ended with status $?"
done

# Each client's standings: "pos number" per row; both riders, both finished.
for name in Anna Bert; do
  awk '/^pos rider/ {on=1; next} on && /^ *[0-9]+ / {print $1, $2} /^time / {on=0}' \
    "$tmp/$name.out" >"$tmp/$name.order"
  [ "$(wc -l <"$tmp/$name.order")" -eq 2 ] || fail "$name's standings do not hold both riders"
  grep -q "not finished" "$tmp/$name.out" && fail "$name's standings have a rider not finished"
done
other() { [ "$1" = Anna ] && echo 22 || echo 11; }
for name in Anna Bert; do
  grep -q "^saw rider $(other "$name")$" "$tmp/$name.out" || fail "$name never saw the other ride"
  # Both slots, the own and the other's, travel well away from where they were first seen.
  moved="$(awk '/^position / {s = $4; x = $5; z = $7
      if (!(s in x0)) { x0[s] = x; z0[s] = z }
      d = (x - x0[s]) ^ 2 + (z - z0[s]) ^ 2; if (d > far[s]) far[s] = d }
    END {n = 0; for (s in far) if (far[s] > 200 ^ 2) n++; print n}' "$tmp/$name.out")"
  [ "$moved" -eq 2 ] || fail "$name saw $moved riders move 200 ft, not 2"
done
cmp -s "$tmp/Anna.order" "$tmp/Bert.order" || fail "the clients' final orders differ"

# The server's results file of the same race: rider numbers in the same order.
# The warm-up counts as the server's first race; the one it announces is the next.
results=""
for _ in $(seq 50); do
  results="$(sed -n 's/^Race [0-9]* on .*; results in \(.*\)$/\1/p' "$tmp/server.out" | head -1)"
  [ -n "$results" ] && break
  sleep 0.2
done
[ -n "$results" ] || fail "the server wrote no results"
results="$XDG_DATA_HOME/Bermrider/$results"
awk -F'|' 'NR > 2 {gsub(/ /, "", $1); print NR - 2, $1}' "$results" | tr -d '\r' >"$tmp/server.order"
cmp -s "$tmp/Anna.order" "$tmp/server.order" || {
  sed 's/^/  server: /' "$tmp/server.order" >&2
  fail "the server's results differ from the clients'"
}
grep -q "DNF" "$results" && fail "the server's results have a rider who did not finish"

kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly"
pids=()
echo "ok: $(tr '\n' ' ' <"$tmp/Anna.order")"
