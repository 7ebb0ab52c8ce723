#include "console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "net/description.h"
#include "race.h"

namespace brserver {
namespace {

constexpr size_t kMaxConsoleLine = 1024;

const char* stage_name(const Client& c) {
  switch (c.stage) {
    case Stage::kWelcomed:
      return "joining";
    case Stage::kTrackSent:
    case Stage::kRiders:
    case Stage::kStarting:
      return "setting up";
    case Stage::kRacing:
      return c.racing ? "racing" : "warming up";
    case Stage::kRestarting:
      return "restarting";
  }
  return "";
}

const char* phase_name(Phase p) {
  switch (p) {
    case Phase::kWarmup:
      return "warming up";
    case Phase::kRacing:
      return "racing";
    case Phase::kFinished:
      return "finished";
  }
  return "";
}

void list(const Server& s) {
  int n = 0;
  for (const Client& c : s.clients) {
    if (!c.used) continue;
    ++n;
    server_log("%3d  #%-3s %-20s %-16s %-11s ping %4d ms  %s", slot_of(s, c),
               c.identity.number.c_str(), c.identity.name.c_str(), c.identity.bike_model.c_str(),
               stage_name(c), c.ping * 1000 / kStepsPerSecond,
               kota::udp_address_text(c.address).c_str());
  }
  server_log("%d rider%s", n, n == 1 ? "" : "s");
}

void status(const Server& s) {
  const Race& r = s.race;
  server_log("Race %u on %s, %s, clock %.1f s (gate at %.1f s)", r.number, r.track.c_str(),
             phase_name(r.phase), s.step / double(kStepsPerSecond),
             r.start_step / double(kStepsPerSecond));
  server_log("In: %llu datagrams, %llu bytes (%llu refused); out: %llu datagrams, %llu bytes",
             static_cast<unsigned long long>(s.datagrams_in),
             static_cast<unsigned long long>(s.bytes_in),
             static_cast<unsigned long long>(s.refused_in),
             static_cast<unsigned long long>(s.datagrams_out),
             static_cast<unsigned long long>(s.bytes_out));
}

void kick(Server& s, const std::string& args) {
  char* end = nullptr;
  errno = 0;
  long slot = std::strtol(args.c_str(), &end, 10);
  if (end == args.c_str() || errno || slot < 0 || slot >= kSlots ||
      !s.clients[static_cast<size_t>(slot)].used) {
    server_log("No rider in slot '%s'", br::printable_text(args, 40).c_str());
    return;
  }
  std::string why = end;
  while (!why.empty() && why.front() == ' ') why.erase(0, 1);
  drop_client(s, s.clients[static_cast<size_t>(slot)], why.empty() ? "Kicked" : why, true);
}

}  // namespace

void console_command(Server& s, const std::string& raw, double now) {
  std::string line = raw;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  size_t space = line.find(' ');
  std::string word = line.substr(0, space);
  std::string args = space == std::string::npos ? "" : line.substr(space + 1);
  if (word.empty()) return;
  if (word == "list") {
    list(s);
  } else if (word == "kick") {
    kick(s, args);
  } else if (word == "restart") {
    say_to_all(s, "The server restarts the race");
    announce_race(s, now, false);
  } else if (word == "next") {
    announce_race(s, now, true);
  } else if (word == "say") {
    std::string text = br::printable_text(args, br::kMaxReliablePayload - 8);
    server_log("Server: %s", text.c_str());
    say_to_all(s, "Server: " + text);
  } else if (word == "status") {
    status(s);
  } else if (word == "stop" || word == "quit") {
    s.stopping = true;
  } else if (word == "help") {
    server_log("list | kick SLOT [WHY] | restart | next | say TEXT | status | stop");
  } else {
    server_log("Unknown command '%s' (help lists them)", br::printable_text(word, 40).c_str());
  }
}

bool console_poll(Server& s, std::string& pending, double now) {
  char buffer[512];
  ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (got == 0) return false;
  if (got < 0) return errno == EAGAIN || errno == EINTR;
  for (ssize_t i = 0; i < got; ++i) {
    if (buffer[i] == '\n') {
      console_command(s, pending, now);
      pending.clear();
    } else if (pending.size() < kMaxConsoleLine) {
      pending += buffer[i];
    }
  }
  return true;
}

}  // namespace brserver
