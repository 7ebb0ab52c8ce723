// bermrider-server's receive path: datagrams from three riders' addresses, handled one by
// one as the race thread handles them, with the race clock moving between them. The input is
// a list of records: sender byte, time byte, 2-byte length, the datagram. A sender byte with
// its high bit set has the datagram carry the id and key that sender was given, so that the
// fuzzer gets past the handshake; without it the datagram goes as it is.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bike/physics_world.h"
#include "files/little_endian.h"
#include "fuzz_support.h"
#include "race.h"
#include "relay.h"
#include "server.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "world/world.h"

namespace {

constexpr int kSenders = 3;
constexpr double kStartSeconds = 1000.0;

struct Bench {
  brserver::Server server;
  kota::UdpSocket riders[kSenders];  // where the server's answers go; drained, never read
  kota::UdpAddress addresses[kSenders];
};

Bench& bench() {
  static Bench* b = [] {
    br_fuzz::fuzz_home();
    // The server logs every join and drop on standard output; libFuzzer reports on the other.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    br::world_reset();
    br::install_scenery_steps();
    if (!br::build_startup_track_list()) std::abort();
    br::physics_world_open(br::g_world);
    auto* made = new Bench;
    brserver::ServerConfig& c = made->server.config;
    c.port = 0;
    c.address = "127.0.0.1";
    c.warmup = 2;
    c.start_delay = 5;
    c.pause = 1;
    std::string error;
    if (!brserver::server_open(made->server, kStartSeconds, error)) std::abort();
    for (int i = 0; i < kSenders; ++i) {
      if (!made->riders[i].open(0, kota::udp_loopback(0).host, error)) std::abort();
      made->addresses[i] = kota::udp_loopback(made->riders[i].local_port());
    }
    return made;
  }();
  return *b;
}

// A fresh race on the loaded track with nobody in it; the socket and the track stay.
void restart(brserver::Server& s) {
  s.clients = std::vector<brserver::Client>(brserver::kSlots);
  s.race = brserver::Race{};
  s.keys.seed(1);
  s.step = 0;
  s.last_relay_step = -1;
  s.restart_wanted = false;
  for (br::RiderSlot& slot : br::g_world.slots) slot.last_server_frame = 0;
  std::string error;
  if (!brserver::race_open(s, kStartSeconds, error)) std::abort();
}

void drain(Bench& b) {
  uint8_t buffer[2048];
  kota::UdpAddress from;
  for (kota::UdpSocket& r : b.riders) {
    while (r.receive(buffer, sizeof buffer, from)) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bench& b = bench();
  brserver::Server& s = b.server;
  restart(s);
  double now = kStartSeconds;
  size_t at = 0;
  std::vector<uint8_t> datagram;
  while (at + 4 <= size) {
    uint8_t sender = data[at];
    now += data[at + 1] / 64.0;
    size_t length = std::min<size_t>(br::read_u16_le(data + at + 2), size - at - 4);
    datagram.assign(data + at + 4, data + at + 4 + length);
    at += 4 + length;

    const kota::UdpAddress& from = b.addresses[(sender & 0x7f) % kSenders];
    if ((sender & 0x80) && datagram.size() >= br::kDisconnectBytes) {
      for (const brserver::Client& c : s.clients) {
        if (!c.used || !(c.address == from)) continue;
        br::write_u32_le(datagram.data() + 1, static_cast<uint32_t>(brserver::slot_of(s, c)));
        br::write_u32_le(datagram.data() + 5, c.key);
        break;
      }
    }
    brserver::server_datagram(s, from, datagram, now);
    brserver::race_tick(s, now);
    brserver::relay_tick(s, now);
  }
  drain(b);
  return 0;
}
