#include "messages.h"

#include "net/chat.h"
#include "net/description.h"
#include "race.h"
#include "uploads.h"

namespace brserver {
namespace {

constexpr double kChatSpamSeconds = 2.0;
constexpr size_t kMaxChatChars = 200;

void chat(Server& s, Client& c, const std::string& payload, double now) {
  // Riders who talk faster than they could type are not passed on.
  if (now - c.last_chat < kChatSpamSeconds) return;
  c.last_chat = now;
  std::string text = br::printable_text(payload, kMaxChatChars);
  server_log("#%s %s: %s", c.identity.number.c_str(), c.identity.name.c_str(), text.c_str());
  say_to_all(s, c.identity.name + ": " + text);
}

void rider_changed(Server& s, Client& c, const std::string& payload) {
  std::optional<br::RiderIdentity> r = br::parse_description(payload);
  if (!r) return;
  c.identity = *r;
  c.description = br::description_text(*r);
  // The others see the new bike from the next race on.
  server_log("Rider %d is now #%s %s on %s", slot_of(s, c), r->number.c_str(), r->name.c_str(),
             r->bike_model.c_str());
}

void timing(Server& s, Client& c, const std::string& payload, double now) {
  uint32_t race = 0;
  std::optional<br::TimingRecord> t = br::read_own_timing(payload, race);
  if (!t || race != c.race || t->index >= br::kMaxTimingIndex) return;
  rider_timing_record(s, c, t->index, t->step, now);
}

}  // namespace

void handle_client_message(Server& s, Client& c, const br::ReliableMessage& m, double now) {
  switch (m.type) {
    case br::kMessageClientInfo:
      rider_changed(s, c, m.payload);
      break;
    case br::kMessageChat:
      chat(s, c, m.payload, now);
      break;
    case br::kMessageTiming:
      timing(s, c, m.payload, now);
      break;
    case br::kMessageCommand:
      upload_command(s, c, m.payload);
      break;
    default:
      break;
  }
}

}  // namespace brserver
