// Hostile traffic for a running bermrider-server, over real UDP sockets on loopback
// addresses: random bytes, every client packet type whole, cut short, mutated or padded,
// packets that borrow other riders' ids, and reliable messages with lying counts and names
// from riders the flood itself joined (so that they get past the id and key checks).
//   net_flood PORT DATAGRAMS [PER-SECOND [SEED]]
// It sends from several addresses of 127.0.0.0/8 and stops by itself after DATAGRAMS.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "net/packets.h"
#include "net/protocol.h"
#include "platform/udp.h"

namespace {

constexpr int kAddresses = 8;         // 127.0.0.2 and on
constexpr int kSocketsPerAddress = 2;
constexpr int kBurst = 50;            // datagrams between pauses and reply checks

// One hostile sender; once welcomed, it signs its packets as the rider it was given.
struct Source {
  kota::UdpSocket socket;
  uint32_t id = br::kNoClientId;
  uint32_t key = 0;
  uint32_t sequence = 0;
};

const uint8_t kClientTypes[] = {
    br::kPacketHello,          br::kPacketClientInfo,     br::kPacketTrackAck,
    br::kPacketRiderAck,       br::kPacketReady,          br::kPacketState,
    br::kPacketRestartRequest, br::kPacketRestartAck,     br::kPacketDisconnect,
    br::kPacketReliable,       br::kPacketAck,
};

class Flood {
 public:
  explicit Flood(uint32_t seed) : dice_(seed) {}

  uint32_t any() { return static_cast<uint32_t>(dice_()); }
  uint32_t below(uint32_t n) { return n == 0 ? 0 : any() % n; }

  std::string junk(size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(any());
    return s;
  }

  // A reliable message's payload that lies: timing records fewer than their count, a rider
  // description of garbage, upload commands with bad names and oversized parts, long chat.
  std::string lying_payload(uint8_t& message) {
    switch (below(5)) {
      case 0: {
        message = br::kMessageTiming;
        std::string p = br::write_own_timing(any(), below(1 << 17), static_cast<int32_t>(any()));
        p[4] = static_cast<char>(any());  // the count, and maybe a race number never run
        p.resize(below(static_cast<uint32_t>(p.size()) + 12));
        return p;
      }
      case 1:
        message = br::kMessageClientInfo;
        return junk(below(br::kMaxReliablePayload + 40));
      case 2: {
        message = br::kMessageCommand;
        const char* commands[] = {"sendfile", "sendpart -", "namefile ", "namefile ../../",
                                  "namefile .hidden", "sendpart"};
        return commands[below(6)] + junk(below(br::kMaxReliablePayload));
      }
      case 3:
        message = br::kMessageChat;
        return junk(below(br::kMaxReliablePayload + 40));
      default:
        message = static_cast<uint8_t>(any());
        return junk(below(64));
    }
  }

  // A well-formed packet of any client type, signed by the source when it can.
  br::Bytes packet(Source& from) {
    br::ClientPacket p;
    p.type = kClientTypes[below(sizeof kClientTypes)];
    bool signed_ = from.id != br::kNoClientId && below(4) != 0;
    // Without its own id it borrows a low one: the real riders usually have those.
    p.id = signed_ ? from.id : (below(2) ? below(4) : any());
    p.key = signed_ ? from.key : any();
    p.password = below(2);
    p.protocol = below(2) ? br::kClientProtocol : any();
    p.proof = any();
    p.race = below(2) ? below(4) : any();
    p.slot = below(2) ? below(br::kNetSlots + 8) : any();
    p.server_step = any();
    p.local_step = any();
    for (uint8_t& b : p.snapshot) b = static_cast<uint8_t>(any());
    p.sequence = below(4) ? from.sequence++ : any();
    p.message = static_cast<uint8_t>(any());
    if (p.type == br::kPacketReliable) {
      p.text = lying_payload(p.message);
    } else if (p.type == br::kPacketClientInfo) {
      p.text = junk(below(br::kMaxDescriptionBytes + 60));
    }
    return br::write_client_packet(p);
  }

  br::Bytes datagram(Source& from) {
    switch (below(6)) {
      case 0: {  // noise, now and then longer than any packet may be
        std::string n = junk(below(8) ? below(80) : below(1400));
        return br::Bytes(n.begin(), n.end());
      }
      case 1:
        return packet(from);
      case 2: {  // cut short
        br::Bytes b = packet(from);
        b.resize(below(static_cast<uint32_t>(b.size())));
        return b;
      }
      case 3: {  // a few bytes changed, the header included
        br::Bytes b = packet(from);
        for (uint32_t k = 1 + below(4); k > 0 && !b.empty(); --k) {
          b[below(static_cast<uint32_t>(b.size()))] = static_cast<uint8_t>(any());
        }
        return b;
      }
      case 4: {  // longer than its type allows
        br::Bytes b = packet(from);
        std::string tail = junk(1 + below(600));
        b.insert(b.end(), tail.begin(), tail.end());
        return b;
      }
      default: {  // a hello, to take a slot and sign later packets
        br::ClientPacket hello;
        hello.type = br::kPacketHello;
        hello.protocol = br::kClientProtocol;
        return br::write_client_packet(hello);
      }
    }
  }

 private:
  std::mt19937 dice_;
};

// Welcomes give a source its id and key; everything else the server says is let go.
int read_replies(Source& s) {
  int welcomed = 0;
  uint8_t buffer[2048];
  kota::UdpAddress from;
  while (std::optional<size_t> n = s.socket.receive(buffer, sizeof buffer, from)) {
    std::optional<br::ServerPacket> p =
        br::read_server_packet(std::span<const uint8_t>(buffer, *n));
    if (p && p->type == br::kPacketWelcome) {
      s.id = p->id;
      s.key = p->key;
      s.sequence = 0;
      ++welcomed;
    }
  }
  return welcomed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: net_flood PORT DATAGRAMS [PER-SECOND [SEED]]\n", stderr);
    return 2;
  }
  int port = std::atoi(argv[1]);
  long total = std::atol(argv[2]);
  double rate = argc > 3 ? std::atof(argv[3]) : 5000;
  uint32_t seed = argc > 4 ? static_cast<uint32_t>(std::atol(argv[4])) : 1;
  if (port <= 0 || port > 65535 || total < 0 || rate <= 0) {
    std::fputs("net_flood: bad arguments\n", stderr);
    return 2;
  }
  kota::UdpAddress server = kota::udp_loopback(static_cast<uint16_t>(port));

  std::vector<Source> sources(kAddresses * kSocketsPerAddress);
  for (size_t i = 0; i < sources.size(); ++i) {
    kota::UdpAddress here = kota::udp_loopback(0);
    here.host += 1 + static_cast<uint32_t>(i / kSocketsPerAddress);  // 127.0.0.2 ...
    std::string error;
    if (!sources[i].socket.open(0, here.host, error)) {
      std::fprintf(stderr, "net_flood: can't open a socket on %s: %s\n",
                   kota::udp_address_text(here).c_str(), error.c_str());
      return 1;
    }
  }

  Flood flood(seed);
  auto started = std::chrono::steady_clock::now();
  long sent = 0, refused = 0;
  int welcomed = 0;
  for (long i = 0; i < total; ++i) {
    Source& from = sources[flood.below(static_cast<uint32_t>(sources.size()))];
    br::Bytes d = flood.datagram(from);
    std::string error;
    if (from.socket.send_to(server, d.data(), d.size(), error)) {
      ++sent;
    } else {
      ++refused;  // the socket layer's own limits (a full buffer); the flood goes on
    }
    if ((i + 1) % kBurst == 0) {
      for (Source& s : sources) welcomed += read_replies(s);
      auto due = started + std::chrono::duration<double>((i + 1) / rate);
      std::this_thread::sleep_until(due);
    }
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("Flood: %ld datagrams sent (%ld not sent) from %zu sockets on %d addresses in "
              "%.1f s; welcomed %d times\n",
              sent, refused, sources.size(), kAddresses, seconds, welcomed);
  return 0;
}
