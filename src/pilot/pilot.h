// The scripted pilot: rides a bike through the timing gates of any track the way a careful
// rider would, through the same controls a player's keys set. It waits for the gate, follows
// a smooth line through the gates ahead, slows for the bends and crests it sees coming,
// gets going again after a fall and backs out when it is stuck. Tools and tests use it to
// ride laps without a player; it is not one of the robots.
#pragma once

#include <vector>

#include "pilot/pilot_path.h"
#include "world/world.h"

namespace br {

struct Pilot {
  int slot = -1;
  PathStart spawn;               // where the bike stood when the pilot took it
  std::vector<PathSample> path;  // from the last gate passed through the next few
  int path_position = -1;        // the rider's gates passed when `path` was made
  int slow_steps = 0;            // steps spent crawling with the throttle open
  int backing_steps = 0;         // steps of backing out still to go
  // How he rides: `pace` scales his speeds (1 careful), and with `swing` feet he takes a
  // slightly different line and pace each lap, so that laps ridden for the robots to learn
  // from are not all one line.
  double pace = 1.0;
  double swing = 0.0;
};

// Takes the bike in `slot` as it stands.
Pilot pilot_take(const World& w, int slot);

// Sets the bike's controls for the coming step. Does nothing when the slot has no bike.
void pilot_drive(Pilot& pilot, World& w);

}  // namespace br
