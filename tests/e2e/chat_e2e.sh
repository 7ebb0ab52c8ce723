#!/usr/bin/env bash
# Chat over the network on 127.0.0.1: bermrider-server, a headless client (brrace --connect)
# and the real game joined with --connect. A line typed into the game's chat line reaches the
# server and the other client; a second line typed at once is refused as spam and reaches
# nobody; a file sent from the outgoing folder is stored by the server.
#   chat_e2e.sh BERMRIDER BERMRIDER-SERVER BRRACE
set -u
game="$1" server="$2" brrace="$3"

source "$(dirname "$0")/game_run.sh"
need_display 1280x1024 "$0" "$game" "$server" "$brrace"

make_scratch
server_pid="" bert_pid=""
trap 'for p in $game_pid $bert_pid $server_pid; do kill "$p" 2>/dev/null; done; rm -rf "$tmp"' EXIT

# The server keeps its uploads in a home of its own.
export XDG_DATA_HOME="$tmp/server-home"
source "$(dirname "$0")/../server/net_race_run.sh"
start_server max_riders=2 warmup=120 upload_max_kb=64

XDG_DATA_HOME="$tmp/bert-home" KOTA_LOGFILE="$tmp/bert.log" \
  "$brrace" --connect "127.0.0.1:$port" --name Bert --number 22 --limit 50 \
  >"$tmp/bert.out" 2>"$tmp/bert.err" &
bert_pid=$!

home="$tmp/home/Bermrider"
mkdir -p "$home/outgoing"
printf 'video_mode=Windowed\nxres=640\nyres=480\nname=Anna\nnumber=11\n' >"$home/config"
printf 'lap notes\n' >"$home/outgoing/notes.txt"
start_game_with_keyboard --connect "127.0.0.1:$port"

# Both riders are through the handshake once the server knows who they are.
for who in "#22 Bert" "#11 Anna"; do
  for _ in $(seq 600); do
    grep -q "^Rider [0-9]* is $who" "$tmp/server.out" && break
    sleep 0.1
  done
  grep -q "^Rider [0-9]* is $who" "$tmp/server.out" || fail "$who never joined"
done
sleep 1

# Opens the chat line with its key (t), types the text and presses Enter.
say() {
  keys t
  xdotool type --delay 30 "$1" || fail "xdotool could not type"
  keys Return
}
say "hello from the game"
say "too soon"
sleep 3
say "/sendfile notes.txt"
for _ in $(seq 100); do
  grep -q "sent notes.txt" "$tmp/server.out" && break
  sleep 0.1
done

keys Escape Up Return
sleep 1
keys q
await_game_end 30 "the game did not quit"
wait "$bert_pid"
bert_pid=""

grep -q "#11 Anna: hello from the game" "$tmp/server.out" || fail "the server never heard the chat"
grep -q "too soon" "$tmp/server.out" && fail "the server heard a line sent too soon"
grep -q "Anna: hello from the game" "$tmp/bert.log" || fail "the other client never saw the chat"
grep -q "No one likes a spammer" "$tmp/log" || fail "the game did not refuse the second line"
grep -q "Sending file" "$tmp/log" || fail "the game did not send the file"
grep -q "sent notes.txt" "$tmp/server.out" || fail "the server did not store the file"
echo "ok: chat reached the other client, spam refused, file sent"
