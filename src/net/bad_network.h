// A bad network on purpose (--fake-lag, --fake-loss): received datagrams wait in a queue
// stamped with their arrival and are handed on once the lag has passed; each may be dropped
// on the way in. Its dice are its own, so the simulation's random numbers are untouched.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <vector>

#include "platform/udp.h"

namespace br {

constexpr size_t kBadNetworkQueue = 1024;  // datagrams waiting at most
constexpr double kMaxFakeLag = 1.0;        // seconds

struct Datagram {
  std::vector<uint8_t> bytes;
  kota::UdpAddress from;
  double arrived = 0;  // seconds
};

struct BadNetwork {
  double lag = 0;    // seconds, 0..1
  int loss = 0;      // percent, 0..100
  std::deque<Datagram> waiting;
  std::mt19937 dice{0x6c6f7373};
};

// Takes in a datagram that arrived at `now`: dropped by chance, or when the queue is full.
void bad_network_arrive(BadNetwork& n, Datagram d);

// The oldest datagram whose lag has passed at `now`, if any.
std::optional<Datagram> bad_network_deliver(BadNetwork& n, double now);

}  // namespace br
