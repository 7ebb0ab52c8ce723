// What a line is worth: its cost as a section of the lap under each riding strategy, and what
// it would cost to throw it away for a new one.
#pragma once

#include "robot/line_file.h"

namespace br {

// 0 steady, 1 pushing, 2 taking chances, 3 testing (the least-tried lines first).
enum Strategy { kStrategySteady = 0, kStrategyPush = 1, kStrategyRisk = 2, kStrategyTest = 3 };

constexpr double kUnusableCost = 1000000;  // steps
constexpr int kFailurePenaltySteps = 640;  // a failure is worth five seconds

// The line's cost in steps under `strategy`; kUnusableCost when too little is known of it.
double line_cost(const LineRecord& line, int strategy);

// What keeping the line is worth when a new one wants its slot: an untested line by its
// recorded pair time with a margin, a tested one by how the robots fared on it.
int eviction_cost(const LineRecord& line);

// The slot a new line would take when the section is full: the dearest under the steady
// strategy, and among equals the dearest to keep.
int eviction_slot(const LineSection& section);

// One robot run timed on the line.
void credit_run(LineRecord& line, int first_time, int pair_time);
void add_failure(LineRecord& line);

}  // namespace br
