// The game's client against a server made of one socket on 127.0.0.1 that the test speaks
// for packet by packet, on a clock the test moves by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "bike/bike.h"
#include "bike/shape_cache.h"
#include "files/messages.h"
#include "net/chat.h"
#include "net/client.h"
#include "net/description.h"
#include "net/fake_server.h"
#include "net/packets.h"
#include "race/session_fixture.h"
#include "track/track_list.h"
#include "ui/modes.h"

namespace br_test {
namespace {

std::optional<br::ClientPacket> find(const std::vector<br::ClientPacket>& ps, uint8_t type) {
  for (const br::ClientPacket& p : ps) {
    if (p.type == type) return p;
  }
  return std::nullopt;
}

bool message_shown(const std::string& text) {
  for (int i = 0; i < 30; ++i) {
    if (text == br::message_line(i)) return true;
  }
  return false;
}

class ClientTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    write_track("flat", 4);
    ASSERT_TRUE(br::build_startup_track_list());
    br::World& w = br::g_world;
    ASSERT_TRUE(br::load_track("flat"));
    digest_ = w.track.digest;
    br::free_track();
    w.stock_shapes = true;
    w.settings.setup.bike.texts = {"cr125"};
    w.settings.setup.bike.index = 0;
    w.settings.setup.name.value = "Local";
    br::message_area_clear(w);
  }
  void TearDown() override {
    br::net_reset(br::g_world);
    SessionTest::TearDown();
  }

  void service(double seconds = 1.0 / 128) {
    now_ += seconds;
    br::net_service(br::g_world, now_);
  }

  // Connects and takes the client through the handshake to racing, with one remote rider in
  // slot 3 and the local rider in slot 1.
  void race() {
    br::World& w = br::g_world;
    ASSERT_TRUE(br::net_connect(w, "127.0.0.1:" + std::to_string(server_.port()), ""));
    ASSERT_TRUE(find(server_.received(), br::kPacketHello));
    br::ServerPacket welcome;
    welcome.type = br::kPacketWelcome;
    welcome.id = 1;
    welcome.key = 0xBEEF;
    welcome.protocol = br::kServerProtocol;
    server_.send(welcome);
    service();
    service(1.0);
    auto info = find(server_.received(), br::kPacketClientInfo);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->key, 0xBEEFu);
    EXPECT_EQ(info->text, "cr125||||\n999\nLocal");

    br::ServerPacket track;
    track.type = br::kPacketRaceInfo;
    track.race = 4;
    track.laps = 3;
    track.start_step = 1920;
    track.digest = digest_;
    track.text = "flat";
    server_.send(track);
    service();
    EXPECT_EQ(w.net.state, br::kNetTrackKnown);

    br::ServerPacket other;
    other.type = br::kPacketRiderDescription;
    other.race = 4;
    other.slot = 3;
    br::RiderIdentity r;
    r.bike_model = "cr125";
    r.number = "33";
    r.name = "Remote";
    other.text = br::description_text(r);
    server_.send(other);
    service();
    auto ack = find(server_.received(), br::kPacketRiderAck);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->slot, 3u);

    br::ServerPacket mine;
    mine.type = br::kPacketYourRider;
    mine.race = 4;
    mine.slot = 1;
    mine.text = "cr125||||\n999\nLocal";
    server_.send(mine);
    service();
    ASSERT_EQ(w.net.state, br::kNetWaitingForClock);
    EXPECT_TRUE(find(server_.received(), br::kPacketReady));
    ASSERT_TRUE(w.slots[1].bike);
    ASSERT_TRUE(w.slots[3].bike);
    EXPECT_EQ(w.slots[1].control, br::kControlLocal);
    EXPECT_EQ(w.slots[3].control, br::kControlPlayedBack);
    EXPECT_EQ(w.slots[3].identity.name, "Remote");
    EXPECT_EQ(w.race_start_frame, 1920);

    br::ServerPacket clock;
    clock.type = br::kPacketClock;
    clock.race = 4;
    clock.server_step = 500;
    server_.send(clock);
    service();
    ASSERT_EQ(w.net.state, br::kNetRacing);
    EXPECT_EQ(w.frame, 500);
    EXPECT_TRUE(message_shown("3 laps"));
  }

  br::ServerPacket batch(std::vector<br::StateEntry> entries, int32_t server_step = 600) {
    br::ServerPacket p;
    p.type = br::kPacketStates;
    p.race = 4;
    p.server_step = server_step;
    p.entries = std::move(entries);
    return p;
  }

  br::ServerPacket chat(uint32_t sequence, const std::string& text) {
    br::ServerPacket p;
    p.type = br::kPacketReliable;
    p.sequence = sequence;
    p.message = br::kMessageChat;
    p.text = text;
    return p;
  }

  FakeServer server_;
  br::TrackDigest digest_{};
  double now_ = 50.0;
};

TEST_F(ClientTest, AServerOfAnotherVersionIsLeft) {
  br::World& w = br::g_world;
  ASSERT_TRUE(br::net_connect(w, "127.0.0.1:" + std::to_string(server_.port()), ""));
  server_.received();
  br::ServerPacket welcome;
  welcome.type = br::kPacketWelcome;
  welcome.protocol = 5;
  server_.send(welcome);
  service();
  EXPECT_TRUE(message_shown("Server version does not match client version\n"));
  EXPECT_EQ(w.net.state, br::kNetLeaving);
  EXPECT_TRUE(find(server_.received(), br::kPacketDisconnect));
  // The server's goodbye ends it.
  br::ServerPacket bye;
  bye.type = br::kPacketDisconnected;
  server_.send(bye);
  service();
  EXPECT_FALSE(w.connected);
  EXPECT_EQ(w.net.id, br::kNoClientId);
}

TEST_F(ClientTest, ARaceOfOurOwnOrADemoLeavesTheServer) {
  br::World& w = br::g_world;
  for (int mode = 0; mode < 2; ++mode) {
    ASSERT_TRUE(br::net_connect(w, "127.0.0.1:" + std::to_string(server_.port()), ""));
    server_.received();
    if (mode == 0) {
      br::start_time_trial(w);
    } else {
      br::start_demo_playback(w, "none.dmo", false);
    }
    EXPECT_FALSE(w.connected) << mode;
    EXPECT_TRUE(find(server_.received(), br::kPacketDisconnect)) << mode;
  }
}

TEST_F(ClientTest, AnAddressWithoutAPortGoesTo19800) {
  auto a = br::split_server_address("bermrider.example");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->port, 19800);
  a = br::split_server_address("host:1234");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->host, "host");
  EXPECT_EQ(a->port, 1234);
  EXPECT_FALSE(br::split_server_address("host:99999"));
  EXPECT_FALSE(br::split_server_address("host:"));

  br::World& w = br::g_world;
  ASSERT_TRUE(br::net_connect(w, "127.0.0.1", ""));
  EXPECT_EQ(w.net.server.port, 19800);
  br::net_reset(w);
  EXPECT_FALSE(br::net_connect(w, "no such host.invalid", ""));
  EXPECT_TRUE(message_shown("Can't resolve address\n"));
  w.stock_shapes = false;
  EXPECT_FALSE(br::net_connect(w, "127.0.0.1", ""));
  EXPECT_TRUE(message_shown("Fixed file mismatch\n"));
}

TEST_F(ClientTest, HandshakeToRacingThenStatesGoOutEveryFourthStep) {
  race();
  br::World& w = br::g_world;
  server_.received();
  int states = 0;
  for (int i = 0; i < 16; ++i) {
    service();
    w.frame += 1;  // as the world tick would
  }
  for (const br::ClientPacket& p : server_.received()) {
    if (p.type != br::kPacketState) continue;
    ++states;
    EXPECT_EQ(p.local_step % 4, 0u);
    EXPECT_EQ(p.server_step, 500u);
  }
  EXPECT_EQ(states, 4);
}

TEST_F(ClientTest, StateBatchesTakeNewerEntriesOnceAndReportShortPackets) {
  race();
  br::World& w = br::g_world;
  // Two entries for slot 3 with the same step, one for the local rider, one out of range.
  server_.send(batch({{3, 9, 590, {}}, {3, 9, 590, {}}, {1, 0, 590, {}}, {200, 0, 590, {}}}));
  service();
  EXPECT_EQ(w.slots[3].last_server_frame, 590);
  EXPECT_EQ(w.net.rider_ping[3], 9);
  EXPECT_EQ(w.slots[1].last_server_frame, 0);
  // Older than what is known: not taken.
  server_.send(batch({{3, 20, 580, {}}}));
  service();
  EXPECT_EQ(w.net.rider_ping[3], 9);

  server_.send(batch({{3, 5, 594, {}}, {3, 5, 598, {}}}), 3);
  service();
  EXPECT_EQ(w.slots[3].last_server_frame, 598);
  EXPECT_TRUE(message_shown("State packet too small"));
  // Another race's batch is somebody else's.
  br::ServerPacket stale = batch({{3, 1, 700, {}}});
  stale.race = 3;
  server_.send(stale);
  service();
  EXPECT_EQ(w.slots[3].last_server_frame, 598);
}

TEST_F(ClientTest, ReliableMessagesAreHandledInOrderAndEachAcknowledged) {
  race();
  server_.received();
  server_.send(chat(0, "zero"));
  server_.send(chat(2, "two"));
  server_.send(chat(1, "one"));
  server_.send(chat(1, "one"));
  service();
  int acks = 0;
  for (const br::ClientPacket& p : server_.received()) acks += p.type == br::kPacketAck;
  EXPECT_EQ(acks, 4);
  EXPECT_STREQ(br::message_line(0), "two");
  EXPECT_STREQ(br::message_line(1), "one");
  EXPECT_STREQ(br::message_line(2), "zero");
  EXPECT_STRNE(br::message_line(3), "one");
}

TEST_F(ClientTest, ChatLinesTooCloseTogetherAreRefused) {
  br::World& w = br::g_world;
  w.world_time = 10;
  EXPECT_FALSE(br::chat_line(w, "hello"));
  EXPECT_TRUE(message_shown("Not connected to server"));
  race();
  w.world_time = 20;
  EXPECT_TRUE(br::chat_line(w, "hello"));
  w.world_time = 21.5;
  EXPECT_FALSE(br::chat_line(w, "again"));
  EXPECT_TRUE(message_shown("No one likes a spammer"));
  service();
  auto sent = find(server_.received(), br::kPacketReliable);
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->message, br::kMessageChat);
  EXPECT_EQ(sent->text, "hello");
}

TEST_F(ClientTest, ServerCommandsSetTheRulesOfTheRide) {
  race();
  br::World& w = br::g_world;
  w.settings.setup.arcade.select("Yes");
  uint32_t seq = 0;
  auto command = [&](const std::string& text) {
    br::ServerPacket p = chat(seq++, text);
    p.message = br::kMessageCommand;
    server_.send(p);
    service();
  };
  command("knockout 5 x 7");
  EXPECT_EQ(w.knockout_ticks[0], 5);
  EXPECT_EQ(w.knockout_ticks[1], 5);
  EXPECT_EQ(w.knockout_ticks[2], 7);
  EXPECT_EQ(w.knockout_ticks[15], 7);
  command("off_course_bias 4.5");
  command("off_course_scale nan");
  EXPECT_DOUBLE_EQ(w.net.off_course_bias, 4.5);
  EXPECT_DOUBLE_EQ(w.net.off_course_scale, 1.5);
  w.slots[1].bike->setup.arcade_physics = true;
  command("no_arcade");
  EXPECT_TRUE(message_shown("Arcade physics disabled"));
  EXPECT_FALSE(w.slots[1].bike->setup.arcade_physics);
  // Until the connection ends; the knockout table stays as set.
  br::net_reset(w);
  EXPECT_FALSE(w.net.no_arcade);
  EXPECT_DOUBLE_EQ(w.net.off_course_bias, 10);
  EXPECT_EQ(w.knockout_ticks[2], 7);
}

TEST_F(ClientTest, ReceivedTimingRecordsGoToTheOtherRidersOnly) {
  race();
  br::World& w = br::g_world;
  std::vector<br::TimingRecord> records = {{3, 0, 2000}, {3, 1, 2300}, {1, 0, 99}, {170, 0, 5}};
  br::ServerPacket p = chat(0, br::write_timing_records(4, records));
  p.message = br::kMessageTiming;
  server_.send(p);
  service();
  EXPECT_EQ(w.slots[3].timing.gates_passed, 2);
  EXPECT_EQ(w.slots[3].timing.gate_times[1], 2300);
  EXPECT_EQ(w.slots[1].timing.gates_passed, 0);

  // The local rider's own records go to the server as it makes them.
  server_.received();
  w.slots[1].timing.gate_times = {2100, -1, 2500};
  w.slots[1].timing.gates_passed = 3;
  service(0.01);
  for (int i = 0; i < 3; ++i) {
    auto sent = find(server_.received(), br::kPacketReliable);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->message, br::kMessageTiming);
    uint32_t race = 0;
    auto t = br::read_own_timing(sent->text, race);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->index, static_cast<uint32_t>(i));
    EXPECT_EQ(t->step, w.slots[1].timing.gate_times[static_cast<size_t>(i)]);
    br::ServerPacket ack;
    ack.type = br::kPacketAck;
    ack.sequence = sent->sequence;
    server_.send(ack);
    service(0.01);
  }
}

TEST_F(ClientTest, FilesGoUpInPartsOnceTheServerIsReady) {
  race();
  br::World& w = br::g_world;
  EXPECT_FALSE(br::send_file(w, "../config"));
  EXPECT_TRUE(message_shown("Filename may only contain alphanumeric characters, '_' or '.'"));
  EXPECT_FALSE(br::send_file(w, "missing.txt"));
  EXPECT_TRUE(message_shown("Can't open file"));
  DataDirs::put(dirs.home("outgoing/setup.txt"), std::string(300, 'x'));
  ASSERT_TRUE(br::send_file(w, "setup.txt"));
  server_.received();
  std::vector<std::string> commands;
  uint32_t seq = 0;
  for (int i = 0; i < 40; ++i) {
    service(0.3);
    for (const br::ClientPacket& p : server_.received()) {
      if (p.type != br::kPacketReliable) continue;
      commands.push_back(p.text);
      br::ServerPacket ack;
      ack.type = br::kPacketAck;
      ack.sequence = p.sequence;
      server_.send(ack);
      if (p.text == "sendfile") {
        br::ServerPacket ready = chat(seq++, "sendready");
        ready.message = br::kMessageCommand;
        server_.send(ready);
      }
    }
  }
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[0], "sendfile");
  EXPECT_EQ(commands[1], "sendpart -" + std::string(256, 'x'));
  EXPECT_EQ(commands[2], "sendpart -" + std::string(44, 'x'));
  EXPECT_EQ(commands[3], "namefile setup.txt");
}

TEST_F(ClientTest, AMissingOrModifiedTrackEndsTheHandshake) {
  br::World& w = br::g_world;
  ASSERT_TRUE(br::net_connect(w, "127.0.0.1:" + std::to_string(server_.port()), ""));
  server_.received();
  br::ServerPacket welcome;
  welcome.type = br::kPacketWelcome;
  welcome.id = 0;
  welcome.protocol = br::kServerProtocol;
  server_.send(welcome);
  service();
  br::ServerPacket track;
  track.type = br::kPacketRaceInfo;
  track.race = 1;
  track.text = "nowhere";
  server_.send(track);
  service();
  EXPECT_TRUE(message_shown("Can't find track 'nowhere'\n"));
  EXPECT_EQ(w.net.state, br::kNetLeaving);

  br::net_reset(w);
  ASSERT_TRUE(br::net_connect(w, "127.0.0.1:" + std::to_string(server_.port()), ""));
  server_.received();
  server_.send(welcome);
  service();
  track.text = "flat";
  track.digest = digest_;
  track.digest[5] ^= 1;
  server_.send(track);
  service();
  br::ServerPacket mine;
  mine.type = br::kPacketYourRider;
  mine.race = 1;
  mine.slot = 0;
  server_.send(mine);
  service();
  EXPECT_TRUE(message_shown(
      "Client track modified - does not match server's track (flat)\n"));
  EXPECT_EQ(w.net.state, br::kNetLeaving);
}

}  // namespace
}  // namespace br_test
