// Reliable messages: numbered from 0, one in flight at a time and sent again every 0.5 s
// until acknowledged; received ones are handed on in order, early ones kept until the gap
// before them closes. Client and server each keep one outgoing and one incoming queue per
// connection.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace br {

constexpr double kReliableResendSeconds = 0.5;
// Early arrivals kept at most, and how far ahead of the expected number one may be; a peer
// that sends beyond either is not waited for.
constexpr size_t kMaxEarlyMessages = 256;
constexpr uint32_t kMaxSequenceLead = 4096;

struct ReliableMessage {
  uint32_t sequence = 0;
  uint8_t type = 0;
  std::string payload;
};

struct ReliableOutbox {
  std::deque<ReliableMessage> queue;
  uint32_t next_sequence = 0;
  double head_sent_at = 0;  // seconds; when the head last went out
  bool head_sent = false;
};

struct ReliableInbox {
  uint32_t expected = 0;
  std::map<uint32_t, ReliableMessage> early;  // by sequence number
};

// Appends a message with the next sequence number; returns that number.
uint32_t queue_reliable(ReliableOutbox& out, uint8_t type, std::string payload);

// The head when it is due at `now` (never sent, or sent 0.5 s ago or more), marked as sent;
// nullptr otherwise.
const ReliableMessage* reliable_due(ReliableOutbox& out, double now);

// The peer acknowledged `sequence`: the head goes if it carries that number. True if it went.
bool reliable_acknowledged(ReliableOutbox& out, uint32_t sequence);

// Takes in a received message; returns the messages now ready, in order (none for a repeat,
// an old one or an early one).
std::vector<ReliableMessage> reliable_received(ReliableInbox& in, ReliableMessage m);

}  // namespace br
