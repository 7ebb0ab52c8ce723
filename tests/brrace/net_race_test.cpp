// The network client's loop in brrace: how it catches up after a stall and how it leaves,
// against a server made of one socket on 127.0.0.1 that the test speaks for.
#include "net_race.h"

#include <gtest/gtest.h>

#include "net/client.h"
#include "net/packets.h"
#include "world/world.h"

namespace brrace {
namespace {

class FakeServer {
 public:
  FakeServer() {
    std::string error;
    EXPECT_TRUE(socket_.open(0, kota::udp_loopback(0).host, error)) << error;
  }
  uint16_t port() const { return socket_.local_port(); }

  std::vector<br::ClientPacket> received() {
    std::vector<br::ClientPacket> out;
    uint8_t buffer[2048];
    while (std::optional<size_t> n = socket_.receive(buffer, sizeof buffer, client_)) {
      if (auto p = br::read_client_packet(std::span<const uint8_t>(buffer, *n))) out.push_back(*p);
    }
    return out;
  }
  void send(const br::ServerPacket& p) {
    br::Bytes b = br::write_server_packet(p);
    std::string error;
    EXPECT_TRUE(socket_.send_to(client_, b.data(), b.size(), error)) << error;
  }
  void chat(uint32_t sequence) {
    br::ServerPacket p;
    p.type = br::kPacketReliable;
    p.sequence = sequence;
    p.message = br::kMessageChat;
    p.text = "hello";
    send(p);
  }
  void acknowledge(uint32_t sequence) {
    br::ServerPacket p;
    p.type = br::kPacketAck;
    p.sequence = sequence;
    send(p);
  }

 private:
  kota::UdpSocket socket_;
  kota::UdpAddress client_;
};

class NetRaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    br::World& w = br::g_world;
    w.stock_shapes = true;
    w.options.fake_lag_seconds = 0;
    w.options.fake_loss_percent = 0;
  }
  void TearDown() override { br::net_reset(br::g_world); }

  void connect(float lag_seconds) {
    br::World& w = br::g_world;
    w.options.fake_lag_seconds = lag_seconds;
    ASSERT_TRUE(br::net_connect(w, "127.0.0.1:" + std::to_string(server_.port()), ""));
    ASSERT_FALSE(server_.received().empty());  // the hello: the server knows where we are
  }

  FakeServer server_;
};

// A client that stalled two seconds runs 256 steps in one pass. What the server sent meanwhile
// must reach it the lag's worth of steps into the pass, not after it: by then a rider silent
// for a second would no longer hold back the results.
TEST_F(NetRaceTest, AfterAStallPacketsComeInBetweenTheCaughtUpSteps) {
  connect(0.2f);
  br::World& w = br::g_world;
  server_.chat(0);  // sent during the stall
  const int lag_steps = static_cast<int>(0.2 / w.step);
  std::vector<uint32_t> handled;  // messages handled before each step
  double simulated = 8.0;
  bool whole = catch_up(w, 10.0, 10.0, simulated, [&]() {
    handled.push_back(w.net.inbox.expected);
    // The server goes on talking while the pass runs.
    if (handled.size() == 100) server_.chat(1);
    return true;
  });
  EXPECT_TRUE(whole);
  ASSERT_EQ(handled.size(), 256u);
  EXPECT_EQ(handled[static_cast<size_t>(lag_steps) - 2], 0u);  // the lag is still kept
  EXPECT_EQ(handled[static_cast<size_t>(lag_steps) + 2], 1u);
  EXPECT_EQ(handled[100 + static_cast<size_t>(lag_steps) + 2], 2u);
  int acks = 0;
  for (const br::ClientPacket& p : server_.received()) acks += p.type == br::kPacketAck;
  EXPECT_EQ(acks, 2);

  // A step may end the pass.
  int steps = 0;
  simulated = 0;
  EXPECT_FALSE(catch_up(w, 1.0, 1.0, simulated, [&]() { return ++steps < 3; }));
  EXPECT_EQ(steps, 3);
}

// Leaving after the final results: a server that acknowledges the own rider's last records
// one by one, slower than the patience in all, is waited for; a silent one is not.
TEST_F(NetRaceTest, TheOutboxIsDeliveredWhileTheServerKeepsAcknowledging) {
  connect(0);
  br::World& w = br::g_world;
  for (int i = 0; i < 20; ++i) br::queue_reliable(w.net.outbox, br::kMessageChat, "record");
  double t = 0, next_ack = 0.4;
  bool acknowledging = true;
  NetClock clock;
  clock.now = [&] { return t; };
  clock.sleep = [&](double seconds) {
    t += seconds;
    if (t < next_ack) return;
    next_ack += 0.4;
    for (const br::ClientPacket& p : server_.received()) {
      if (acknowledging && p.type == br::kPacketReliable) server_.acknowledge(p.sequence);
    }
  };
  EXPECT_TRUE(deliver_outbox(w, clock, 5.0));
  EXPECT_TRUE(w.net.outbox.queue.empty());
  EXPECT_GT(t, 5.0);

  acknowledging = false;
  br::queue_reliable(w.net.outbox, br::kMessageChat, "record");
  t = 100;
  EXPECT_FALSE(deliver_outbox(w, clock, 5.0));
  EXPECT_EQ(w.net.outbox.queue.size(), 1u);
  EXPECT_NEAR(t, 105, 0.1);
}

}  // namespace
}  // namespace brrace
