# Sourced by the scripts that race headless clients (and the game) on bermrider-server, on
# 127.0.0.1. They set $tmp (a scratch folder, also the home of everybody's data) and $server,
# and define fail().

# Starts the server on a free port with the given configuration lines (one lap of rabbithill
# with arcade physics allowed, unless they say otherwise: the pilot needs it to ride a lap in
# about two minutes) and sets $server_pid and $port.
#   start_server KEY=VALUE...
start_server() {
  {
    printf 'port=0\naddress=127.0.0.1\ntracks=rabbithill\nlaps=1\narcade=1\npause=60\n'
    printf '%s\n' "$@"
  } >"$tmp/server.conf"
  "$server" --config "$tmp/server.conf" </dev/null >"$tmp/server.out" 2>"$tmp/server.err" &
  server_pid=$!
  port=""
  for _ in $(seq 100); do
    port="$(sed -n 's/^Listening on UDP port \([0-9]*\)$/\1/p' "$tmp/server.out")"
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || fail "the server did not start"
}

# A client's final standings as "position number" lines.
#   client_order BRRACE-OUTPUT
client_order() {
  awk '/^pos rider/ {on=1; next} on && /^ *[0-9]+ / {print $1, $2} /^time / {on=0}' "$1"
}

# The server's results file of its first race with results (the warm-up counts as its first
# race, so the announced one is the next), as "position number" lines; sets $results.
server_order() {
  results=""
  for _ in $(seq 50); do
    results="$(sed -n 's/^Race [0-9]* on .*; results in \(.*\)$/\1/p' "$tmp/server.out" | head -1)"
    [ -n "$results" ] && break
    sleep 0.2
  done
  [ -n "$results" ] || fail "the server wrote no results"
  results="$tmp/home/Bermrider/$results"
  awk -F'|' 'NR > 2 {gsub(/ /, "", $1); print NR - 2, $1}' "$results" | tr -d '\r'
}

# How far each rider of brrace's --positions lines got from where it was first seen, in
# whole feet: the least of them, or -1 when not exactly RIDERS riders were seen.
#   least_travel BRRACE-OUTPUT RIDERS
least_travel() {
  awk -v riders="$2" '/^position / {s = $4; x = $5; z = $7
      if (!(s in x0)) { x0[s] = x; z0[s] = z }
      d = sqrt((x - x0[s]) ^ 2 + (z - z0[s]) ^ 2); if (d > far[s]) far[s] = d }
    END {least = -1; n = 0
      for (s in far) { n++; if (least < 0 || far[s] < least) least = far[s] }
      print (n == riders ? int(least) : -1)}' "$1"
}

# The scripts' own output for a failure: everything but the position lines.
show_outputs() {
  for f in "$tmp"/*.out "$tmp"/*.err; do
    [ -s "$f" ] && grep -v '^position ' "$f" | sed "s|^|  $(basename "$f"): |" >&2
  done
}
