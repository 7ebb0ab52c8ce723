#include "net/bad_network.h"

#include <utility>

namespace br {

void bad_network_arrive(BadNetwork& n, Datagram d) {
  if (n.loss > 0 && static_cast<int>(n.dice() % 100) < n.loss) return;
  if (n.waiting.size() >= kBadNetworkQueue) return;
  n.waiting.push_back(std::move(d));
}

std::optional<Datagram> bad_network_deliver(BadNetwork& n, double now) {
  if (n.waiting.empty() || now - n.waiting.front().arrived < n.lag) return std::nullopt;
  Datagram d = std::move(n.waiting.front());
  n.waiting.pop_front();
  return d;
}

}  // namespace br
