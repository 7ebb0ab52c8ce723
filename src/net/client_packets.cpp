// The server's packets, each taken only in the states that expect it.
#include <algorithm>
#include <cstring>

#include "files/messages.h"
#include "net/client.h"
#include "net/client_parts.h"
#include "net/description.h"
#include "platform/log.h"
#include "race/session.h"

namespace br {
namespace {

constexpr size_t kMaxShownText = 1000;  // of a server's refusal

bool in_state(const NetState& n, std::initializer_list<NetClientState> states) {
  return std::find(states.begin(), states.end(), n.state) != states.end();
}

void leave(World& w) {
  w.net.state = kNetLeaving;
  w.net.leaving_sends = 0;
  w.net.last_periodic = -1e9;  // the goodbye goes out at the next service
}

void welcome(World& w, const ServerPacket& p) {
  NetState& n = w.net;
  if (p.protocol != kServerProtocol) {
    show_message("Server version does not match client version\n");
    leave(w);
    return;
  }
  n.id = p.id;
  n.key = p.key;
  n.state = kNetSendingInfo;
  n.last_periodic = -1e9;
}

void race_info(World& w, const ServerPacket& p) {
  NetState& n = w.net;
  if (n.race != 0 && p.race != n.race) return;
  const std::vector<std::string>& dirs = w.track.list.dirs;
  if (std::find(dirs.begin(), dirs.end(), p.text) == dirs.end()) {
    show_message("Can't find track '%.150s'\n", printable_text(p.text, 150).c_str());
    leave(w);
    return;
  }
  n.race = p.race;
  n.duration = std::max(p.duration, 0);
  n.laps = std::max(p.laps, 0);
  n.start_step = p.start_step;
  n.digest = p.digest;
  n.track = p.text;
  n.lineup.fill(0);
  n.highest_rider = kNoRiderSlot;
  for (RiderSlot& slot : w.slots) slot.identity = RiderIdentity{};
  clear_received_states(w);
  n.state = kNetTrackKnown;
  n.last_periodic = -1e9;
}

void rider_description(World& w, const ServerPacket& p, double now) {
  NetState& n = w.net;
  if (p.race != n.race || p.slot >= kNoRiderSlot) return;
  if (n.highest_rider != kNoRiderSlot && p.slot <= n.highest_rider) return;
  int s = static_cast<int>(p.slot);
  if (std::optional<RiderIdentity> r = parse_description(p.text)) {
    w.slots[static_cast<size_t>(s)].identity = *r;
    n.lineup[static_cast<size_t>(s)] = kLineupServer;
  } else {
    // Acknowledged all the same, or the list would stall on it; the slot stays empty.
    kota::log_printf("Rider %d has a description that can't be used\n", s);
  }
  n.highest_rider = p.slot;
  n.state = kNetReceivingRiders;
  ClientPacket ack = client_packet(w, kPacketRiderAck);
  ack.slot = p.slot;
  send_to_server(w, ack);
  n.last_periodic = now;  // acknowledged now; the periodic one follows in a second
}

void your_rider(World& w, const ServerPacket& p, double now) {
  NetState& n = w.net;
  if (p.race != n.race || p.slot > kNoRiderSlot) return;
  n.race_slot = p.slot;
  w.local_slot = p.slot < kNoRiderSlot ? static_cast<int>(p.slot) : -1;
  Lineup lineup{};
  std::copy(n.lineup.begin(), n.lineup.end(), lineup.begin());
  if (w.local_slot >= 0) {
    RiderSlot& own = w.slots[static_cast<size_t>(w.local_slot)];
    std::optional<RiderIdentity> r = parse_description(p.text);
    own.identity = r ? *r : own_identity(w);
    lineup[static_cast<size_t>(w.local_slot)] = kLineupHuman;
  }
  w.race_start_frame = n.start_step;
  SessionStart start;
  start.lineup = &lineup;
  start.network = true;
  start.track = n.track;
  start.record = w.settings.record.index == 1;
  start.duration_frames = n.duration;
  start.laps = n.laps;
  start.skill = w.settings.skill.index;
  n.state = kNetWaitingForClock;
  n.clock_set = false;
  n.timing_sent = 0;
  n.last_periodic = now;
  if (!start_session(w, start)) {
    show_message("Can't load track '%.150s'\n", n.track.c_str());
    leave(w);
    return;
  }
  if (std::memcmp(w.track.digest.data(), n.digest.data(), n.digest.size()) != 0) {
    show_message("Client track modified - does not match server's track (%.100s)\n",
                 n.track.c_str());
    leave(w);
    return;
  }
  send_to_server(w, client_packet(w, kPacketReady));
}

void clock_and_ping(World& w, int32_t server_step, int32_t echo) {
  NetState& n = w.net;
  if (!n.clock_set) {
    w.frame = server_step;
    n.clock_set = true;
    n.latest_server_step = server_step;
    w.last_server_frame = server_step;
  } else if (server_step > n.latest_server_step) {
    n.latest_server_step = server_step;
    w.last_server_frame = server_step;
  }
  if (echo != 0) n.ping = w.frame - echo;
}

void clock(World& w, const ServerPacket& p) {
  NetState& n = w.net;
  if (p.race != n.race) return;
  clock_and_ping(w, p.server_step, p.echo);
  if (n.state == kNetWaitingForClock) {
    n.state = kNetRacing;
    show_message("%s", race_length_text(n.duration, n.laps).c_str());
  }
}

void states(World& w, const ServerPacket& p) {
  NetState& n = w.net;
  if (p.race != n.race) return;
  clock_and_ping(w, p.server_step, p.echo);
  for (const StateEntry& e : p.entries) {
    if (e.slot >= kRiderSlots) continue;
    RiderSlot& slot = w.slots[e.slot];
    if (!slot.bike || slot.control != kControlPlayedBack) continue;
    if (e.step <= slot.last_server_frame) continue;
    slot.last_server_frame = e.step;
    n.rider_ping[e.slot] = e.ping;
    store_received_state(w, e.slot, e.snapshot, e.step);
  }
  if (p.truncated) show_message("State packet too small");
}

void new_race(World& w, const ServerPacket& p) {
  NetState& n = w.net;
  if (p.race <= n.race) return;
  n.race = p.race;
  n.state = kNetNewRace;
  n.last_periodic = -1e9;
}

void reliable(World& w, const ServerPacket& p) {
  NetState& n = w.net;
  ClientPacket ack = client_packet(w, kPacketAck);
  ack.sequence = p.sequence;
  send_to_server(w, ack);
  ReliableMessage m{p.sequence, p.message, p.text};
  for (const ReliableMessage& ready : reliable_received(n.inbox, std::move(m))) {
    handle_server_message(w, ready.type, ready.payload);
    if (!n.socket.is_open()) return;
  }
}

}  // namespace

void handle_server_packet(World& w, const ServerPacket& p, double now) {
  NetState& n = w.net;
  bool has_id = n.id != kNoClientId;
  switch (p.type) {
    case kPacketFull:
      show_message("Server is full\n");
      break;
    case kPacketWelcome:
      if (in_state(n, {kNetContacting})) welcome(w, p);
      break;
    case kPacketRaceInfo:
      if (has_id && in_state(n, {kNetSendingInfo, kNetNewRace})) race_info(w, p);
      break;
    case kPacketRiderDescription:
      if (in_state(n, {kNetTrackKnown, kNetReceivingRiders})) rider_description(w, p, now);
      break;
    case kPacketYourRider:
      if (in_state(n, {kNetTrackKnown, kNetReceivingRiders})) your_rider(w, p, now);
      break;
    case kPacketClock:
      if (in_state(n, {kNetWaitingForClock, kNetRacing})) clock(w, p);
      break;
    case kPacketStates:
      if (in_state(n, {kNetWaitingForClock, kNetRacing})) states(w, p);
      break;
    case kPacketRacePosition:
      // The place on the grid of the races to come; none (160) while warming up.
      if (in_state(n, {kNetWaitingForClock, kNetRacing}) && p.value >= 0 &&
          p.value <= kNoRacePosition) {
        w.session.race_position = p.value;
      }
      break;
    case kPacketNewRace:
      if (in_state(n, {kNetWaitingForClock, kNetRacing})) new_race(w, p);
      break;
    case kPacketDisconnected:
      show_message("Disconnected\n");
      net_reset(w);
      break;
    case kPacketRefused:
      show_message("%s", printable_text(p.text, kMaxShownText).c_str());
      leave(w);
      break;
    case kPacketReliable:
      reliable(w, p);
      break;
    case kPacketAck:
      reliable_acknowledged(n.outbox, p.sequence);
      break;
    default:
      break;
  }
}

}  // namespace br
