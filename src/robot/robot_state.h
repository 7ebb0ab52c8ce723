// What the robots keep per rider slot: the line being ridden and how far along it, the start
// procedure's timers, and, for every rider, the recording of the current sections for the
// line database. Cleared whenever a bike is built for the slot.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "robot/line_file.h"

namespace br {

struct LineRecording {
  std::vector<LinePoint> points;
  bool cancelled = false;  // the rider was reset or backed up during the section
};

struct RobotState {
  // Learning, for every rider: one recording per section parity, the steps at which the last
  // three section ends were passed (the start counts as one), and how many section ends the
  // rider had passed when last looked at.
  std::array<LineRecording, 2> recordings;
  std::array<int32_t, 3> section_times{};  // oldest first
  int sections_seen = 0;
  int gates_seen = 0;
  // Robots: the serials of the lines ridden in the last four sections (by section mod 4).
  std::array<int, 4> ridden{};

  // The line being followed: its section counted from the start, its slot and serial, and
  // the fractional point index the robot has reached.
  int line_section = -1;  // -1: none picked
  int line_slot = -1;
  int line_serial = 0;
  double line_index = 0;
  double best_index = 0;      // furthest reached, for the stuck test
  int32_t progress_step = 0;  // when it last got further along
  int backing_steps = 0;      // backing out of whatever stopped it
  int stuck_count = 0;        // times stuck since the last line carried on
  double aside = 0;           // feet left of the line it rides, going round a stopped rider

  // The start: throttle blips before the gate, then the reaction and the clutch.
  bool blipping = false;
  int32_t blip_until = 0;     // the step the current burst or pause ends
  int32_t blips_end = -1;     // the step the blipping stops; -1 until drawn
  int32_t reaction_steps = -1;  // -1 until drawn
  bool started = false;       // the clutch is fully out

  // After the flag the robot eases off over the rest of its line.
  bool finished = false;
  double finish_points_left = 0;
};

}  // namespace br
