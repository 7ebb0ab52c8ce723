// One race from set-up to final results, stepped as fast as the processor allows with the
// game's own race controller, world tick and timing. Tools run as many races as they like
// through it, one after the other.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "race/laps.h"
#include "race/session.h"
#include "world/world.h"

namespace brrace {

struct RaceSetup {
  br::Lineup lineup{};
  br::SessionStart start;  // its line-up is `lineup`
  uint32_t seed = 0;       // the frame counter at set-up
  int pilot_slot = -1;     // the line-up position the scripted pilot rides, -1 for none
  double pilot_pace = 1.0;
  double pilot_swing = 0.0;
  int64_t step_limit = 0;  // world steps before giving up
  // A points series (index into the series list): its next event is raced instead, with its
  // own track, line-up and length, and the scripted pilot on the player's bike.
  int series = -1;
};

struct RaceHooks {
  // After every world step.
  std::function<void(const br::World&)> after_step;
  // A rider has just completed lap `lap`.
  std::function<void(const br::World&, int slot, int lap)> lap_done;
};

enum class RaceEnd { kFinal, kStepLimit, kNoSession };

struct RaceRun {
  RaceEnd end = RaceEnd::kNoSession;
  int64_t steps = 0;  // world steps run
};

RaceRun run_race(br::World& w, const RaceSetup& setup, const RaceHooks& hooks);

// Tells `hooks.lap_done` of every lap completed since the last call, in order, lap by lap;
// `laps` holds each slot's count already reported and is brought up to date.
void report_laps(const br::World& w, const br::LapShape& shape,
                 std::array<int, br::kRiderSlots>& laps, const RaceHooks& hooks);

}  // namespace brrace
