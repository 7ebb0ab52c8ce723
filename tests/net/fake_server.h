// A server made of one socket on 127.0.0.1 that a test speaks for packet by packet: it hears
// whatever the client under test sends and answers to wherever that came from.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/packets.h"
#include "platform/udp.h"

namespace br_test {

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
  void send(const br::ServerPacket& p, std::optional<uint32_t> announced = {}) {
    br::Bytes b = br::write_server_packet(p, announced);
    std::string error;
    EXPECT_TRUE(socket_.send_to(client_, b.data(), b.size(), error)) << error;
  }

 private:
  kota::UdpSocket socket_;
  kota::UdpAddress client_;
};

}  // namespace br_test
