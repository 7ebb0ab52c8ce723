#include "net/packets.h"

#include <nettle/ripemd160.h>

#include <algorithm>
#include <cstring>

#include "files/little_endian.h"

namespace br {
namespace {

class Writer {
 public:
  explicit Writer(uint8_t type) { out_.push_back(type); }
  Writer& u8(uint8_t v) {
    out_.push_back(v);
    return *this;
  }
  Writer& u16(uint16_t v) {
    size_t at = grow(2);
    write_u16_le(&out_[at], v);
    return *this;
  }
  Writer& u32(uint32_t v) {
    size_t at = grow(4);
    write_u32_le(&out_[at], v);
    return *this;
  }
  Writer& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
  Writer& zeros(size_t n) {
    grow(n);
    return *this;
  }
  Writer& bytes(std::span<const uint8_t> b) {
    out_.insert(out_.end(), b.begin(), b.end());
    return *this;
  }
  Writer& text(std::string_view t, size_t limit) {
    t = t.substr(0, std::min(t.size(), limit));
    out_.insert(out_.end(), t.begin(), t.end());
    return *this;
  }
  Bytes take() { return std::move(out_); }

 private:
  size_t grow(size_t n) {
    size_t at = out_.size();
    out_.resize(at + n);
    return at;
  }
  Bytes out_;
};

// Reads fields at fixed offsets of a datagram whose length the caller has checked.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> d) : d_(d) {}
  uint32_t u32(size_t at) const { return read_u32_le(&d_[at]); }
  int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
  uint16_t u16(size_t at) const { return read_u16_le(&d_[at]); }
  // The bytes from `at` to the end, stopping at a NUL should a writer have ended the text.
  std::string tail(size_t at) const {
    if (at >= d_.size()) return {};
    const char* begin = reinterpret_cast<const char*>(d_.data() + at);
    size_t n = d_.size() - at;
    const void* nul = std::memchr(begin, 0, n);
    return std::string(begin, nul ? static_cast<const char*>(nul) - begin : n);
  }
  template <size_t N>
  std::array<uint8_t, N> array(size_t at) const {
    std::array<uint8_t, N> a;
    std::memcpy(a.data(), d_.data() + at, N);
    return a;
  }

 private:
  std::span<const uint8_t> d_;
};

bool session_packet(uint8_t type) {
  return type == kPacketTrackAck || type == kPacketReady || type == kPacketRestartAck;
}

}  // namespace

Bytes write_client_packet(const ClientPacket& p) {
  Writer w(p.type);
  switch (p.type) {
    case kPacketHello:
      w.u8(p.password ? 1 : 0).zeros(3).zeros(4).u32(p.protocol);
      break;
    case kPacketClientInfo:
      w.u32(p.id).u32(p.key).u32(p.proof).zeros(kClientInfoHeaderBytes - 13);
      w.text(p.text, kMaxDescriptionBytes);
      break;
    case kPacketTrackAck:
    case kPacketReady:
    case kPacketRestartAck:
      w.u32(p.id).u32(p.key).u32(p.race);
      break;
    case kPacketRiderAck:
      w.u32(p.id).u32(p.key).u32(p.race).u32(p.slot);
      break;
    case kPacketState:
      w.u32(p.id).u32(p.key).u32(p.race).u32(p.server_step).u32(p.local_step);
      w.bytes(p.snapshot);
      break;
    case kPacketRestartRequest:
      w.u32(p.id).u32(p.key).u8(1).zeros(3);
      break;
    case kPacketDisconnect:
      w.u32(p.id).u32(p.key);
      break;
    case kPacketReliable:
      w.u32(p.id).u32(p.key).u32(p.sequence).u8(p.message).text(p.text, kMaxReliablePayload);
      break;
    case kPacketAck:
      w.u32(p.id).u32(p.key).u32(p.sequence);
      break;
    default:
      break;
  }
  return w.take();
}

std::optional<ClientPacket> read_client_packet(std::span<const uint8_t> d) {
  if (d.empty()) return std::nullopt;
  ClientPacket p;
  p.type = d[0];
  const size_t n = d.size();
  Reader r(d);
  // Every packet after the hello names its sender.
  if (p.type != kPacketHello && n >= kDisconnectBytes) {
    p.id = r.u32(1);
    p.key = r.u32(5);
  }
  switch (p.type) {
    case kPacketHello:
      if (n != kHelloBytes) return std::nullopt;
      p.password = d[1] != 0;
      p.protocol = r.u32(9);
      return p;
    case kPacketClientInfo:
      if (n < kClientInfoHeaderBytes || n > kClientInfoHeaderBytes + kMaxDescriptionBytes) {
        return std::nullopt;
      }
      p.proof = r.u32(9);
      // The description is raw text with no terminator; a NUL in it is refused, not cut.
      p.text.assign(reinterpret_cast<const char*>(d.data() + kClientInfoHeaderBytes),
                    n - kClientInfoHeaderBytes);
      if (p.text.find('\0') != std::string::npos) return std::nullopt;
      return p;
    case kPacketRiderAck:
      if (n != kRiderAckBytes) return std::nullopt;
      p.race = r.u32(9);
      p.slot = r.u32(13);
      return p;
    case kPacketState:
      if (n != kStatePacketBytes) return std::nullopt;
      p.race = r.u32(9);
      p.server_step = r.u32(13);
      p.local_step = r.u32(17);
      p.snapshot = r.array<kSnapshotWireBytes>(21);
      return p;
    case kPacketRestartRequest:
      if (n != kSessionPacketBytes) return std::nullopt;
      return p;
    case kPacketDisconnect:
      if (n != kDisconnectBytes) return std::nullopt;
      return p;
    case kPacketReliable:
      if (n < kReliableHeaderBytes || n > kReliableHeaderBytes + kMaxReliablePayload) {
        return std::nullopt;
      }
      p.sequence = r.u32(9);
      p.message = d[13];
      p.text.assign(reinterpret_cast<const char*>(d.data() + kReliableHeaderBytes),
                    n - kReliableHeaderBytes);
      return p;
    case kPacketAck:
      if (n != kAckBytes) return std::nullopt;
      p.sequence = r.u32(9);
      return p;
    default:
      if (!session_packet(p.type) || n != kSessionPacketBytes) return std::nullopt;
      p.race = r.u32(9);
      return p;
  }
}

Bytes write_server_packet(const ServerPacket& p, std::optional<uint32_t> announced) {
  Writer w(p.type);
  switch (p.type) {
    case kPacketWelcome:
      w.u32(p.id).u32(p.key).u32(p.protocol);
      break;
    case kPacketRaceInfo:
      w.u32(p.race).i32(p.duration).i32(p.laps).i32(p.start_step).bytes(p.digest);
      w.text(p.text, kMaxDatagram - kRaceInfoHeaderBytes);
      break;
    case kPacketRiderDescription:
    case kPacketYourRider:
      w.u32(p.race).u32(p.slot).text(p.text, kMaxDatagram - kDescriptionHeaderBytes);
      break;
    case kPacketClock:
      w.u32(p.race).i32(p.server_step).i32(p.echo);
      break;
    case kPacketStates: {
      size_t count = std::min(p.entries.size(), static_cast<size_t>(kMaxStateEntries));
      w.u32(p.race).i32(p.server_step).i32(p.echo);
      w.u32(announced ? *announced : static_cast<uint32_t>(count));
      for (size_t i = 0; i < count; ++i) {
        const StateEntry& e = p.entries[i];
        w.u16(e.slot).u16(e.ping).i32(e.step).bytes(e.snapshot);
      }
      break;
    }
    case kPacketRacePosition:
      w.i32(p.value);
      break;
    case kPacketNewRace:
      w.u32(p.race);
      break;
    case kPacketRefused:
      w.text(p.text, kMaxDatagram - 1);
      break;
    case kPacketReliable:
      w.u32(p.sequence).u8(p.message).text(p.text, kMaxReliablePayload);
      break;
    case kPacketAck:
      w.u32(p.sequence);
      break;
    default:  // full, disconnected: the type alone
      break;
  }
  return w.take();
}

std::optional<ServerPacket> read_server_packet(std::span<const uint8_t> d) {
  if (d.empty()) return std::nullopt;
  ServerPacket p;
  p.type = d[0];
  const size_t n = d.size();
  Reader r(d);
  switch (p.type) {
    case kPacketFull:
    case kPacketDisconnected:
      return p;
    case kPacketWelcome:
      if (n < 13) return std::nullopt;
      p.id = r.u32(1);
      p.key = r.u32(5);
      p.protocol = r.u32(9);
      return p;
    case kPacketRaceInfo:
      if (n < kRaceInfoHeaderBytes) return std::nullopt;
      p.race = r.u32(1);
      p.duration = r.i32(5);
      p.laps = r.i32(9);
      p.start_step = r.i32(13);
      p.digest = r.array<20>(17);
      p.text = r.tail(kRaceInfoHeaderBytes);
      return p;
    case kPacketRiderDescription:
    case kPacketYourRider:
      if (n < kDescriptionHeaderBytes) return std::nullopt;
      p.race = r.u32(1);
      p.slot = r.u32(5);
      p.text = r.tail(kDescriptionHeaderBytes);
      return p;
    case kPacketClock:
      if (n < 13) return std::nullopt;
      p.race = r.u32(1);
      p.server_step = r.i32(5);
      p.echo = r.i32(9);
      return p;
    case kPacketStates: {
      if (n < kStatesHeaderBytes) return std::nullopt;
      p.race = r.u32(1);
      p.server_step = r.i32(5);
      p.echo = r.i32(9);
      uint32_t count = r.u32(13);
      size_t fit = (n - kStatesHeaderBytes) / kStateEntryBytes;
      p.truncated = count > fit;
      size_t take = std::min<size_t>(count, fit);
      p.entries.resize(take);
      for (size_t i = 0; i < take; ++i) {
        size_t at = kStatesHeaderBytes + i * kStateEntryBytes;
        StateEntry& e = p.entries[i];
        e.slot = r.u16(at);
        e.ping = r.u16(at + 2);
        e.step = r.i32(at + 4);
        e.snapshot = r.array<kSnapshotWireBytes>(at + 8);
      }
      return p;
    }
    case kPacketRacePosition:
      if (n < 5) return std::nullopt;
      p.value = r.i32(1);
      return p;
    case kPacketNewRace:
      if (n < 5) return std::nullopt;
      p.race = r.u32(1);
      return p;
    case kPacketRefused:
      p.text = r.tail(1);
      return p;
    case kPacketReliable:
      if (n < kServerReliableHeaderBytes) return std::nullopt;
      p.sequence = r.u32(1);
      p.message = d[5];
      p.text.assign(reinterpret_cast<const char*>(d.data() + kServerReliableHeaderBytes),
                    n - kServerReliableHeaderBytes);
      return p;
    case kPacketAck:
      if (n < 5) return std::nullopt;
      p.sequence = r.u32(1);
      return p;
    default:
      return std::nullopt;
  }
}

uint32_t password_proof(const std::string& password, uint32_t key) {
  if (password.empty()) return 0;
  ripemd160_ctx ctx;
  ripemd160_init(&ctx);
  ripemd160_update(&ctx, password.size(), reinterpret_cast<const uint8_t*>(password.data()));
  uint8_t k[4];
  write_u32_le(k, key);
  ripemd160_update(&ctx, sizeof k, k);
  uint8_t digest[RIPEMD160_DIGEST_SIZE];
  ripemd160_digest(&ctx, sizeof digest, digest);
  return static_cast<uint32_t>(digest[0]) << 24 | static_cast<uint32_t>(digest[1]) << 16 |
         static_cast<uint32_t>(digest[2]) << 8 | digest[3];
}

std::string write_own_timing(uint32_t race, uint32_t index, int32_t step) {
  std::string out(12, '\0');
  auto* p = reinterpret_cast<uint8_t*>(out.data());
  write_u32_le(p, race);
  write_u32_le(p + 4, index);
  write_u32_le(p + 8, static_cast<uint32_t>(step));
  return out;
}

std::optional<TimingRecord> read_own_timing(std::string_view payload, uint32_t& race) {
  if (payload.size() != 12) return std::nullopt;
  auto* p = reinterpret_cast<const uint8_t*>(payload.data());
  race = read_u32_le(p);
  TimingRecord t;
  t.index = read_u32_le(p + 4);
  t.step = static_cast<int32_t>(read_u32_le(p + 8));
  return t;
}

std::string write_timing_records(uint32_t race, std::span<const TimingRecord> records) {
  size_t count = std::min(records.size(), static_cast<size_t>(kMaxTimingRecords));
  std::string out(8 + count * kTimingRecordBytes, '\0');
  auto* p = reinterpret_cast<uint8_t*>(out.data());
  write_u32_le(p, race);
  write_u32_le(p + 4, static_cast<uint32_t>(count));
  for (size_t i = 0; i < count; ++i) {
    uint8_t* e = p + 8 + i * kTimingRecordBytes;
    write_u32_le(e, records[i].slot);
    write_u32_le(e + 4, records[i].index);
    write_u32_le(e + 8, static_cast<uint32_t>(records[i].step));
  }
  return out;
}

std::optional<std::vector<TimingRecord>> read_timing_records(std::string_view payload,
                                                             uint32_t& race) {
  if (payload.size() < 8) return std::nullopt;
  auto* p = reinterpret_cast<const uint8_t*>(payload.data());
  race = read_u32_le(p);
  size_t count = std::min<size_t>(read_u32_le(p + 4), (payload.size() - 8) / kTimingRecordBytes);
  std::vector<TimingRecord> records(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = p + 8 + i * kTimingRecordBytes;
    records[i].slot = read_u32_le(e);
    records[i].index = read_u32_le(e + 4);
    records[i].step = static_cast<int32_t>(read_u32_le(e + 8));
  }
  return records;
}

}  // namespace br
