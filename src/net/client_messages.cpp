// Reliable messages between the client and the server: chat and status lines, timing records
// and server commands coming in; the rider's changes and its own timing records going out.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "bike/bike.h"
#include "files/messages.h"
#include "net/client.h"
#include "net/client_parts.h"
#include "net/description.h"
#include "platform/log.h"
#include "race/rider_timing.h"

namespace br {
namespace {

constexpr int kMaxKnockoutTicks = 1 << 20;

bool starts_with_word(const std::string& text, const char* word, std::string* rest) {
  size_t n = std::char_traits<char>::length(word);
  if (text.compare(0, n, word) != 0) return false;
  if (text.size() > n && text[n] != ' ') return false;
  if (rest) *rest = text.size() > n ? text.substr(n + 1) : std::string();
  return true;
}

std::optional<double> finite_number(const std::string& text) {
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// "knockout" fills the table from its first entry: a value missing or unreadable repeats the
// one before it (0 before the first).
void set_knockout(World& w, const std::string& values) {
  const char* p = values.c_str();
  int previous = 0;
  for (int& entry : w.knockout_ticks) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(p, &end, 10);
    if (end != p && errno == 0) {
      previous = static_cast<int>(std::clamp<long>(v, 0, kMaxKnockoutTicks));
      p = end;
    } else {
      // Skip the unreadable word so that the next value is read in its place.
      while (*p == ' ') ++p;
      while (*p && *p != ' ') ++p;
    }
    entry = previous;
  }
}

void no_arcade(World& w) {
  w.net.no_arcade = true;
  if (w.settings.setup.arcade.text() != "Yes") return;
  show_message("Arcade physics disabled");
  for (RiderSlot& slot : w.slots) {
    if (slot.bike && slot.control == kControlLocal) slot.bike->setup.arcade_physics = false;
  }
}

void server_command(World& w, const std::string& text) {
  std::string rest;
  if (text == "no_arcade") {
    no_arcade(w);
  } else if (starts_with_word(text, "off_course_bias", &rest)) {
    if (std::optional<double> v = finite_number(rest)) w.net.off_course_bias = *v;
  } else if (starts_with_word(text, "off_course_scale", &rest)) {
    if (std::optional<double> v = finite_number(rest)) w.net.off_course_scale = *v;
  } else if (starts_with_word(text, "knockout", &rest)) {
    set_knockout(w, rest);
  } else if (text == "sendready" || text == "senddenied") {
    upload_command(w, text);
  } else {
    kota::log_printf("Unknown server command '%s'\n", printable_text(text, 100).c_str());
  }
}

void timing_records(World& w, const std::string& payload) {
  uint32_t race = 0;
  std::optional<std::vector<TimingRecord>> records = read_timing_records(payload, race);
  if (!records || race != w.net.race) return;
  for (const TimingRecord& r : *records) {
    if (r.slot >= kNoRiderSlot || r.slot == w.net.race_slot || r.index >= kMaxTimingIndex) {
      continue;
    }
    take_gate_record(w, static_cast<int>(r.slot), static_cast<int>(r.index), r.step);
  }
}

// Every record the own rider has made since the server last heard; a rider set back (fewer
// records) sends its new last one, after which the server forgets the rest.
void queue_own_timing(World& w) {
  NetState& n = w.net;
  if (w.local_slot < 0) return;
  const RiderTiming& t = w.slots[static_cast<size_t>(w.local_slot)].timing;
  int count = std::min(t.gates_passed, static_cast<int>(t.gate_times.size()));
  if (count == n.timing_sent) return;
  int from = count > n.timing_sent ? n.timing_sent : count - 1;
  for (int i = std::max(from, 0); i < count; ++i) {
    queue_to_server(w, kMessageTiming,
                    write_own_timing(n.race, static_cast<uint32_t>(i),
                                     t.gate_times[static_cast<size_t>(i)]));
  }
  n.timing_sent = count;
}

}  // namespace

void handle_server_message(World& w, uint8_t type, const std::string& payload) {
  switch (type) {
    case kMessageChat: {
      std::string text = printable_text(payload, kMaxReliablePayload);
      show_message("%s", text.c_str());
      note_server_text(w, text);
      break;
    }
    case kMessageTiming:
      timing_records(w, payload);
      break;
    case kMessageCommand:
      server_command(w, payload);
      break;
    default:
      break;
  }
}

void queue_racing_messages(World& w) {
  NetState& n = w.net;
  // A change made in a menu goes once the menu is closed, so a rider leafing through the
  // bikes does not send each one.
  if (w.menu == kNoMenu) {
    std::string d = description_text(own_identity(w));
    if (d != n.sent_description) {
      n.sent_description = d;
      queue_to_server(w, kMessageClientInfo, d);
    }
  }
  queue_own_timing(w);
}

}  // namespace br
