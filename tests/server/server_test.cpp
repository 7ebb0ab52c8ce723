// The server's handshake, its refusals, the relays between riders and the races it runs.
#include "race/laps.h"
#include "server_fixture.h"

namespace br_test {
namespace {

TEST_F(ServerTest, ARiderIsWelcomedToldTheTrackAndStartsWarmingUp) {
  open();
  RawRider a(port());
  join(a);
  EXPECT_EQ(a.id, 0u);
  EXPECT_NE(a.key, 0u);
  br::ClientPacket info = a.packet(br::kPacketClientInfo);
  info.text = br::description_text(test_rider("Anna"));
  a.send(info);
  pass();
  auto got = a.received();
  auto race = find(got, br::kPacketRaceInfo);
  ASSERT_TRUE(race);
  EXPECT_EQ(race->text, "rabbithill");
  EXPECT_EQ(race->digest, br::g_world.track.digest);
  EXPECT_EQ(race->start_step, 0);  // warming up: the gate is down
  // The server's rules follow as reliable messages.
  auto rules = find(got, br::kPacketReliable);
  ASSERT_TRUE(rules);
  EXPECT_EQ(rules->text, "no_arcade");
  a.race = race->race;
  std::vector<uint32_t> described;
  take_riders(a, described);
  EXPECT_TRUE(described.empty());
  EXPECT_EQ(s_.clients[0].stage, brserver::Stage::kRacing);
  EXPECT_FALSE(s_.clients[0].racing);
}

TEST_F(ServerTest, ARepeatedHelloGetsTheSameIdAndKey) {
  open();
  RawRider a(port());
  join(a);
  uint32_t id = a.id, key = a.key;
  join(a);
  EXPECT_EQ(a.id, id);
  EXPECT_EQ(a.key, key);
}

TEST_F(ServerTest, RefusalsWrongVersionNoOrWrongPasswordAndAFullServer) {
  s_.config.password = "letmein";
  s_.config.max_riders = 1;
  open();
  RawRider old(port());
  br::ClientPacket hello;
  hello.type = br::kPacketHello;
  hello.protocol = 20;
  hello.password = true;
  old.send(hello);
  pass();
  auto refused = find(old.received(), br::kPacketRefused);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, "Client version does not match server version");

  RawRider nopass(port());
  hello.protocol = br::kClientProtocol;
  hello.password = false;
  nopass.send(hello);
  pass();
  EXPECT_TRUE(find(nopass.received(), br::kPacketRefused));

  RawRider wrong(port());
  join(wrong, "guess");
  br::ClientPacket info = wrong.packet(br::kPacketClientInfo);
  info.proof = br::password_proof("guess", wrong.key);
  info.text = br::description_text(test_rider("W"));
  wrong.send(info);
  pass();
  refused = find(wrong.received(), br::kPacketRefused);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, "Wrong password");
  EXPECT_FALSE(s_.clients[wrong.id].used);  // the slot is free again

  RawRider right(port());
  set_up(right, "R", "letmein");
  EXPECT_EQ(s_.clients[right.id].stage, brserver::Stage::kRacing);

  RawRider late(port());
  hello.password = true;
  late.send(hello);
  pass();
  EXPECT_TRUE(find(late.received(), br::kPacketFull));
}

TEST_F(ServerTest, NobodyCanSpeakForAnotherRider) {
  open();
  RawRider a(port()), b(port());
  set_up(a, "Anna");
  set_up(b, "Bert");
  const brserver::Client& victim = s_.clients[a.id];
  uint64_t refused = s_.refused_in;

  // B uses A's id with its own key, then A's id and key from B's address.
  br::ClientPacket bye = b.packet(br::kPacketDisconnect);
  bye.id = a.id;
  bye.key = b.key;
  b.send_bytes(br::write_client_packet(bye));
  bye.key = a.key;
  b.send_bytes(br::write_client_packet(bye));
  // A rider acknowledgment naming a slot it was never told of changes nothing.
  br::ClientPacket ack = b.packet(br::kPacketRiderAck);
  ack.slot = 150;
  b.send(ack);
  pass();
  EXPECT_TRUE(victim.used);
  EXPECT_EQ(s_.refused_in, refused + 2);
  EXPECT_FALSE(s_.clients[b.id].known.test(150));
}

TEST_F(ServerTest, RidersSeeEachOthersStatesAndAnnouncedRacesPutThemOnTheGrid) {
  open();
  RawRider a(port()), b(port());
  set_up(a, "Anna");
  std::vector<uint32_t> seen_by_b = set_up(b, "Bert");
  EXPECT_EQ(seen_by_b, std::vector<uint32_t>{a.id});

  // B's states reach nobody (A was not told of B), A's reach B.
  send_state(a, 100);
  send_state(b, 100);
  pass(4.0 / 128);
  auto batch = find(b.received(), br::kPacketStates);
  ASSERT_TRUE(batch);
  ASSERT_EQ(batch->entries.size(), 1u);
  EXPECT_EQ(batch->entries[0].slot, a.id);
  EXPECT_EQ(batch->entries[0].step, 100);
  EXPECT_FALSE(find(a.received(), br::kPacketStates));
  // Nothing new: nothing relayed again.
  pass(4.0 / 128);
  EXPECT_FALSE(find(b.received(), br::kPacketStates));

  // After the warm-up both get places, then a new race.
  std::vector<br::ServerPacket> got_a;
  for (int i = 0; i < 800 && !find(got_a, br::kPacketNewRace); ++i) {
    pass();
    for (const br::ServerPacket& p : a.received()) got_a.push_back(p);
  }
  auto position = find(got_a, br::kPacketRacePosition);
  ASSERT_TRUE(position);
  EXPECT_EQ(position->value, 0);
  auto next = find(got_a, br::kPacketNewRace);
  ASSERT_TRUE(next);
  EXPECT_GT(next->race, a.race);
  EXPECT_EQ(s_.race.phase, brserver::Phase::kRacing);

  // A sets up the new race and now knows B.
  a.race = next->race;
  a.send(a.packet(br::kPacketRestartAck));
  pass();
  auto info = find(a.received(), br::kPacketRaceInfo);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->start_step, 5 * 128);
  std::vector<uint32_t> described;
  take_riders(a, described);
  EXPECT_EQ(described, std::vector<uint32_t>{b.id});
}

TEST_F(ServerTest, ReliableMessagesAreAcknowledgedAndChatGoesToEveryone) {
  open();
  RawRider a(port()), b(port());
  set_up(a, "Anna");
  set_up(b, "Bert");
  pass(3);  // the rules messages are done with
  a.received();
  b.received();
  auto drain_acks = [&](RawRider& r) {
    for (const br::ServerPacket& p : r.received()) {
      if (p.type != br::kPacketReliable) continue;
      br::ClientPacket ack = r.packet(br::kPacketAck);
      ack.sequence = p.sequence;
      r.send(ack);
    }
  };
  for (int i = 0; i < 20; ++i) {
    drain_acks(a);
    drain_acks(b);
    pass(0.6);
  }
  br::ClientPacket chat = a.packet(br::kPacketReliable);
  chat.sequence = 0;
  chat.message = br::kMessageChat;
  chat.text = "hi\x1b";
  a.send(chat);
  a.send(chat);  // a repeat
  pass();
  auto got_a = a.received();
  int acks = 0;
  for (const br::ServerPacket& p : got_a) acks += p.type == br::kPacketAck;
  EXPECT_EQ(acks, 2);
  pass(0.6);
  auto line = find(b.received(), br::kPacketReliable);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->message, br::kMessageChat);
  EXPECT_EQ(line->text, "Anna: hi?");
  // A second line within two seconds is not passed on.
  chat.sequence = 1;
  chat.text = "spam";
  a.send(chat);
  for (int i = 0; i < 4; ++i) {
    drain_acks(a);
    pass(0.6);
    for (const br::ServerPacket& p : b.received()) EXPECT_NE(p.text, "Anna: spam");
  }
}

TEST_F(ServerTest, SilentRidersAreDroppedAndTheSlotIsForgotten) {
  s_.config.timeout = 3;
  open();
  RawRider a(port()), b(port());
  set_up(a, "Anna");
  set_up(b, "Bert");
  for (int i = 0; i < 40; ++i) {
    send_state(b, 100 + i);
    pass(0.1);
  }
  EXPECT_FALSE(s_.clients[a.id].used);
  EXPECT_TRUE(s_.clients[b.id].used);
  EXPECT_FALSE(s_.clients[b.id].known.test(a.id));
}

TEST_F(ServerTest, UploadsLandUnderPlainNamesOnly) {
  open();
  RawRider a(port());
  set_up(a, "Anna");
  uint32_t seq = 0;
  auto command = [&](const std::string& text) {
    br::ClientPacket m = a.packet(br::kPacketReliable);
    m.sequence = seq++;
    m.message = br::kMessageCommand;
    m.text = text;
    a.send(m);
    pass();
  };
  command("sendfile");
  command(std::string("sendpart -") + "line one\n");
  command(std::string("sendpart -") + std::string("\0\x01", 2));
  command("namefile setup_1.txt");
  std::string stored = read_file(home_.file("Bermrider/uploads/setup_1.txt"));
  EXPECT_EQ(stored, std::string("line one\n\0\x01", 11));

  command("sendfile");
  command("sendpart -x");
  command("namefile ..");
  command("sendfile");
  command("namefile a/b");
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(home_.path())) {
    files += e.is_regular_file() && e.path().filename() != "server-log.txt";
  }
  EXPECT_EQ(files, 1);
}

TEST_F(ServerTest, AFloodOfHostileDatagramsDropsNobody) {
  open();
  RawRider a(port()), b(port());
  set_up(a, "Anna");
  set_up(b, "Bert");
  std::mt19937 dice(11);
  kota::UdpAddress stranger = kota::udp_loopback(40000);
  for (int i = 0; i < 5000; ++i) {
    br::Bytes d(dice() % 80);
    for (uint8_t& x : d) x = static_cast<uint8_t>(dice());
    if (d.size() > 9 && i % 3 == 0) {
      // A valid header from a real rider's id with a lying length.
      d[0] = static_cast<uint8_t>(dice() % 19);
      d[1] = static_cast<uint8_t>(a.id);
      d[2] = d[3] = d[4] = 0;
    }
    kota::UdpAddress from = i % 2 ? stranger : kota::udp_loopback(a.port());
    brserver::server_datagram(s_, from, d, now_);
    if (i % 100 == 0) {
      send_state(a, 100 + i);
      send_state(b, 100 + i);
      pass(0.01);
    }
  }
  EXPECT_TRUE(s_.clients[a.id].used);
  EXPECT_TRUE(s_.clients[b.id].used);
}

// Two riders, Anna and Bert, on the grid of a one-lap race that has started.
class ServerRaceTest : public ServerTest {
 protected:
  void start_race() {
    s_.config.laps = 1;
    s_.config.start_delay = 1;
    open();
    anna_.emplace(port());
    bert_.emplace(port());
    set_up(anna(), "Anna");
    set_up(bert(), "Bert");
    for (int i = 0; i < 800 && race_ == 0; ++i) {
      pass();
      if (auto next = find(anna().received(), br::kPacketNewRace)) race_ = next->race;
    }
    ASSERT_NE(race_, 0u);
    for (RawRider* r : {&anna(), &bert()}) {
      r->race = race_;
      r->send(r->packet(br::kPacketRestartAck));
      pass();
      ASSERT_TRUE(find(r->received(), br::kPacketRaceInfo));
      std::vector<uint32_t> described;
      take_riders(*r, described);
    }
    br::LapShape shape = br::lap_shape(br::g_world.track.timing);
    ASSERT_TRUE(shape.timed());
    last_ = static_cast<int>(br::lap_end_position(shape, 1));
    ride({&anna(), &bert()}, 48);  // past the gate drop
    number_ = s_.race.number;
  }

  // The race started above is still being ridden: not final, and no other race announced.
  void expect_still_racing(const char* when) {
    EXPECT_EQ(s_.race.phase, brserver::Phase::kRacing) << when;
    EXPECT_EQ(s_.race.number, number_) << when;
  }

  void record(RawRider& r, int index, int32_t step) {
    br::ClientPacket m = r.packet(br::kPacketReliable);
    m.sequence = (&r == &anna() ? seq_anna_ : seq_bert_)++;
    m.message = br::kMessageTiming;
    m.text = br::write_own_timing(race_, static_cast<uint32_t>(index), step);
    r.send(m);
  }

  // The riders keep sending their states, 32 a second.
  void ride(std::initializer_list<RawRider*> riders, int passes) {
    for (int k = 0; k < passes; ++k) {
      for (RawRider* r : riders) send_state(*r, static_cast<uint32_t>(s_.step));
      pass(4.0 / 128);
    }
  }

  // Bert ahead of Anna at every gate; he finishes, she has one gate to go.
  void bert_finishes() {
    for (int g = 0; g <= last_; ++g) {
      int32_t at = s_.race.start_step + 200 * (g + 1);
      record(bert(), g, at);
      if (g < last_) record(anna(), g, at + 50);
      ride({&anna(), &bert()}, 8);
      expect_still_racing("after a gate");
    }
  }

  RawRider& anna() { return *anna_; }
  RawRider& bert() { return *bert_; }

  std::optional<RawRider> anna_, bert_;
  uint32_t race_ = 0;    // as the riders know it
  uint32_t number_ = 0;  // as the server counts it
  int last_ = 0;
  uint32_t seq_anna_ = 0, seq_bert_ = 0;
};

// The game's own standings rules decide the race on the server: once every rider is done the
// results are final, in the order the records say.
TEST_F(ServerRaceTest, TimingRecordsDecideTheFinalResults) {
  start_race();
  bert_finishes();
  // Anna still rides and holds the results back until she finishes too.
  ride({&anna()}, 200);
  expect_still_racing("while Anna rides on");
  record(anna(), last_, s_.race.start_step + 200 * (last_ + 1) + 500);
  for (int k = 0; k < 10 && s_.race.phase == brserver::Phase::kRacing; ++k) pass(4.0 / 128);
  ASSERT_EQ(s_.race.phase, brserver::Phase::kFinished);
  const brserver::StandingsView view = s_.board.read();
  ASSERT_TRUE(view.final);
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].name, "Bert");
  EXPECT_TRUE(view.rows[0].finished);
  EXPECT_EQ(view.rows[1].name, "Anna");
  EXPECT_TRUE(view.rows[1].finished);
}

// On a loaded machine a rider's states can stop for seconds, and the server's own passes can
// come seconds apart. Neither ends the race under a rider who is still on it; only one the
// server lets go stops holding the results back.
TEST_F(ServerRaceTest, ARiderWhoLagsKeepsTheResultsOpenUntilDropped) {
  s_.config.timeout = 6;
  start_race();
  bert_finishes();
  // Anna's client stalls for five seconds, through a standings update; Bert's keeps going.
  ride({&bert()}, 160);
  expect_still_racing("after Anna's stall");
  // The server stalls: both states wait in its socket through a pass two seconds late.
  send_state(anna(), static_cast<uint32_t>(s_.step));
  send_state(bert(), static_cast<uint32_t>(s_.step));
  pass(2.0);
  ride({&anna(), &bert()}, 8);
  expect_still_racing("after the server's stall");
  // She goes silent for good: dropped, and the results are final without her finish.
  for (int k = 0; k < 400 && s_.race.phase == brserver::Phase::kRacing; ++k) ride({&bert()}, 1);
  EXPECT_FALSE(s_.clients[anna().id].used);
  ASSERT_EQ(s_.race.phase, brserver::Phase::kFinished);
  const brserver::StandingsView view = s_.board.read();
  ASSERT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.rows[0].name, "Bert");
  EXPECT_FALSE(view.rows[1].finished);
}

TEST(ServerConfig, KeysAreReadClampedAndUnknownOnesReported) {
  brserver::ServerConfig c;
  std::string problems;
  brserver::read_config_text(c,
                             "# a comment\n"
                             "port = 20000\n"
                             "password=open sesame\n"
                             "tracks=rabbithill, foundry\n"
                             "max_riders=500\n"
                             "minutes=2.5\n"
                             "knockout=10 20 x\n"
                             "colour=blue\n"
                             "laps=lots\n"
                             "tracks=../etc\n"
                             "\r\n",
                             problems);
  EXPECT_EQ(c.port, 20000);
  EXPECT_EQ(c.password, "open sesame");
  EXPECT_EQ(c.tracks, (std::vector<std::string>{"rabbithill", "foundry"}));
  EXPECT_EQ(c.max_riders, 160);
  EXPECT_DOUBLE_EQ(c.minutes, 2.5);
  EXPECT_TRUE(c.knockout.empty());
  EXPECT_EQ(c.laps, 3);
  EXPECT_NE(problems.find("line 7: bad value for knockout"), std::string::npos);
  EXPECT_NE(problems.find("line 8: unknown key 'colour'"), std::string::npos);
  EXPECT_NE(problems.find("line 9: bad value for laps"), std::string::npos);
  EXPECT_NE(problems.find("line 10: bad value for tracks"), std::string::npos);
}

}  // namespace
}  // namespace br_test
