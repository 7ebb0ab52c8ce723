#include "net/client.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "files/messages.h"
#include "net/client_parts.h"
#include "net/description.h"
#include "platform/log.h"

namespace br {
namespace {

constexpr size_t kMaxReceivesPerService = 4096;  // a flood cannot hold the game up for long
// A periodic packet went out outside a service, which has no clock: the next service starts
// the second from its own time.
constexpr double kSentJustNow = std::numeric_limits<double>::quiet_NaN();

void periodic_send(World& w) {
  NetState& n = w.net;
  switch (n.state) {
    case kNetContacting: {
      ClientPacket p;
      p.type = kPacketHello;
      p.password = !n.password.empty();
      p.protocol = kClientProtocol;
      send_to_server(w, p);
      show_message("Contacting server\n");
      break;
    }
    case kNetSendingInfo: {
      ClientPacket p = client_packet(w, kPacketClientInfo);
      p.proof = password_proof(n.password, n.key);
      p.text = description_text(own_identity(w));
      n.sent_description = p.text;
      send_to_server(w, p);
      show_message("Sending client info\n");
      break;
    }
    case kNetTrackKnown:
      send_to_server(w, client_packet(w, kPacketTrackAck));
      show_message("Sending track acknowledgment\n");
      break;
    case kNetReceivingRiders: {
      ClientPacket p = client_packet(w, kPacketRiderAck);
      p.slot = n.highest_rider;
      send_to_server(w, p);
      show_message("Sending bike acknowledgment %d\n", static_cast<int>(n.highest_rider));
      break;
    }
    case kNetWaitingForClock:
      send_to_server(w, client_packet(w, kPacketReady));
      break;
    case kNetNewRace:
      send_to_server(w, client_packet(w, kPacketRestartAck));
      show_message("Sending restart\n");
      break;
    case kNetLeaving:
      // A server that has gone does not answer; the client stops asking after a few tries.
      if (n.leaving_sends >= kLeavingSendsMax) {
        net_reset(w);
        return;
      }
      ++n.leaving_sends;
      send_to_server(w, client_packet(w, kPacketDisconnect));
      show_message("Disconnecting\n");
      break;
    case kNetRacing:
      break;
  }
}

void send_own_state(World& w) {
  NetState& n = w.net;
  if (w.frame % kStateSendEverySteps == 0 && n.race_slot < kNoRiderSlot) {
    ClientPacket p = client_packet(w, kPacketState);
    p.server_step = static_cast<uint32_t>(n.latest_server_step);
    p.local_step = static_cast<uint32_t>(w.frame);
    if (pack_own_state(w, p.snapshot)) send_to_server(w, p);
  }
}

void receive_all(World& w, double now) {
  NetState& n = w.net;
  uint8_t buffer[kMaxDatagram];
  for (size_t i = 0; i < kMaxReceivesPerService; ++i) {
    kota::UdpAddress from;
    std::optional<size_t> got = n.socket.receive(buffer, sizeof buffer, from);
    if (!got) break;
    Datagram d;
    d.bytes.assign(buffer, buffer + *got);
    d.from = from;
    d.arrived = now;
    bad_network_arrive(n.bad, std::move(d));
  }
  while (std::optional<Datagram> d = bad_network_deliver(n.bad, now)) {
    // Only the server speaks to this socket; anything else is somebody else's mistake.
    if (!(d->from == n.server)) continue;
    std::optional<ServerPacket> p = read_server_packet(d->bytes);
    if (p) handle_server_packet(w, *p, now);
    if (!n.socket.is_open()) return;  // the packet ended the connection
  }
}

}  // namespace

ClientPacket client_packet(const World& w, uint8_t type) {
  ClientPacket p;
  p.type = type;
  p.id = w.net.id;
  p.key = w.net.key;
  p.race = w.net.race;
  return p;
}

bool send_to_server(World& w, const ClientPacket& p) {
  Bytes b = write_client_packet(p);
  std::string error;
  if (w.net.socket.send_to(w.net.server, b.data(), b.size(), error)) return true;
  show_message("sendto error (%.100s)", error.c_str());
  return false;
}

void queue_to_server(World& w, uint8_t type, std::string payload) {
  if (payload.size() > kMaxReliablePayload) payload.resize(kMaxReliablePayload);
  queue_reliable(w.net.outbox, type, std::move(payload));
}

std::optional<ServerAddress> split_server_address(const std::string& text) {
  ServerAddress a;
  size_t colon = text.rfind(':');
  if (colon == std::string::npos) {
    a.host = text;
    return a;
  }
  a.host = text.substr(0, colon);
  std::string port = text.substr(colon + 1);
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(port.c_str(), &end, 10);
  if (port.empty() || *end || errno || value < 1 || value > 65535) return std::nullopt;
  a.port = static_cast<uint16_t>(value);
  return a;
}

RiderIdentity own_identity(const World& w) {
  const BikeSetup& s = w.settings.setup;
  RiderIdentity r;
  r.bike_model = s.bike.text();
  r.rider_texture = s.rider_texture.text();
  r.bike_texture = s.bike_texture.text();
  r.wheel_texture = s.wheel_texture.text();
  r.head_texture = s.head_texture.text();
  r.number = s.number.value.empty() ? "999" : s.number.value;
  r.name = s.name.value;
  return r;
}

bool net_connect(World& w, const std::string& address, const std::string& password) {
  if (w.net.socket.is_open()) net_shutdown(w);
  // The other riders must collide with the bikes everybody else sees.
  if (!w.stock_shapes) {
    show_message("Fixed file mismatch\n");
    return false;
  }
  std::optional<ServerAddress> a = split_server_address(address);
  std::optional<kota::UdpAddress> resolved;
  if (a) resolved = kota::udp_resolve(a->host, a->port);
  if (!resolved) {
    show_message("Can't resolve address\n");
    return false;
  }
  NetState& n = w.net;
  std::string error;
  if (!n.socket.open(0, 0, error)) {
    show_message("Can't create socket\n");
    kota::log_printf("socket: %s\n", error.c_str());
    return false;
  }
  w.settings.server_name.value = address.substr(0, w.settings.server_name.max_length);
  n.server = *resolved;
  n.password = password;
  n.state = kNetContacting;
  n.bad.lag = std::clamp(static_cast<double>(w.options.fake_lag_seconds), 0.0, kMaxFakeLag);
  n.bad.loss = std::clamp(w.options.fake_loss_percent, 0, 100);
  w.online = true;
  w.connected = true;
  kota::log_printf("Connecting to %s (%s)\n", address.c_str(),
                   kota::udp_address_text(n.server).c_str());
  periodic_send(w);
  n.last_periodic = kSentJustNow;
  return true;
}

void net_reset(World& w) {
  NetState& n = w.net;
  n.socket.close();
  // The knockout table stays as the last server set it.
  NetState fresh;
  fresh.bad.dice = n.bad.dice;
  n = std::move(fresh);
  w.online = false;
  w.connected = false;
  w.local_slot = -1;
  w.last_server_frame = 0;
  w.session.race_position = kNoRacePosition;
}

void net_disconnect(World& w) {
  NetState& n = w.net;
  if (!n.socket.is_open()) return;
  if (n.state == kNetLeaving) {
    net_reset(w);
    return;
  }
  n.state = kNetLeaving;
  n.leaving_sends = 0;
  periodic_send(w);
  n.last_periodic = kSentJustNow;
}

void net_shutdown(World& w) {
  NetState& n = w.net;
  if (!n.socket.is_open()) return;
  if (send_to_server(w, client_packet(w, kPacketDisconnect))) show_message("Disconnecting\n");
  net_reset(w);
}

bool net_request_restart(World& w) {
  NetState& n = w.net;
  if (!n.socket.is_open() || n.state != kNetRacing) return false;
  send_to_server(w, client_packet(w, kPacketRestartRequest));
  show_message("Requesting restart\n");
  return true;
}

std::string race_length_text(int32_t duration_steps, int laps) {
  int minutes = static_cast<int>(std::lround(duration_steps * kSimStep / 60));
  char text[64];
  if (duration_steps == 0) {
    std::snprintf(text, sizeof text, "%d laps", laps);
  } else if (laps == 0) {
    std::snprintf(text, sizeof text, "%d minutes", minutes);
  } else {
    std::snprintf(text, sizeof text, "%d minutes + %d laps", minutes, laps);
  }
  return text;
}

void net_service(World& w, double now) {
  NetState& n = w.net;
  if (!n.socket.is_open()) return;
  receive_all(w, now);
  if (!n.socket.is_open()) return;
  upload_service(w, now);
  // A record the last step made goes out in this pass, not the next.
  if (n.state == kNetRacing) queue_racing_messages(w);
  if (const ReliableMessage* m = reliable_due(n.outbox, now)) {
    ClientPacket p = client_packet(w, kPacketReliable);
    p.sequence = m->sequence;
    p.message = m->type;
    p.text = m->payload;
    send_to_server(w, p);
  }
  // The server's clock runs on between its packets.
  if (n.clock_set) w.last_server_frame += 1;
  if (n.state == kNetRacing) {
    send_own_state(w);
    return;
  }
  if (std::isnan(n.last_periodic)) n.last_periodic = now;
  if (now - n.last_periodic < kPeriodicSendSeconds) return;
  n.last_periodic = now;
  periodic_send(w);
}

}  // namespace br
