// Race sessions: every race, practice, time trial, playback or server race begins with
// start_session, which tears the previous one down, loads the track when it changed, loads the
// robots' lines and puts one bike per occupied line-up position on the grid.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "world/world.h"

namespace br {

using Lineup = std::array<int, kLineupSize>;

// Line-up codes; 1000 + n is the roster robot numbered n.
enum LineupCode {
  kLineupEmpty = 0,
  kLineupHuman = 1,
  kLineupRobot = 2,
  kLineupRobot125 = 3,
  kLineupRobot250 = 4,
  kLineupServer = 5,
  kLineupRobotNumber = 1000,
};

constexpr int kTimeTrialStartFrame = 300 * 128;  // the gate has long dropped: 300 s of steps
constexpr int kStartupLaps = 1000;

struct SessionStart {
  const Lineup* lineup = nullptr;  // none: a time trial
  bool network = false;            // the line-up is the game server's
  bool playback = false;
  bool record = false;          // record a demo of the session
  int32_t duration_frames = 0;  // 0 = no time limit
  int laps = kStartupLaps;
  int skill = 0;  // 0 Novice, 1 Amateur, 2 Expert
  std::string track;  // a server's track; empty = the chosen one
};

// False only when the track cannot be loaded; the world then has no track and no bikes.
bool start_session(World& w, const SessionStart& start);

constexpr int kPlaybackLaps = 10;

// The playback menu's choice of a demo (a demo list name or a path): its riders are played
// back alone, or raced against as ghosts by the player. False, with nothing changed, when the
// demo cannot be played; the message area says why.
bool start_demo(World& w, const std::string& demo, bool race_against);

// Every rider in a slot after `slot` goes: bike and voice; the slots wait to be played back.
void release_riders_after(World& w, int slot);

// The riders of the demo being played, built as held ghosts into the slots from `first_slot`
// on (as many as there are demo riders and slots) and bound to them.
void add_demo_ghosts(World& w, int first_slot);

// Time trial: the rider back two gates before the lap line, everyone else gone.
void restart_attempt(World& w);

// With --warp, offline: once the leader has run the race's laps, the line-up moves round by
// one position and the next race starts from the settings. True when it restarted.
bool warp_restart(World& w);

// The start of the first session: all positions empty and played back, one robot unless a
// demo is to be played.
void prepare_first_lineup(World& w, bool demo_named);

}  // namespace br
