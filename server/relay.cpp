// What the race thread sends on its own each pass: the riders' states in batches, the clock,
// places on the grid and new races, handshake packets that got lost, reliable messages and
// timing records; and the riders who fell silent are let go.
#include "relay.h"

#include <algorithm>

#include "race.h"

namespace brserver {
namespace {

constexpr size_t kMaxTimingBacklog = 16384;  // records waiting for one rider at most

// Handshake packets go again when the rider has not moved on after a while: it lost one.
void resend_handshake(Server& s, Client& c, double now) {
  if (now - c.last_handshake < kHandshakeResendSeconds) return;
  switch (c.stage) {
    case Stage::kTrackSent:
      send_race_info(s, c, now);
      break;
    case Stage::kRiders:
    case Stage::kStarting:
      send_next_rider(s, c, now);
      break;
    case Stage::kRestarting: {
      br::ServerPacket p;
      p.type = br::kPacketNewRace;
      p.race = c.race;
      c.last_handshake = now;
      send_packet(s, c, p);
      break;
    }
    default:
      break;
  }
}

// A rider whose race was replaced learns its place on the new grid (a few times over, as
// nothing acknowledges it), then the new race.
void move_to_current_race(Server& s, Client& c, double now) {
  if (!c.restart_pending || c.stage != Stage::kRacing) return;
  if (c.racing && c.position_sends < kPositionSendsBeforeRestart) {
    if (now - c.last_position >= kPositionEverySeconds) send_position(s, c, now);
    return;
  }
  c.restart_pending = false;
  c.race += 1;
  c.stage = Stage::kRestarting;
  c.has_state = false;
  c.last_handshake = -1e9;
  resend_handshake(s, c, now);
}

void pump_reliable(Server& s, Client& c, double now) {
  if (c.outbox.queue.empty() && !c.timing_to_relay.empty()) {
    size_t n = std::min(c.timing_to_relay.size(), static_cast<size_t>(br::kMaxTimingRecords));
    std::string payload = br::write_timing_records(
        c.race, std::span<const br::TimingRecord>(c.timing_to_relay.data(), n));
    c.timing_to_relay.erase(c.timing_to_relay.begin(), c.timing_to_relay.begin() + n);
    queue_message(s, c, br::kMessageTiming, std::move(payload));
    if (!c.used) return;
  }
  if (const br::ReliableMessage* m = br::reliable_due(c.outbox, now)) {
    br::ServerPacket p;
    p.type = br::kPacketReliable;
    p.sequence = m->sequence;
    p.message = m->type;
    p.text = m->payload;
    send_packet(s, c, p);
  }
}

bool relays_to(const Server& s, const Client& c) {
  return c.used && c.stage == Stage::kRacing && c.generation == s.race.number;
}

void relay_states(Server& s, Client& c) {
  br::ServerPacket p;
  p.type = br::kPacketStates;
  p.race = c.race;
  p.server_step = s.step;
  p.echo = c.echo;
  for (int slot = 0; slot < kSlots; ++slot) {
    const Client& from = s.clients[static_cast<size_t>(slot)];
    if (&from == &c || !c.known.test(static_cast<size_t>(slot))) continue;
    if (!relays_to(s, from) || !from.has_state) continue;
    int32_t& relayed = c.relayed[static_cast<size_t>(slot)];
    if (from.state_step <= relayed) continue;
    relayed = from.state_step;
    p.entries.push_back({static_cast<uint16_t>(slot), from.ping, from.state_step, from.snapshot});
    if (p.entries.size() == static_cast<size_t>(br::kMaxStateEntries)) {
      send_packet(s, c, p);
      p.entries.clear();
    }
  }
  if (!p.entries.empty()) send_packet(s, c, p);
}

}  // namespace

void send_position(Server& s, Client& c, double now) {
  br::ServerPacket p;
  p.type = br::kPacketRacePosition;
  p.value = c.position;
  c.last_position = now;
  ++c.position_sends;
  send_packet(s, c, p);
}

void relay_tick(Server& s, double now) {
  bool relay_now = s.step / kRelayEverySteps != s.last_relay_step / kRelayEverySteps;
  if (relay_now) s.last_relay_step = s.step;
  for (Client& c : s.clients) {
    if (!c.used) continue;
    if (now - c.last_heard > s.config.timeout) {
      br::ServerPacket bye;
      bye.type = br::kPacketDisconnected;
      send_packet(s, c, bye);
      drop_client(s, c, "fell silent", false);
      continue;
    }
    if (c.timing_to_relay.size() > kMaxTimingBacklog) {
      drop_client(s, c, "can't keep up", true);
      continue;
    }
    resend_handshake(s, c, now);
    move_to_current_race(s, c, now);
    pump_reliable(s, c, now);
    if (!c.used) continue;
    if (!relays_to(s, c)) continue;
    if (now - c.last_clock >= kClockEverySeconds) send_clock(s, c, now);
    // Racers hear their place again now and then, in case every earlier telling was lost.
    if (c.racing && !c.restart_pending && now - c.last_position >= kClockEverySeconds) {
      send_position(s, c, now);
    }
    if (relay_now) relay_states(s, c);
  }
}

}  // namespace brserver
