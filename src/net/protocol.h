// The game server protocol's numbers: packet and message types, sizes and limits. The game's
// client and bermrider-server share them, and docs/network.md describes them for anyone
// who writes another client or server.
#pragma once

#include <cstddef>
#include <cstdint>

namespace br {

constexpr uint16_t kDefaultServerPort = 19800;
constexpr uint32_t kClientProtocol = 21;  // what the client's hello carries
constexpr uint32_t kServerProtocol = 6;   // what the server's welcome must carry

constexpr uint32_t kNoClientId = 160;  // before the server has given one
constexpr uint32_t kNoRiderSlot = 160;  // a spectator, or no description acknowledged yet
constexpr int kNetSlots = 160;          // rider slots a race can have

// Everything travels in datagrams no longer than the client's receive buffer.
constexpr size_t kMaxDatagram = 1023;
constexpr size_t kMaxReliablePayload = 466;
constexpr size_t kMaxDescriptionBytes = 982;  // the full rider description, or the short one
constexpr size_t kSnapshotWireBytes = 39;     // a rider snapshot, carried as it is

// Client to server.
enum ClientPacketType : uint8_t {
  kPacketHello = 0,
  kPacketClientInfo = 3,
  kPacketTrackAck = 5,
  kPacketRiderAck = 7,
  kPacketReady = 9,
  kPacketState = 11,
  kPacketRestartRequest = 13,
  kPacketRestartAck = 14,
  kPacketDisconnect = 15,
  kPacketReliable = 17,
  kPacketAck = 18,
};

// Server to client (17 and 18 are the same both ways).
enum ServerPacketType : uint8_t {
  kPacketFull = 1,
  kPacketWelcome = 2,
  kPacketRaceInfo = 4,
  kPacketRiderDescription = 6,
  kPacketYourRider = 8,
  kPacketClock = 10,
  kPacketStates = 11,
  kPacketRacePosition = 13,
  kPacketNewRace = 14,
  kPacketDisconnected = 15,
  kPacketRefused = 16,
};

// Reliable message types.
enum MessageType : uint8_t {
  kMessageClientInfo = 3,
  kMessageChat = 19,
  kMessageTiming = 21,
  kMessageCommand = 24,
};

// Fixed packet lengths, client to server.
constexpr size_t kHelloBytes = 13;
constexpr size_t kClientInfoHeaderBytes = 41;
constexpr size_t kSessionPacketBytes = 13;  // track ack, ready, restart request and ack
constexpr size_t kRiderAckBytes = 17;
constexpr size_t kStatePacketBytes = 60;
constexpr size_t kDisconnectBytes = 9;
constexpr size_t kReliableHeaderBytes = 14;
constexpr size_t kAckBytes = 13;

// Server to client.
constexpr size_t kRaceInfoHeaderBytes = 37;
constexpr size_t kDescriptionHeaderBytes = 9;
constexpr size_t kStatesHeaderBytes = 17;
constexpr size_t kStateEntryBytes = 47;
constexpr size_t kServerReliableHeaderBytes = 6;
constexpr int kMaxStateEntries =
    static_cast<int>((kMaxDatagram - kStatesHeaderBytes) / kStateEntryBytes);  // 21

// Timing messages: race and count, then slot, record index and step per record.
constexpr size_t kTimingRecordBytes = 12;
// A timing record further into the lap sequence than this is nobody's real race.
constexpr uint32_t kMaxTimingIndex = 1 << 16;
constexpr int kMaxTimingRecords =
    static_cast<int>((kMaxReliablePayload - 8) / kTimingRecordBytes);  // 38

// File uploads move in parts of this many bytes, one every 0.25 s.
constexpr size_t kUploadPartBytes = 256;

}  // namespace br
