// The packet layouts: what each writer puts where, what each reader refuses.
#include <gtest/gtest.h>

#include <random>

#include "net/packets.h"

namespace {

using br::Bytes;
using br::ClientPacket;
using br::ServerPacket;

ClientPacket client(uint8_t type) {
  ClientPacket p;
  p.type = type;
  p.id = 7;
  p.key = 0xA1B2C3D4;
  p.race = 3;
  return p;
}

uint32_t u32_at(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(Packets, ClientPacketsHaveTheirFixedLengthsAndFieldPlaces) {
  ClientPacket hello;
  hello.type = br::kPacketHello;
  hello.password = true;
  hello.protocol = br::kClientProtocol;
  Bytes h = br::write_client_packet(hello);
  ASSERT_EQ(h.size(), 13u);
  EXPECT_EQ(h[1], 1);
  EXPECT_EQ(u32_at(h, 9), 21u);

  ClientPacket state = client(br::kPacketState);
  state.server_step = 1000;
  state.local_step = 990;
  for (size_t i = 0; i < state.snapshot.size(); ++i) state.snapshot[i] = static_cast<uint8_t>(i);
  Bytes s = br::write_client_packet(state);
  ASSERT_EQ(s.size(), 60u);
  EXPECT_EQ(u32_at(s, 1), 7u);
  EXPECT_EQ(u32_at(s, 5), 0xA1B2C3D4u);
  EXPECT_EQ(u32_at(s, 9), 3u);
  EXPECT_EQ(u32_at(s, 13), 1000u);
  EXPECT_EQ(u32_at(s, 17), 990u);
  EXPECT_EQ(s[21], 0);
  EXPECT_EQ(s[59], 38);

  EXPECT_EQ(br::write_client_packet(client(br::kPacketTrackAck)).size(), 13u);
  EXPECT_EQ(br::write_client_packet(client(br::kPacketRiderAck)).size(), 17u);
  EXPECT_EQ(br::write_client_packet(client(br::kPacketDisconnect)).size(), 9u);
  Bytes restart = br::write_client_packet(client(br::kPacketRestartRequest));
  ASSERT_EQ(restart.size(), 13u);
  EXPECT_EQ(restart[9], 1);
  ClientPacket info = client(br::kPacketClientInfo);
  info.text = "cr125\n12\nAnna";
  Bytes i = br::write_client_packet(info);
  EXPECT_EQ(i.size(), 41u + info.text.size());  // no terminator
}

TEST(Packets, EveryClientPacketReadsBackAsWritten) {
  std::vector<ClientPacket> all;
  for (uint8_t t : {br::kPacketTrackAck, br::kPacketReady, br::kPacketRestartAck,
                    br::kPacketRiderAck, br::kPacketState, br::kPacketRestartRequest,
                    br::kPacketDisconnect, br::kPacketReliable, br::kPacketAck,
                    br::kPacketClientInfo}) {
    ClientPacket p = client(t);
    p.slot = 42;
    p.sequence = 77;
    p.message = br::kMessageChat;
    p.text = t == br::kPacketClientInfo ? "kx125\n1\nB" : "hello";
    p.proof = 0x01020304;
    all.push_back(p);
  }
  for (const ClientPacket& p : all) {
    auto back = br::read_client_packet(br::write_client_packet(p));
    ASSERT_TRUE(back) << int(p.type);
    EXPECT_EQ(back->id, p.id);
    EXPECT_EQ(back->key, p.key);
    if (p.type == br::kPacketRiderAck) {
      EXPECT_EQ(back->slot, 42u);
    }
    if (p.type == br::kPacketReliable) {
      EXPECT_EQ(back->sequence, 77u);
      EXPECT_EQ(back->message, br::kMessageChat);
      EXPECT_EQ(back->text, "hello");
    }
    if (p.type == br::kPacketClientInfo) {
      EXPECT_EQ(back->proof, 0x01020304u);
    }
  }
}

TEST(Packets, ClientPacketsOfTheWrongLengthOrTypeAreRefused) {
  for (uint8_t t : {br::kPacketHello, br::kPacketTrackAck, br::kPacketRiderAck,
                    br::kPacketState, br::kPacketDisconnect, br::kPacketAck}) {
    Bytes b = br::write_client_packet(client(t));
    Bytes longer = b;
    longer.push_back(0);
    Bytes shorter(b.begin(), b.end() - 1);
    EXPECT_FALSE(br::read_client_packet(longer)) << int(t);
    EXPECT_FALSE(br::read_client_packet(shorter)) << int(t);
  }
  EXPECT_FALSE(br::read_client_packet(Bytes{}));
  for (uint8_t t : {1, 2, 4, 6, 8, 10, 12, 16, 19, 255}) {
    EXPECT_FALSE(br::read_client_packet(Bytes(13, t))) << int(t);
  }
  // A reliable payload beyond 466 bytes and a description beyond 982 are not the game's.
  Bytes reliable = br::write_client_packet(client(br::kPacketReliable));
  reliable.resize(14 + 467, 'x');
  EXPECT_FALSE(br::read_client_packet(reliable));
  Bytes info = br::write_client_packet(client(br::kPacketClientInfo));
  info.resize(41 + 983, 'x');
  EXPECT_FALSE(br::read_client_packet(info));
  info.resize(41 + 5, 'x');
  info[43] = 0;  // a NUL inside a description
  EXPECT_FALSE(br::read_client_packet(info));
}

TEST(Packets, PasswordProofIsTheDigestsFirstWordWrittenBackwards) {
  // RIPEMD-160("abcdefghijklmnopqrstuvwxyz") begins f7 1c 27 10; the key supplies "wxyz".
  uint32_t key = 'w' | 'x' << 8 | 'y' << 16 | static_cast<uint32_t>('z') << 24;
  uint32_t proof = br::password_proof("abcdefghijklmnopqrstuv", key);
  EXPECT_EQ(proof, 0xf71c2710u);
  ClientPacket info = client(br::kPacketClientInfo);
  info.proof = proof;
  Bytes b = br::write_client_packet(info);
  EXPECT_EQ(b[9], 0x10);
  EXPECT_EQ(b[10], 0x27);
  EXPECT_EQ(b[11], 0x1c);
  EXPECT_EQ(b[12], 0xf7);
  EXPECT_EQ(br::password_proof("", key), 0u);
}

TEST(Packets, ServerPacketsReadBackAsWritten) {
  ServerPacket info;
  info.type = br::kPacketRaceInfo;
  info.race = 9;
  info.duration = 76800;
  info.laps = 2;
  info.start_step = 1920;
  info.digest[0] = 0xAB;
  info.digest[19] = 0xCD;
  info.text = "rabbithill";
  Bytes b = br::write_server_packet(info);
  ASSERT_EQ(b.size(), 37u + 10u);
  auto back = br::read_server_packet(b);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->race, 9u);
  EXPECT_EQ(back->duration, 76800);
  EXPECT_EQ(back->laps, 2);
  EXPECT_EQ(back->start_step, 1920);
  EXPECT_EQ(back->digest, info.digest);
  EXPECT_EQ(back->text, "rabbithill");

  ServerPacket batch;
  batch.type = br::kPacketStates;
  batch.race = 9;
  batch.server_step = 5000;
  batch.echo = 4990;
  for (uint16_t s = 0; s < 30; ++s) batch.entries.push_back({s, 12, 4000 + s, {}});
  Bytes bb = br::write_server_packet(batch);
  EXPECT_EQ(bb.size(), 17u + 21u * 47u);  // a batch holds at most 21 riders
  EXPECT_LE(bb.size(), br::kMaxDatagram);
  auto bback = br::read_server_packet(bb);
  ASSERT_TRUE(bback);
  EXPECT_FALSE(bback->truncated);
  ASSERT_EQ(bback->entries.size(), 21u);
  EXPECT_EQ(bback->entries[20].slot, 20);
  EXPECT_EQ(bback->entries[20].ping, 12);
  EXPECT_EQ(bback->entries[20].step, 4020);
}

TEST(Packets, AStateBatchThatAnnouncesMoreThanItCarriesKeepsWhatIsThere) {
  ServerPacket batch;
  batch.type = br::kPacketStates;
  batch.entries = {{1, 0, 100, {}}, {2, 0, 100, {}}};
  auto back = br::read_server_packet(br::write_server_packet(batch, 3));
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->truncated);
  EXPECT_EQ(back->entries.size(), 2u);
  // A count of four billion is no reason to read past the end either.
  Bytes lying = br::write_server_packet(batch, 0xFFFFFFFFu);
  lying.resize(lying.size() - 5);  // and the second entry cut short
  back = br::read_server_packet(lying);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->truncated);
  EXPECT_EQ(back->entries.size(), 1u);
}

TEST(Packets, ShortServerPacketsAreRefusedAndRandomOnesNeverReadPastTheirEnd) {
  for (uint8_t t : {2, 4, 6, 8, 10, 11, 13, 14, 17, 18}) {
    EXPECT_FALSE(br::read_server_packet(Bytes{t})) << int(t);
  }
  std::mt19937 dice(5);
  for (int i = 0; i < 20000; ++i) {
    Bytes d(dice() % 64);
    for (uint8_t& b : d) b = static_cast<uint8_t>(dice());
    if (!d.empty() && i % 2) d[0] = static_cast<uint8_t>(dice() % 20);
    br::read_server_packet(d);
    br::read_client_packet(d);
  }
}

TEST(Packets, TimingMessagesCarryRaceCountAndRecords) {
  uint32_t race = 0;
  auto own = br::read_own_timing(br::write_own_timing(4, 17, 9000), race);
  ASSERT_TRUE(own);
  EXPECT_EQ(race, 4u);
  EXPECT_EQ(own->index, 17u);
  EXPECT_EQ(own->step, 9000);
  EXPECT_FALSE(br::read_own_timing("short", race));

  std::vector<br::TimingRecord> records(50);
  for (uint32_t i = 0; i < 50; ++i) records[i] = {i, i * 2, static_cast<int32_t>(i * 100)};
  std::string payload = br::write_timing_records(4, records);
  EXPECT_LE(payload.size(), br::kMaxReliablePayload);
  auto back = br::read_timing_records(payload, race);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 38u);  // what fits in one message
  EXPECT_EQ((*back)[37].index, 74u);
  // A count beyond the payload is cut to the records that are there.
  payload[4] = 100;
  payload.resize(8 + 12 * 3 + 5);
  back = br::read_timing_records(payload, race);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->size(), 3u);
}

}  // namespace
