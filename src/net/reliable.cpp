#include "net/reliable.h"

#include <utility>

namespace br {
namespace {

// How far `a` lies after `b` in the wrapping sequence space (negative: before).
int64_t sequence_lead(uint32_t a, uint32_t b) {
  return static_cast<int32_t>(a - b);
}

}  // namespace

uint32_t queue_reliable(ReliableOutbox& out, uint8_t type, std::string payload) {
  ReliableMessage m;
  m.sequence = out.next_sequence++;
  m.type = type;
  m.payload = std::move(payload);
  out.queue.push_back(std::move(m));
  return out.queue.back().sequence;
}

const ReliableMessage* reliable_due(ReliableOutbox& out, double now) {
  if (out.queue.empty()) return nullptr;
  if (out.head_sent && now - out.head_sent_at < kReliableResendSeconds) return nullptr;
  out.head_sent = true;
  out.head_sent_at = now;
  return &out.queue.front();
}

bool reliable_acknowledged(ReliableOutbox& out, uint32_t sequence) {
  if (out.queue.empty() || out.queue.front().sequence != sequence) return false;
  out.queue.pop_front();
  out.head_sent = false;
  return true;
}

std::vector<ReliableMessage> reliable_received(ReliableInbox& in, ReliableMessage m) {
  std::vector<ReliableMessage> ready;
  int64_t lead = sequence_lead(m.sequence, in.expected);
  if (lead < 0) return ready;  // already handled
  if (lead > 0) {
    if (lead <= kMaxSequenceLead && in.early.size() < kMaxEarlyMessages) {
      in.early.emplace(m.sequence, std::move(m));  // a repeat leaves the first copy
    }
    return ready;
  }
  ready.push_back(std::move(m));
  ++in.expected;
  for (auto it = in.early.find(in.expected); it != in.early.end();
       it = in.early.find(in.expected)) {
    ready.push_back(std::move(it->second));
    in.early.erase(it);
    ++in.expected;
  }
  return ready;
}

}  // namespace br
