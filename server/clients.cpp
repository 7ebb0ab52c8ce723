// Riders joining and leaving: ids, keys and slots, the checks of password and version, the
// handshake packets, and the states riders send while they race. Nothing a client says is
// taken on trust: its id must name a rider who joined from the same address with the same
// key, and every slot and race it names is checked against what it was told.
#include <algorithm>
#include <cstdio>

#include "messages.h"
#include "net/description.h"
#include "race.h"
#include "server.h"

namespace brserver {
namespace {

constexpr const char* kVersionRefusal = "Client version does not match server version";
constexpr const char* kPasswordRefusal = "Wrong password";
constexpr const char* kNoPasswordRefusal = "This server needs a password";
constexpr const char* kDescriptionRefusal = "Your rider's description can't be used";

void refuse_address(Server& s, const kota::UdpAddress& to, const char* why) {
  br::ServerPacket p;
  p.type = br::kPacketRefused;
  p.text = why;
  send_raw(s, to, br::write_server_packet(p));
}

int used_clients(const Server& s) {
  return static_cast<int>(std::count_if(s.clients.begin(), s.clients.end(),
                                        [](const Client& c) { return c.used; }));
}

void welcome(Server& s, const Client& c) {
  br::ServerPacket p;
  p.type = br::kPacketWelcome;
  p.id = static_cast<uint32_t>(slot_of(s, c));
  p.key = c.key;
  p.protocol = br::kServerProtocol;
  send_packet(s, c, p);
}

void hello(Server& s, const kota::UdpAddress& from, const br::ClientPacket& p, double now) {
  if (p.protocol != br::kClientProtocol) {
    refuse_address(s, from, kVersionRefusal);
    return;
  }
  if (!s.config.password.empty() && !p.password) {
    refuse_address(s, from, kNoPasswordRefusal);
    return;
  }
  // A hello repeated because the welcome was lost gets the same id and key.
  for (Client& c : s.clients) {
    if (!c.used || !(c.address == from)) continue;
    if (c.stage == Stage::kWelcomed) {
      c.last_heard = now;
      welcome(s, c);
      return;
    }
    // The same address starting over: the old connection is gone.
    drop_client(s, c, "started over", false);
    break;
  }
  if (used_clients(s) >= s.config.max_riders) {
    br::ServerPacket full;
    full.type = br::kPacketFull;
    send_raw(s, from, br::write_server_packet(full));
    return;
  }
  auto free = std::find_if(s.clients.begin(), s.clients.end(),
                           [](const Client& c) { return !c.used; });
  if (free == s.clients.end()) return;
  Client& c = *free;
  c = Client{};
  c.used = true;
  c.address = from;
  do {
    c.key = s.keys();
  } while (c.key == 0);
  c.stage = Stage::kWelcomed;
  c.joined = c.last_heard = now;
  c.relayed.assign(kSlots, INT32_MIN);
  server_log("Rider %d joining from %s", slot_of(s, c), kota::udp_address_text(from).c_str());
  welcome(s, c);
}

// What the server has to say about the riding itself, once per rider.
void send_server_rules(Server& s, Client& c) {
  char text[64];
  if (!s.config.arcade) queue_message(s, c, br::kMessageCommand, "no_arcade");
  std::snprintf(text, sizeof text, "off_course_bias %g", s.config.off_course_bias);
  queue_message(s, c, br::kMessageCommand, text);
  std::snprintf(text, sizeof text, "off_course_scale %g", s.config.off_course_scale);
  queue_message(s, c, br::kMessageCommand, text);
  if (!s.config.knockout.empty()) {
    std::string knockout = "knockout";
    for (int k : s.config.knockout) knockout += " " + std::to_string(k);
    queue_message(s, c, br::kMessageCommand, knockout);
  }
}

void client_info(Server& s, Client& c, const br::ClientPacket& p, double now) {
  if (c.stage == Stage::kTrackSent) {
    send_race_info(s, c, now);  // the race information was lost
    return;
  }
  if (c.stage != Stage::kWelcomed) return;
  if (!s.config.password.empty() && p.proof != br::password_proof(s.config.password, c.key)) {
    drop_client(s, c, kPasswordRefusal, true);
    return;
  }
  std::optional<br::RiderIdentity> r = br::parse_description(p.text);
  if (!r) {
    drop_client(s, c, kDescriptionRefusal, true);
    return;
  }
  c.identity = *r;
  c.description = br::description_text(*r);
  server_log("Rider %d is #%s %s on %s", slot_of(s, c), r->number.c_str(), r->name.c_str(),
             r->bike_model.c_str());
  c.race += 1;
  send_race_info(s, c, now);
  send_server_rules(s, c);
}

void track_ack(Server& s, Client& c, const br::ClientPacket& p, double now) {
  if (p.race != c.race) return;
  if (c.stage == Stage::kTrackSent) {
    // The riders it will see: everyone else who has told us who they are.
    c.to_describe.clear();
    for (const Client& other : s.clients) {
      if (other.used && &other != &c && !other.description.empty()) {
        c.to_describe.push_back(slot_of(s, other));
      }
    }
    c.described = br::kNoRiderSlot;
    c.known.reset();
    c.stage = Stage::kRiders;
  }
  if (c.stage == Stage::kRiders || c.stage == Stage::kStarting) send_next_rider(s, c, now);
}

void rider_ack(Server& s, Client& c, const br::ClientPacket& p, double now) {
  if (p.race != c.race || (c.stage != Stage::kRiders && c.stage != Stage::kStarting)) return;
  // Only a rider it was told of, and no going back.
  bool told = std::find(c.to_describe.begin(), c.to_describe.end(),
                        static_cast<int>(p.slot)) != c.to_describe.end();
  bool forward = c.described == br::kNoRiderSlot || p.slot > c.described;
  if (told && forward) {
    c.described = p.slot;
    c.known.set(p.slot);
  }
  send_next_rider(s, c, now);
}

void ready(Server& s, Client& c, const br::ClientPacket& p, double now) {
  if (p.race != c.race) return;
  if (c.stage == Stage::kStarting) c.stage = Stage::kRacing;
  if (c.stage != Stage::kRacing) return;
  rider_ready(s, c, now);
  send_clock(s, c, now);
}

void state(Server& s, Client& c, const br::ClientPacket& p, double now) {
  if (p.race != c.race) return;
  if (c.stage == Stage::kStarting) c.stage = Stage::kRacing;  // its ready was lost
  if (c.stage != Stage::kRacing) return;
  int32_t local = static_cast<int32_t>(p.local_step);
  if (c.has_state && local <= c.state_step) return;  // late or repeated
  c.has_state = true;
  c.snapshot = p.snapshot;
  c.state_step = local;
  c.echo = local;
  int64_t ping = int64_t{s.step} - static_cast<int32_t>(p.server_step);
  c.ping = static_cast<uint16_t>(std::clamp<int64_t>(ping, 0, UINT16_MAX));
  rider_heard(s, c, now);
}

void restart_ack(Server& s, Client& c, const br::ClientPacket& p, double now) {
  if (p.race != c.race) return;
  if (c.stage == Stage::kRestarting || c.stage == Stage::kTrackSent) send_race_info(s, c, now);
}

void reliable(Server& s, Client& c, const br::ClientPacket& p, double now) {
  br::ServerPacket ack;
  ack.type = br::kPacketAck;
  ack.sequence = p.sequence;
  send_packet(s, c, ack);
  br::ReliableMessage m{p.sequence, p.message, p.text};
  int slot = slot_of(s, c);
  for (br::ReliableMessage& ready : br::reliable_received(c.inbox, std::move(m))) {
    handle_client_message(s, c, ready, now);
    if (!s.clients[static_cast<size_t>(slot)].used) return;  // the message ended it
  }
}

}  // namespace

void server_datagram(Server& s, const kota::UdpAddress& from, std::span<const uint8_t> d,
                     double now) {
  std::optional<br::ClientPacket> p = br::read_client_packet(d);
  if (!p) {
    ++s.refused_in;
    return;
  }
  if (p->type == br::kPacketHello) {
    hello(s, from, *p, now);
    return;
  }
  // Someone else's id, a stale key or another address: not this rider's packet.
  if (p->id >= static_cast<uint32_t>(kSlots)) {
    ++s.refused_in;
    return;
  }
  Client& c = s.clients[p->id];
  if (!c.used || c.key != p->key || !(c.address == from)) {
    ++s.refused_in;
    return;
  }
  c.last_heard = now;
  switch (p->type) {
    case br::kPacketClientInfo:
      client_info(s, c, *p, now);
      break;
    case br::kPacketTrackAck:
      track_ack(s, c, *p, now);
      break;
    case br::kPacketRiderAck:
      rider_ack(s, c, *p, now);
      break;
    case br::kPacketReady:
      ready(s, c, *p, now);
      break;
    case br::kPacketState:
      state(s, c, *p, now);
      break;
    case br::kPacketRestartRequest:
      restart_asked(s, c);
      break;
    case br::kPacketRestartAck:
      restart_ack(s, c, *p, now);
      break;
    case br::kPacketDisconnect: {
      br::ServerPacket bye;
      bye.type = br::kPacketDisconnected;
      send_packet(s, c, bye);
      drop_client(s, c, "left", false);
      break;
    }
    case br::kPacketReliable:
      reliable(s, c, *p, now);
      break;
    case br::kPacketAck:
      br::reliable_acknowledged(c.outbox, p->sequence);
      break;
    default:
      break;
  }
}

}  // namespace brserver
