#include "server.h"

#include <cstdarg>
#include <cstdio>

#include "files/messages.h"
#include "platform/log.h"
#include "race.h"

namespace brserver {
namespace {

// One pass takes at most this many datagrams, so a flood can't starve the clock.
constexpr int kMaxDatagramsPerPass = 4096;

}  // namespace

void server_log(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  kota::log_printf("%s\n", line);
  std::printf("%s\n", line);
  std::fflush(stdout);
}

void send_raw(Server& s, const kota::UdpAddress& to, const br::Bytes& b) {
  std::string error;
  if (!s.socket.send_to(to, b.data(), b.size(), error)) {
    kota::log_printf("sendto %s: %s\n", kota::udp_address_text(to).c_str(), error.c_str());
    return;
  }
  ++s.datagrams_out;
  s.bytes_out += b.size();
}

void send_packet(Server& s, const Client& c, const br::ServerPacket& p) {
  send_raw(s, c.address, br::write_server_packet(p));
}

void queue_message(Server& s, Client& c, uint8_t type, std::string payload) {
  if (payload.size() > br::kMaxReliablePayload) payload.resize(br::kMaxReliablePayload);
  if (c.outbox.queue.size() >= kMaxOutboxMessages) {
    drop_client(s, c, "acknowledges nothing", true);
    return;
  }
  br::queue_reliable(c.outbox, type, std::move(payload));
}

void say_to_all(Server& s, const std::string& text) {
  for (Client& c : s.clients) {
    if (c.used && c.stage != Stage::kWelcomed) queue_message(s, c, br::kMessageChat, text);
  }
}

void drop_client(Server& s, Client& c, const std::string& why, bool tell) {
  if (!c.used) return;
  int slot = slot_of(s, c);
  server_log("Rider %d (%s) dropped: %s", slot, c.identity.name.c_str(), why.c_str());
  if (tell) {
    br::ServerPacket p;
    p.type = br::kPacketRefused;
    p.text = why;
    send_packet(s, c, p);
  }
  rider_left(s, slot);
  c = Client{};
}

bool server_open(Server& s, double now, std::string& error) {
  if (!race_open(s, now, error)) return false;
  uint32_t host = 0;
  if (!s.config.address.empty()) {
    std::optional<kota::UdpAddress> a = kota::udp_resolve(s.config.address, 0);
    if (!a) {
      error = "can't resolve address '" + s.config.address + "'";
      return false;
    }
    host = a->host;
  }
  if (!s.socket.open(static_cast<uint16_t>(s.config.port), host, error)) {
    error = "can't open UDP port " + std::to_string(s.config.port) + " (" + error + ")";
    return false;
  }
  server_log("Listening on UDP port %u", s.socket.local_port());
  return true;
}

void server_close(Server& s) {
  br::ServerPacket bye;
  bye.type = br::kPacketDisconnected;
  for (Client& c : s.clients) {
    if (c.used) send_packet(s, c, bye);
  }
  s.socket.close();
}

void server_receive(Server& s, double now) {
  uint8_t buffer[br::kMaxDatagram + 1];
  for (int i = 0; i < kMaxDatagramsPerPass; ++i) {
    kota::UdpAddress from;
    bool truncated = false;
    std::optional<size_t> got = s.socket.receive(buffer, sizeof buffer, from, &truncated);
    if (!got) return;
    ++s.datagrams_in;
    s.bytes_in += *got;
    // Nothing a client sends is longer than the game's own receive buffer.
    if (truncated || *got > br::kMaxDatagram) {
      ++s.refused_in;
      continue;
    }
    server_datagram(s, from, std::span<const uint8_t>(buffer, *got), now);
  }
}

}  // namespace brserver
