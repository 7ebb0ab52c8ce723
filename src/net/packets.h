// The packets of the game server protocol, both ways, as plain records with one writer and
// one reader each. Readers check every length before they read; a datagram that is not a
// well-formed packet of its direction reads as nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/protocol.h"

namespace br {

using Bytes = std::vector<uint8_t>;
using WireSnapshot = std::array<uint8_t, kSnapshotWireBytes>;

// A packet from a client. `type` says which fields mean something:
//   hello: password, protocol;  client info: id, key, proof, text;
//   track ack, ready, restart ack: id, key, race;  rider ack: also slot;
//   state: id, key, race, server_step, local_step, snapshot;
//   restart request, disconnect: id, key;  reliable: id, key, sequence, message, text;
//   ack: id, key, sequence.
struct ClientPacket {
  uint8_t type = 0;
  uint32_t id = kNoClientId;
  uint32_t key = 0;
  bool password = false;
  uint32_t protocol = 0;
  uint32_t proof = 0;
  uint32_t race = 0;
  uint32_t slot = 0;
  uint32_t server_step = 0;
  uint32_t local_step = 0;
  WireSnapshot snapshot{};
  uint32_t sequence = 0;
  uint8_t message = 0;
  std::string text;  // description, or a reliable message's payload
};

Bytes write_client_packet(const ClientPacket& p);
// Client packets have exact lengths (variable ones a bounded tail); anything else is refused.
std::optional<ClientPacket> read_client_packet(std::span<const uint8_t> d);

// One rider's state in a server's batch.
struct StateEntry {
  uint16_t slot = 0;
  uint16_t ping = 0;  // steps
  int32_t step = 0;   // when the snapshot was taken
  WireSnapshot snapshot{};
};

// A packet from the server. `type` says which fields mean something:
//   welcome: id, key, protocol;  race info: race, duration, laps, start_step, digest, text;
//   rider description, your rider: race, slot, text;
//   clock: race, server_step, echo;  states: also entries (and `truncated`);
//   race position: value;  new race: race;  refused: text;
//   reliable: sequence, message, text;  ack: sequence.
struct ServerPacket {
  uint8_t type = 0;
  uint32_t id = 0;
  uint32_t key = 0;
  uint32_t protocol = 0;
  uint32_t race = 0;
  int32_t duration = 0;  // steps, 0 = no time limit
  int32_t laps = 0;
  int32_t start_step = 0;
  std::array<uint8_t, 20> digest{};
  uint32_t slot = 0;
  int32_t server_step = 0;
  int32_t echo = 0;
  std::vector<StateEntry> entries;
  bool truncated = false;  // the batch announced more entries than it carried
  int32_t value = 0;
  uint32_t sequence = 0;
  uint8_t message = 0;
  std::string text;
};

// A state batch announces its count before its entries; `announced` lets a writer lie, which
// only tests of the reader want.
Bytes write_server_packet(const ServerPacket& p, std::optional<uint32_t> announced = {});
std::optional<ServerPacket> read_server_packet(std::span<const uint8_t> d);

// The password proof: the first four bytes of RIPEMD-160(password, key as 4 little-endian
// bytes) read as a big-endian word. 0 without a password.
uint32_t password_proof(const std::string& password, uint32_t key);

// Reliable timing messages. To the server: one record of the sender's rider.
struct TimingRecord {
  uint32_t slot = 0;
  uint32_t index = 0;  // sequence position of the gate
  int32_t step = 0;
};
std::string write_own_timing(uint32_t race, uint32_t index, int32_t step);
std::optional<TimingRecord> read_own_timing(std::string_view payload, uint32_t& race);
// To a client: any riders' records.
std::string write_timing_records(uint32_t race, std::span<const TimingRecord> records);
// The records the payload carries; a count beyond them is cut to what is there.
std::optional<std::vector<TimingRecord>> read_timing_records(std::string_view payload,
                                                             uint32_t& race);

}  // namespace br
