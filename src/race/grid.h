// Where each starting position of the line-up stands: rows behind the starting gates, or a
// line across the middle of a track that has none; and putting a bike there on the ground.
#pragma once

#include <vector>

#include "bike/bike.h"
#include "race/timing_gates.h"
#include "track/terrain.h"
#include "world/world.h"

namespace br {

constexpr double kGridRowSpacing = 10.0;    // feet between rows
constexpr double kGridFirstRow = 0.0625;    // rows; the front row waits 0.625 ft behind the gate
constexpr double kGridNoGateSpacing = 5.0;  // feet between bikes on a track without gates
constexpr double kPlacementRaise = 0.25;    // feet per try while the bike touches the ground

struct GridSpot {
  double x = 0, z = 0;
  double heading = 0;  // radians; the bike faces (-sin, 0, -cos)
};

// Position `position` of the line-up: behind gate position mod g, in row position div g.
GridSpot grid_spot(int position, const std::vector<StartGate>& starts, float extent);

// In a server's race the grid follows the server: the local rider (`local_slot`, -1 for none)
// stands at its race position, or at the front while it has none (`race_position` 160); the
// server's riders (`server_slot`) fill the positions from the second row (`gates`) on, in slot
// order, around the local rider's. Returns each slot's grid position, -1 for slots not placed.
std::vector<int> network_grid(const std::vector<bool>& server_slot, int local_slot,
                              int race_position, int gates);

// The height-field sample of the cell under (x, z), clamped to the grid.
float sample_height(const Terrain& t, double x, double z);

// Puts the bike as built at (x, z) facing `heading`, starting at the sample height and
// raising it in steps until nothing of it reaches into the ground.
void place_on_ground(Bike& bike, const Terrain& t, double x, double z, double heading);

// A rider put on the track without a start (practice, a time trial's attempt) begins two
// gates before the first lap's last one, at that gate's centre facing through it, with his
// progress set there. False, with nothing moved, when the track has no timing.
bool place_before_lap_line(World& w, int slot);

}  // namespace br
