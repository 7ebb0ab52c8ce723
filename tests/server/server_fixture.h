// A bermrider-server run inside the test on 127.0.0.1 and a free port, on a clock the test
// moves by hand, with riders that are plain sockets speaking the protocol packet by packet.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "bike/physics_world.h"
#include "net/description.h"
#include "net/packets.h"
#include "race.h"
#include "relay.h"
#include "server.h"
#include "support/data_dirs.h"
#include "support/temp_dir.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "track/track_loader.h"

namespace br_test {

// A rider as the server sees it: a socket of its own and the id and key it was given.
class RawRider {
 public:
  explicit RawRider(uint16_t server_port) : server_(kota::udp_loopback(server_port)) {
    std::string error;
    EXPECT_TRUE(socket_.open(0, kota::udp_loopback(0).host, error)) << error;
  }

  void send(br::ClientPacket p) {
    if (p.type != br::kPacketHello) {
      p.id = id;
      p.key = key;
    }
    send_bytes(br::write_client_packet(p));
  }
  void send_bytes(const br::Bytes& b) {
    std::string error;
    EXPECT_TRUE(socket_.send_to(server_, b.data(), b.size(), error)) << error;
  }
  br::ClientPacket packet(uint8_t type) const {
    br::ClientPacket p;
    p.type = type;
    p.race = race;
    return p;
  }

  // Everything the server has sent since the last call.
  std::vector<br::ServerPacket> received() {
    std::vector<br::ServerPacket> out;
    uint8_t buffer[2048];
    kota::UdpAddress from;
    while (std::optional<size_t> n = socket_.receive(buffer, sizeof buffer, from)) {
      if (auto p = br::read_server_packet(std::span<const uint8_t>(buffer, *n))) {
        out.push_back(*p);
      }
    }
    return out;
  }

  uint16_t port() const { return socket_.local_port(); }

  uint32_t id = br::kNoClientId;
  uint32_t key = 0;
  uint32_t race = 0;

 private:
  kota::UdpSocket socket_;
  kota::UdpAddress server_;
};

inline std::optional<br::ServerPacket> find(const std::vector<br::ServerPacket>& ps,
                                            uint8_t type) {
  for (const br::ServerPacket& p : ps) {
    if (p.type == type) return p;
  }
  return std::nullopt;
}

inline br::RiderIdentity test_rider(const std::string& name) {
  br::RiderIdentity r;
  r.bike_model = "cr125";
  r.number = "7";
  r.name = name;
  return r;
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    use_data_directory(BR_DATA_DIR);
    setenv("XDG_DATA_HOME", home_.path().c_str(), 1);
    br::data_files_reset();
    br::world_reset();
    br::install_scenery_steps();
    ASSERT_TRUE(br::build_startup_track_list());
    br::physics_world_open(br::g_world);
    s_.config.port = 0;
    s_.config.address = "127.0.0.1";
    s_.config.warmup = 2;
    s_.config.start_delay = 5;
    s_.config.pause = 1;
  }
  void TearDown() override {
    s_.socket.close();
    if (br::g_world.track.loaded) br::free_track();
    br::physics_world_close(br::g_world);
    restore_data_directories();
  }

  void open() {
    std::string error;
    ASSERT_TRUE(brserver::server_open(s_, now_, error)) << error;
  }
  uint16_t port() const { return s_.socket.local_port(); }

  // One pass of the race thread, `seconds` later than the last.
  void pass(double seconds = 1.0 / 128) {
    now_ += seconds;
    brserver::server_receive(s_, now_);
    brserver::race_tick(s_, now_);
    brserver::relay_tick(s_, now_);
  }

  // Hello and welcome: the rider has its id and key.
  void join(RawRider& r, const std::string& password = "") {
    br::ClientPacket hello;
    hello.type = br::kPacketHello;
    hello.password = !password.empty();
    hello.protocol = br::kClientProtocol;
    r.send(hello);
    pass();
    auto welcome = find(r.received(), br::kPacketWelcome);
    ASSERT_TRUE(welcome);
    r.id = welcome->id;
    r.key = welcome->key;
  }

  // The whole handshake up to the clock; returns the slots described to the rider.
  std::vector<uint32_t> set_up(RawRider& r, const std::string& name,
                               const std::string& password = "") {
    std::vector<uint32_t> described;
    if (r.id == br::kNoClientId) join(r, password);
    br::ClientPacket info = r.packet(br::kPacketClientInfo);
    info.proof = br::password_proof(password, r.key);
    info.text = br::description_text(test_rider(name));
    r.send(info);
    pass();
    auto race = find(r.received(), br::kPacketRaceInfo);
    EXPECT_TRUE(race);
    if (!race) return described;
    r.race = race->race;
    return take_riders(r, described);
  }

  // From the track acknowledgment to the clock.
  std::vector<uint32_t> take_riders(RawRider& r, std::vector<uint32_t>& described) {
    r.send(r.packet(br::kPacketTrackAck));
    for (int guard = 0; guard < 200; ++guard) {
      pass();
      std::vector<br::ServerPacket> got = r.received();
      if (auto d = find(got, br::kPacketRiderDescription)) {
        described.push_back(d->slot);
        br::ClientPacket ack = r.packet(br::kPacketRiderAck);
        ack.slot = d->slot;
        r.send(ack);
        continue;
      }
      if (auto mine = find(got, br::kPacketYourRider)) {
        EXPECT_EQ(mine->slot, r.id);
        r.send(r.packet(br::kPacketReady));
        pass();
        EXPECT_TRUE(find(r.received(), br::kPacketClock));
        return described;
      }
    }
    ADD_FAILURE() << "the rider list never ended";
    return described;
  }

  void send_state(RawRider& r, uint32_t local_step) {
    br::ClientPacket st = r.packet(br::kPacketState);
    st.local_step = local_step;
    st.server_step = static_cast<uint32_t>(s_.step);
    st.snapshot[0] = static_cast<uint8_t>(local_step);
    r.send(st);
  }

  TempDir home_;
  brserver::Server s_;
  double now_ = 1000.0;
};

}  // namespace br_test
