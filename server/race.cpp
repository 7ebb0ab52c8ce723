#include "race.h"

#include <algorithm>
#include <cmath>

#include "race_rules.h"
#include "results.h"
#include "track/track_loader.h"

namespace brserver {
namespace {

constexpr int32_t kStandingsEverySteps = 512;
constexpr int32_t kStandingsStepInCycle = 510;
constexpr int32_t kNeverHeard = INT32_MIN / 2;  // a slot the rules count as long silent

int32_t seconds_to_steps(double seconds) {
  return static_cast<int32_t>(std::lround(seconds * kStepsPerSecond));
}

// Loads the track at `rotation` of the configured list, or the first after it that loads.
bool load_rotation_track(Server& s, int rotation) {
  br::World& w = br::g_world;
  const std::vector<std::string>& tracks = s.config.tracks;
  for (size_t tried = 0; tried < tracks.size(); ++tried) {
    int index = static_cast<int>((rotation + tried) % tracks.size());
    const std::string& name = tracks[static_cast<size_t>(index)];
    bool listed = std::find(w.track.list.dirs.begin(), w.track.list.dirs.end(), name) !=
                  w.track.list.dirs.end();
    if (!listed) {
      server_log("No track '%s' in the game data", name.c_str());
      continue;
    }
    if (!(w.track.loaded && w.track.dir == name) && !br::load_track(name)) {
      server_log("Can't load track '%s'", name.c_str());
      continue;
    }
    s.race.rotation = index;
    s.race.track = name;
    s.race.digest = w.track.digest;
    return true;
  }
  return false;
}

bool in_current_race(const Server& s, const Client& c) {
  return c.used && c.stage == Stage::kRacing && c.generation == s.race.number;
}

bool riders_racing(const Server& s) {
  return std::any_of(s.clients.begin(), s.clients.end(),
                     [](const Client& c) { return c.used && c.racing; });
}

bool anyone_here(const Server& s) {
  return std::any_of(s.clients.begin(), s.clients.end(), [](const Client& c) { return c.used; });
}

// Everybody the server may have: the warm-up can end early.
bool field_complete(const Server& s) {
  int ready = 0;
  for (const Client& c : s.clients) {
    if (!c.used) continue;
    if (c.stage != Stage::kRacing) return false;
    ++ready;
  }
  return ready >= s.config.max_riders;
}

void finish_race(Server& s, double now, const char* why) {
  br::World& w = br::g_world;
  if (!rules_final(w)) rules_force_final(w, s.step);
  s.race.phase = Phase::kFinished;
  s.race.phase_since = now;
  int place = 0;
  for (const br::RiderOrderEntry& e : w.order) {
    Client& c = s.clients[static_cast<size_t>(e.slot)];
    if (c.used && c.racing) c.last_place = place;
    ++place;
  }
  publish_standings(s);
  std::string file = write_race_results(s);
  server_log("Race %u on %s: %s; results in %s", s.race.number, s.race.track.c_str(), why,
             file.empty() ? "(not written)" : file.c_str());
  const StandingsView view = s.board.read();
  if (!view.rows.empty()) {
    say_to_all(s, "Winner: #" + view.rows.front().number + " " + view.rows.front().name);
  }
}

// The game's rules let a rider hold back the results for one second of silence, which suits
// a client that hears everybody through the server. The server hears each rider directly,
// and on a loaded machine a rider (or the server itself) may stall for longer than that and
// would lose its race. Here a rider on the grid holds the results back while the server keeps
// it: while it is still being told of the race (forty riders' descriptions on a slow network
// take a while), and then until its states have been missing for the drop timeout.
void stamp_riders_heard(Server& s, double now) {
  br::World& w = br::g_world;
  for (int slot = 0; slot < kSlots; ++slot) {
    const Client& c = s.clients[static_cast<size_t>(slot)];
    bool setting_up = !in_current_race(s, c) || c.restart_pending;
    bool riding = c.used && c.racing && (setting_up || now - c.last_state <= s.config.timeout);
    w.slots[static_cast<size_t>(slot)].last_server_frame = riding ? s.step : kNeverHeard;
  }
}

void relay_timing(Server& s, int slot, uint32_t index, int32_t step) {
  for (Client& other : s.clients) {
    if (&other == &s.clients[static_cast<size_t>(slot)]) continue;
    if (!in_current_race(s, other) || !other.known.test(static_cast<size_t>(slot))) continue;
    other.timing_to_relay.push_back({static_cast<uint32_t>(slot), index, step});
  }
}

}  // namespace

bool race_open(Server& s, double now, std::string& error) {
  if (s.config.tracks.empty() || !load_rotation_track(s, 0)) {
    error = "none of the configured tracks can be raced";
    return false;
  }
  Race& r = s.race;
  r.phase = Phase::kWarmup;
  r.epoch = now;
  r.first_ready = -1;
  // Warming up is free riding: the gate is down from the start.
  r.start_step = 0;
  r.duration = 0;
  r.laps = s.config.laps;
  rules_new_race(br::g_world, {r.start_step, r.duration, r.laps});
  server_log("Warming up on %s", r.track.c_str());
  publish_standings(s);
  return true;
}

void announce_race(Server& s, double now, bool next_track) {
  Race& r = s.race;
  if (next_track && !load_rotation_track(s, r.rotation + 1)) {
    server_log("No other track loads; staying on %s", r.track.c_str());
  }
  r.number += 1;
  r.epoch = now;
  s.step = 0;
  s.last_relay_step = -1;
  r.start_step = seconds_to_steps(s.config.start_delay);
  r.duration = seconds_to_steps(s.config.minutes * 60);
  r.laps = s.config.laps;
  r.phase = Phase::kRacing;
  r.phase_since = now;
  r.results_written = false;
  br::World& w = br::g_world;
  rules_new_race(w, {r.start_step, r.duration, r.laps});

  // The grid: the last race's order first, then the newest riders by when they joined.
  std::vector<Client*> field;
  std::fill(r.riders.begin(), r.riders.end(), br::RiderIdentity{});
  for (Client& c : s.clients) {
    c.racing = false;
    c.position = kNoPosition;
    c.restart_asked = false;
    if (c.used && !c.description.empty()) field.push_back(&c);
  }
  std::stable_sort(field.begin(), field.end(), [](const Client* a, const Client* b) {
    if (a->last_place != b->last_place) return a->last_place < b->last_place;
    return a->joined < b->joined;
  });
  int position = 0;
  for (Client* c : field) {
    c->position = position++;
    c->racing = true;
    c->position_sends = 0;
    c->restart_pending = c->stage == Stage::kRacing || c->stage == Stage::kStarting;
    r.riders[static_cast<size_t>(slot_of(s, *c))] = c->identity;
    rules_set_rider(w, slot_of(s, *c), true);
  }
  server_log("Race %u on %s: %zu riders, gate drops in %.0f s", r.number, r.track.c_str(),
             field.size(), s.config.start_delay);
  char text[200];
  std::snprintf(text, sizeof text, "Race %u on %s", r.number, r.track.c_str());
  say_to_all(s, text);
  publish_standings(s);
}

void send_race_info(Server& s, Client& c, double now) {
  const Race& r = s.race;
  br::ServerPacket p;
  p.type = br::kPacketRaceInfo;
  p.race = c.race;
  p.duration = r.duration;
  p.laps = r.laps;
  p.start_step = r.start_step;
  p.digest = r.digest;
  p.text = r.track;
  c.generation = r.number;
  c.stage = Stage::kTrackSent;
  c.last_handshake = now;
  send_packet(s, c, p);
}

void send_next_rider(Server& s, Client& c, double now) {
  c.last_handshake = now;
  for (int slot : c.to_describe) {
    if (c.described != br::kNoRiderSlot && slot <= static_cast<int>(c.described)) continue;
    const Client& other = s.clients[static_cast<size_t>(slot)];
    if (!other.used || other.description.empty()) continue;  // gone since
    br::ServerPacket p;
    p.type = br::kPacketRiderDescription;
    p.race = c.race;
    p.slot = static_cast<uint32_t>(slot);
    p.text = other.description;
    c.stage = Stage::kRiders;
    send_packet(s, c, p);
    return;
  }
  br::ServerPacket p;
  p.type = br::kPacketYourRider;
  p.race = c.race;
  p.slot = static_cast<uint32_t>(slot_of(s, c));
  p.text = c.description;
  c.stage = Stage::kStarting;
  send_packet(s, c, p);
}

void send_clock(Server& s, Client& c, double now) {
  br::ServerPacket p;
  p.type = br::kPacketClock;
  p.race = c.race;
  p.server_step = s.step;
  p.echo = c.echo;
  c.last_clock = now;
  send_packet(s, c, p);
}

void rider_ready(Server& s, Client& c, double now) {
  Race& r = s.race;
  if (c.generation != r.number) {
    // It set up a race that has since been replaced.
    c.restart_pending = true;
    return;
  }
  // Standing on its grid counts as being heard: its states follow.
  c.last_state = now;
  if (r.phase == Phase::kWarmup && r.first_ready < 0) r.first_ready = now;
}

void rider_heard(Server&, Client& c, double now) {
  c.last_state = now;
}

void restart_asked(Server& s, Client& c) {
  if (!c.racing || s.race.phase != Phase::kRacing || c.restart_asked) return;
  c.restart_asked = true;
  int racing = 0, asking = 0;
  for (const Client& o : s.clients) {
    if (!o.used || !o.racing) continue;
    ++racing;
    if (o.restart_asked) ++asking;
  }
  server_log("Rider %d asks for a restart (%d of %d)", slot_of(s, c), asking, racing);
  if (2 * asking > racing) s.restart_wanted = true;
}

void rider_left(Server& s, int slot) {
  for (Client& other : s.clients) other.known.reset(static_cast<size_t>(slot));
  br::g_world.slots[static_cast<size_t>(slot)].last_server_frame = kNeverHeard;
}

void rider_timing_record(Server& s, Client& c, uint32_t index, int32_t step, double now) {
  if (!in_current_race(s, c) || !c.racing || s.race.phase != Phase::kRacing) return;
  int slot = slot_of(s, c);
  stamp_riders_heard(s, now);
  rules_record(br::g_world, slot, static_cast<int>(index), step, s.step);
  relay_timing(s, slot, index, step);
  publish_standings(s);
}

void race_tick(Server& s, double now) {
  Race& r = s.race;
  int32_t previous = s.step;
  s.step = static_cast<int32_t>(std::floor((now - r.epoch) * kStepsPerSecond));
  br::World& w = br::g_world;
  w.frame = s.step;
  s.board.publish_clock(s.step);
  switch (r.phase) {
    case Phase::kWarmup:
      if (!anyone_here(s)) r.first_ready = -1;
      if (r.first_ready >= 0 && (now - r.first_ready >= s.config.warmup || field_complete(s))) {
        announce_race(s, now, false);
      }
      break;
    case Phase::kRacing: {
      if (s.restart_wanted) {
        s.restart_wanted = false;
        say_to_all(s, "Restarting the race");
        announce_race(s, now, false);
        break;
      }
      if (!anyone_here(s)) {
        finish_race(s, now, "everybody left");
        break;
      }
      if (s.step < r.start_step) break;
      // The standings' own update every 512 steps, as the clients run it.
      for (int32_t t = previous + 1; t <= s.step; ++t) {
        if (t % kStandingsEverySteps == kStandingsStepInCycle) {
          stamp_riders_heard(s, now);
          rules_update(w, s.step);
          publish_standings(s);
          break;
        }
      }
      if (rules_final(w)) {
        finish_race(s, now, "results final");
      } else if (!riders_racing(s)) {
        finish_race(s, now, "no riders left");
      } else if (s.config.race_limit > 0 &&
                 s.step - r.start_step >= seconds_to_steps(s.config.race_limit * 60)) {
        finish_race(s, now, "out of time");
      }
      break;
    }
    case Phase::kFinished:
      if (now - r.phase_since < s.config.pause) break;
      if (anyone_here(s)) {
        announce_race(s, now, true);
      } else {
        r.phase = Phase::kWarmup;
        r.first_ready = -1;
      }
      break;
  }
}

}  // namespace brserver
