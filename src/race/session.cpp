#include "race/session.h"

#include <malloc.h>
#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "audio/world_sound.h"
#include "bike/apply_setup.h"
#include "bike/bike.h"
#include "files/home.h"
#include "files/messages.h"
#include "platform/log.h"
#include "race/grid.h"
#include "race/laps.h"
#include "race/rider_timing.h"
#include "race/robot_roster.h"
#include "race/series.h"
#include "race/standings.h"
#include "race/start_gates.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"
#include "replay/history.h"
#include "replay/history_pose.h"
#include "robot/auto_pilot.h"
#include "robot/learn.h"
#include "robot/line_file.h"
#include "robot/personality.h"
#include "robot/robot_lines.h"
#include "track/roost_pool.h"
#include "track/track_loader.h"
#include "world/bike_models.h"
#include "world/progress_text.h"

namespace br {
namespace {

constexpr const char* kFlushOn =
    "\x13"
    "FLUSH";
constexpr const char* kFlushOff =
    "\x13"
    "NOFLUSH";
constexpr int32_t kSettleSeconds = 5;
constexpr double kGateDropEarliest = 13.0;  // seconds after the reset
constexpr double kGateDropSpread = 2.0;
constexpr const char* kRobotName = "Roborider";
constexpr const char* kFallbackModel = "rm125";
constexpr int32_t kLongAgoPicked = -1000000;
// How a ghost follows its recorded states.
constexpr PlaybackTuning kGhostTuning{100.0f, 5.0f, 50.0f, 0.04363323f};

int32_t seconds_to_frames(const World& w, double seconds) {
  return static_cast<int32_t>(seconds / w.step);
}

void release_slot(RiderSlot& slot) {
  release_voice(slot);
  slot.bike.reset();
}

void empty_contact_group(World& w) {
  if (w.physics.contacts) dJointGroupEmpty(w.physics.contacts);
}

// Only one rider may be ridden from this computer; the first "Human" wins.
void settle_lineup(Lineup& lineup, int& viewed, bool demo_riders) {
  viewed = 0;
  bool all_empty = true;
  for (int i = 0; i < kLineupSize; ++i) {
    if (lineup[static_cast<size_t>(i)] != kLineupEmpty) {
      viewed = i;
      all_empty = false;
      break;
    }
  }
  // Demo riders take the empty positions in playback; otherwise an empty grid gets one robot
  // so there is something to watch.
  if (all_empty && !demo_riders) lineup[0] = kLineupRobot;
  bool human_seen = false;
  for (int i = 0; i < kLineupSize; ++i) {
    int& code = lineup[static_cast<size_t>(i)];
    if (code != kLineupHuman) continue;
    if (human_seen) {
      code = kLineupEmpty;
    } else {
      human_seen = true;
      viewed = i;
    }
  }
}

// Who rides position `slot`: identity, control kind and, for robots, the roster row dealt.
struct Rider {
  bool present = false;
  ControlKind control = kControlPlayedBack;
  RiderIdentity identity;
  int roster_row = -1;
  int demo_ordinal = -1;  // the demo header's rider this slot plays back
};

Rider robot_rider(int row) {
  Rider r;
  if (row < 0) return r;  // the roster is used up: the position stays empty
  const RosterEntry& e = robot_roster()[static_cast<size_t>(row)];
  r.present = true;
  r.control = kControlRobot;
  r.roster_row = row;
  r.identity.number = e.number;
  r.identity.bike_model = e.bike_model;
  r.identity.rider_texture = e.rider_texture;
  r.identity.head_texture = e.head_texture;
  r.identity.bike_texture = e.bike_texture;
  r.identity.wheel_texture = e.wheel_texture;
  r.identity.name = kRobotName;
  return r;
}

// The next demo rider not yet given a position, or nobody.
Rider demo_rider(World& w, int& next_ordinal) {
  Rider r;
  const DemoPlayer& p = w.replay.player;
  if (!p.file || next_ordinal >= p.header.riders) return r;
  r.present = true;
  r.identity = demo_rider_identity(p.header.rider_list[static_cast<size_t>(next_ordinal)]);
  r.demo_ordinal = next_ordinal++;
  return r;
}

Rider choose_rider(World& w, int code, RosterDeal& deal, const RiderIdentity& received,
                   int& next_ordinal) {
  Rider r;
  switch (code) {
    case kLineupEmpty:
      return demo_rider(w, next_ordinal);
    case kLineupHuman: {
      const BikeSetup& s = w.settings.setup;
      r.present = true;
      r.control = kControlLocal;
      if (w.session.network) {
        r.identity = received;
      } else {
        r.identity.number = s.number.value.empty() ? "999" : s.number.value;
        r.identity.bike_model = s.bike.text();
        r.identity.rider_texture = s.rider_texture.text();
        r.identity.head_texture = s.head_texture.text();
        r.identity.bike_texture = s.bike_texture.text();
        r.identity.wheel_texture = s.wheel_texture.text();
        r.identity.name = s.name.value;
      }
      return r;
    }
    case kLineupRobot:
      return robot_rider(deal_any(deal));
    case kLineupRobot125:
      return robot_rider(deal_model(deal, "125"));
    case kLineupRobot250:
      return robot_rider(deal_model(deal, "250"));
    case kLineupServer:
      // Outside a server's session nobody has been received for the position.
      r.present = !received.bike_model.empty();
      r.identity = received;
      return r;
    default:
      break;
  }
  if (code >= kLineupRobotNumber) return robot_rider(deal_number(deal, code - kLineupRobotNumber));
  r.present = true;
  r.identity.bike_model = kFallbackModel;
  return r;
}

void build_rider(World& w, int slot_index, const Rider& rider, const GridSpot& spot) {
  RiderSlot& slot = w.slots[static_cast<size_t>(slot_index)];
  slot.identity = rider.identity;
  slot.control = rider.control;
  const RiderIdentity& id = rider.identity;
  slot.bike = build_bike(w, bike_model_alias(id.bike_model), slot_index, id.number,
                         id.rider_texture, id.head_texture, id.bike_texture, id.wheel_texture);
  if (!slot.bike) {
    slot.control = kControlPlayedBack;
    return;
  }
  Bike& bike = *slot.bike;
  give_voice(w, slot_index);
  place_on_ground(bike, w.track.terrain, spot.x, spot.z, spot.heading);
  if (rider.control == kControlLocal) {
    const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
    w.session.local_start = {p[0], p[1], p[2]};
    w.session.false_start_hold = 0;
  }
  if (rider.control == kControlPlayedBack) {
    bike.opacity = 0.0f;
    bike.playback = kGhostTuning;
    // Posed from its history until something knocks it loose.
    hold(bike);
    if (rider.demo_ordinal >= 0) bind_demo_rider(w, rider.demo_ordinal, slot_index);
  } else {
    bike.opacity = 1.0f;
    bike.playback = PlaybackTuning{};
  }
  if (rider.control == kControlRobot) {
    const RosterEntry& e = robot_roster()[static_cast<size_t>(rider.roster_row)];
    set_personality(w, slot_index, w.options.practice ? "tester" : e.personality);
  }
}

}  // namespace

void prepare_first_lineup(World& w, bool demo_named) {
  w.lineup.fill(kLineupEmpty);
  for (RiderSlot& slot : w.slots) {
    release_slot(slot);
    slot.control = kControlPlayedBack;
  }
  if (!demo_named) w.lineup[0] = kLineupRobot;
}

bool start_session(World& w, const SessionStart& start) {
  SessionState& session = w.session;

  // Every set-up line reaches the disk at once.
  kota::log_printf(kFlushOn);
  // A series event left before its results were final still counts, once.
  record_series_event(w);

  show_progress_text("Resetting...");
  RosterDeal deal = shuffle_roster(static_cast<uint32_t>(w.frame));

  // The lines learnt in the session that ends go back to their file.
  show_progress_text("Remembering lines...");
  if (w.track.loaded) {
    save_lines(w);
    clear_lines(w.lines);
  }
  close_playback(w);
  // The race that ends keeps its last steps too.
  record_step(w, true);
  close_recording(w);

  show_progress_text("Cleaning up...");
  kota::log_printf("Deallocating bikes\n");
  for (RiderSlot& slot : w.slots) release_slot(slot);
  w.order.clear();
  kota::log_printf("Finished deallocating bikes\n");
  session.loaded = false;

  w.frame = 0;
  session.duration_frames = start.duration_frames;
  session.race_laps = start.laps;
  session.settle_frame = seconds_to_frames(w, kSettleSeconds);
  session.network = start.network && start.lineup;
  if (!session.network) {
    w.race_start_frame =
        seconds_to_frames(w, kGateDropEarliest + kGateDropSpread * random_uniform());
  }
  // In a server's session the start frame is the server's, kept as received.
  session.time_trial = start.lineup == nullptr;

  // What a server told of the riders belongs to its session only.
  if (!session.network) {
    for (RiderSlot& slot : w.slots) {
      slot.identity = RiderIdentity{};
      slot.last_server_frame = 0;
    }
    session.race_position = kNoRacePosition;
    w.last_server_frame = 0;
    reset_histories(w);
  }
  for (RiderSlot& slot : w.slots) slot.timing = RiderTiming{};

  // The track: the server's in a networked session, the demo's when one plays, otherwise the
  // chosen one.
  std::string chosen = w.settings.track_choice.texts.empty() ? w.settings.track.value
                                                             : w.settings.track_choice.text();
  std::string track = chosen;
  if (session.network && !start.track.empty()) {
    track = start.track;
  } else if (start.playback && open_playback(w, w.replay.chosen_demo)) {
    track = w.replay.player.header.track;
    // The ghosts left the gate when it dropped for them.
    w.race_start_frame = w.replay.player.header.start_step;
  }
  // Every client of a server must ride the same ground: dug-up ground is loaded afresh, and
  // stays as loaded for the whole session.
  bool dug_up = session.network && w.track.terrain.modified;
  if (!w.track.loaded || track != w.track.dir || session.reload_requested || dug_up) {
    session.reload_requested = false;
    session.loaded_line_set = -1;
    if (w.track.loaded) free_track();
    // What this track and its bikes load or ask for again is theirs; the rest goes below.
    texture_begin_generation();
    model_begin_generation();
    bool loaded = load_track(track);
    if (!loaded && playing(w)) {
      // A demo of a track this game does not have: say so and ride the chosen one instead.
      show_message("Can't play the demo: its track \"%s\" is not installed", track.c_str());
      close_playback(w);
      track = chosen;
      loaded = load_track(track);
    }
    if (!loaded) {
      kota::log_printf("Can't load track '%s'\n", track.c_str());
      return false;
    }
  }
  w.track.terrain.locked = session.network;

  // A time trial starts long after the gate dropped, with the rider alone.
  Lineup lineup{};
  if (session.time_trial) {
    session.best_lap_frames = 0;
    session.last_lap_frames = 0;
    lineup[0] = kLineupHuman;
    w.frame = kTimeTrialStartFrame;
  } else {
    lineup = *start.lineup;
  }

  settle_lineup(lineup, w.viewed_slot, playing(w) && w.replay.player.header.riders > 0);

  // The robots' lines for the skill.
  load_lines(w, track, start.skill);

  show_progress_text("Loading bikes...");
  const std::vector<StartGate>& starts = w.track.timing.starts;
  std::vector<int> grid_at(kLineupSize);
  for (int i = 0; i < kLineupSize; ++i) grid_at[static_cast<size_t>(i)] = i;
  if (session.network) {
    std::vector<bool> server(kLineupSize);
    int local = -1;
    for (int i = 0; i < kLineupSize; ++i) {
      int code = lineup[static_cast<size_t>(i)];
      server[static_cast<size_t>(i)] = code == kLineupServer;
      if (code == kLineupHuman && local < 0) local = i;
    }
    grid_at = network_grid(server, local, session.race_position, static_cast<int>(starts.size()));
  }
  int next_demo_rider = 0;
  for (int i = 0; i < kLineupSize; ++i) {
    RiderSlot& slot = w.slots[static_cast<size_t>(i)];
    RiderIdentity received = session.network ? slot.identity : RiderIdentity{};
    slot.control = kControlPlayedBack;
    Rider rider = choose_rider(w, lineup[static_cast<size_t>(i)], deal, received, next_demo_rider);
    if (!rider.present) continue;
    int at = std::max(grid_at[static_cast<size_t>(i)], 0);
    build_rider(w, i, rider, grid_spot(at, starts, w.track.terrain.extent));
  }

  reset_histories(w);
  if (start.record) open_recording(w);
  reset_roost_pool();
  for (LineSection& section : w.lines.sections) {
    for (LineRecord& line : section) line.last_picked = kLongAgoPicked;
  }
  for (int i = 0; i < kRiderSlots; ++i) {
    if (w.slots[size_t(i)].bike) learn_begin(w, i);
  }

  size_t used = texture_memory_used(), base = w.track.texture_memory_base;
  show_message("%d MB texture memory used\n",
               static_cast<int>((used > base ? used - base : 0) >> 20));
  // The previous track's textures and models, and those of bikes no longer on the grid.
  texture_delete_unused();
  model_delete_unused();
  // What the previous track held goes back to the system now, rather than staying with the
  // allocator where the next track's differently sized pieces may not fit.
  malloc_trim(0);

  // The lap limits; the gates stand up.
  if (session.duration_frames > 0) {
    session.total_laps = session.halfway_lap = kUnlimitedLaps;
  } else {
    session.total_laps = start.laps;
    session.halfway_lap = (start.laps + 1) / 2;
  }
  // A time trial begins long after the start, so its gates lie down already.
  set_start_gates(w, session.time_trial ? 0.0f : 1.0f);
  session.lap_timing = w.track.timing.active;
  session.results_final = false;
  session.false_start_hold = 0;
  session.loaded = true;

  if (session.time_trial) restart_attempt(w);

  playback_step(w);
  record_step(w, true);
  // The results file joins here; the standings stand now.
  update_standings(w);

  if (!w.slots[static_cast<size_t>(w.viewed_slot)].bike && !w.order.empty()) {
    w.viewed_slot = w.order.front().slot;
  }
  empty_contact_group(w);
  RiderSlot& viewed = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (viewed.bike && viewed.control == kControlLocal) {
    apply_bike_setup(*viewed.bike, w.settings.setup, w.frame * w.step);
  }
  if (viewed.bike) {
    const dReal* p = dBodyGetPosition(viewed.bike->bodies[kBodyFrame]);
    w.free_camera_position = {p[0], p[1] + 5.0, p[2]};
  }

  const int riders = static_cast<int>(w.order.size());
  kota::log_printf("Session on '%s': %d rider%s, viewing slot %d\n", track.c_str(), riders,
                   riders == 1 ? "" : "s", w.viewed_slot);

  set_working_set();
  kota::log_printf(kFlushOff);
  return true;
}

void release_riders_after(World& w, int slot) {
  for (int i = slot + 1; i < kRiderSlots; ++i) {
    RiderSlot& s = w.slots[static_cast<size_t>(i)];
    release_slot(s);
    s.control = kControlPlayedBack;
    s.timing = RiderTiming{};
  }
}

void add_demo_ghosts(World& w, int first_slot) {
  const DemoPlayer& p = w.replay.player;
  if (!p.file) return;
  // They stand where the player is until their first states pose them.
  GridSpot spot;
  spot.x = spot.z = w.track.terrain.extent * 0.5;
  if (const RiderSlot& local = w.slots[0]; local.bike) {
    const dReal* at = dBodyGetPosition(local.bike->bodies[kBodyFrame]);
    spot.x = at[0];
    spot.z = at[2];
  }
  int ordinal = 0;
  for (int i = first_slot; i < kRiderSlots && ordinal < p.header.riders; ++i) {
    Rider rider = demo_rider(w, ordinal);
    if (!rider.present) break;
    release_slot(w.slots[static_cast<size_t>(i)]);
    build_rider(w, i, rider, spot);
  }
}

void restart_attempt(World& w) {
  close_playback(w);
  record_step(w, true);
  close_recording(w);
  release_riders_after(w, 0);
  if (!place_before_lap_line(w, 0)) {
    empty_contact_group(w);
    update_standings(w);
  }
  w.session.last_lap_frames = 0;
  // The results file is written here once results are kept.
}

bool start_demo(World& w, const std::string& demo, bool against) {
  // A file that is no demo leaves the race that runs alone.
  if (!open_playback(w, demo)) return false;
  close_playback(w);
  // Leaving a server's race for the demo belongs here once networking exists.
  w.replay.chosen_demo = demo;
  bool record = against && w.settings.record.index == 1;
  if (record && demo_file_name(demo) == kDefaultDemo) {
    show_message("Can't record and play from same file - recording disabled");
    record = false;
  }
  Lineup lineup{};
  if (against) lineup[0] = kLineupHuman;
  SessionStart start;
  start.lineup = &lineup;
  start.playback = true;
  start.record = record;
  start.laps = kPlaybackLaps;
  start.skill = w.settings.skill.index;
  return start_session(w, start);
}

bool warp_restart(World& w) {
  if (!w.options.warp || w.online || !w.session.loaded || w.session.time_trial || w.order.empty()) {
    return false;
  }
  int leader = w.order.front().progress;
  // At least one lap, so a race of no laps does not restart on every frame.
  if (laps_completed(lap_shape(w.track.timing), leader) < std::max(w.session.total_laps, 1)) {
    return false;
  }
  std::rotate(w.lineup.rbegin(), w.lineup.rbegin() + 1, w.lineup.rend());
  SessionStart next;
  next.lineup = &w.lineup;
  next.record = w.settings.record.index == 1;
  next.duration_frames = seconds_to_frames(w, w.settings.minutes.value * 60);
  next.laps = static_cast<int>(w.settings.laps.value);
  next.skill = w.settings.skill.index;
  start_session(w, next);
  return true;
}

}  // namespace br
