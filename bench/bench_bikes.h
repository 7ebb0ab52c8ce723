// Bikes for the benchmarks: the stock 450 with the rider's own default settings, foot down
// when stopped among them, ridden by this computer.
#pragma once

#include <cstdio>
#include <string>

#include "bike/apply_setup.h"
#include "bike/bike.h"
#include "shell/stability.h"
#include "world/world.h"

// False, with a message, when the bike cannot be built.
inline bool build_bench_bike(br::World& w, int slot_index) {
  br::RiderSlot& slot = w.slots[static_cast<size_t>(slot_index)];
  slot.bike = br::build_bike(w, "crf450(2013)", 0, std::to_string(slot_index), "", "", "", "");
  if (!slot.bike) {
    std::fprintf(stderr, "the bike cannot be built\n");
    return false;
  }
  slot.control = br::kControlLocal;
  br::BikeSetup setup;
  br::apply_stability(setup, 100);
  br::apply_bike_setup(*slot.bike, setup, 0);
  return true;
}
