// The wheels' side of the ruts: each step a bike notes where its wheels pushed on the ground
// and, once it has ridden on, moves that dirt.
#pragma once

#include "bike/bike.h"
#include "world/world.h"

namespace br {

// The erosion rate this run rides with: --erode, 0..100, 0 when not given (no ruts).
float erosion_rate(const World& w);

// After the world step: marks for the front and then the rear wheel from this step's tyre
// contacts, then up to four old marks worked off.
void apply_ruts(World& w, Bike& bike);

// The world tick's erosion: every bike simulated here digs, when the erosion rate is above 0.
// Bikes following recorded or received states leave the ground alone.
void erode_terrain(World& w);

}  // namespace br
