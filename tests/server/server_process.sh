#!/usr/bin/env bash
# The real program as a service runs it: no console input at all (standard input at its end
# from the start), a port the system picks, and SIGTERM to stop it. It must keep serving
# without its console and stop cleanly on the signal; bad options end with status 1.
#   server_process.sh BERMRIDER-SERVER PACKAGED-CONFIG
set -u
server="$1" packaged="$2"
tmp="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
export XDG_DATA_HOME="$tmp/home"

. "$(dirname "$0")/../support/e2e_fail.sh"

# The packaged example, as shipped, reads without a complaint.
sed 's/^port=.*/port=0/' "$packaged" >"$tmp/server.conf"
"$server" --config "$tmp/server.conf" </dev/null >"$tmp/out" 2>"$tmp/err" &
pid=$!
for _ in $(seq 50); do
  grep -q "Listening on UDP port" "$tmp/out" && break
  sleep 0.2
done
grep -q "Listening on UDP port [1-9]" "$tmp/out" || fail "the server did not start listening"
[ -s "$tmp/err" ] && fail "the packaged configuration gave complaints"
# Long enough for several passes of the console poll after the end of its input.
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the server stopped when its standard input ended"
kill -TERM "$pid"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "SIGTERM gave exit status $status"
grep -q "Stopping: telling the riders" "$tmp/out" || fail "no clean stop on SIGTERM"
grep -q "Ran .* processor" "$tmp/home/Bermrider/server-log.txt" || fail "the log has no figures"

"$server" --port 70000 >"$tmp/out" 2>"$tmp/err" </dev/null
[ $? -eq 1 ] || fail "a bad port did not end with status 1"
"$server" --colour blue >"$tmp/out" 2>"$tmp/err" </dev/null
[ $? -eq 1 ] || fail "an unknown option did not end with status 1"
"$server" --help >"$tmp/out" 2>"$tmp/err" </dev/null || fail "--help failed"
grep -q -- "--config" "$tmp/out" || fail "--help does not list --config"
echo "ok"
