// How the line database grows: a rider's recorded section becomes a line when it is new and
// fast enough, taking an empty slot or pushing out the dearest line of a full section.
#pragma once

#include <vector>

#include "robot/line_file.h"

namespace br {

enum class LearnOutcome { kAdded, kDuplicate, kTooSlow };

struct Learned {
  LearnOutcome outcome = LearnOutcome::kTooSlow;
  int slot = -1;  // where the line went, or the duplicate it matched
};

// Two recordings of the same line: as many points, each within 1/16 ft/s and 1/16 ft.
bool same_line(const std::vector<LinePoint>& a, const std::vector<LinePoint>& b);

// Offers the points recorded over section `section` (for the log), ridden in `first_time`
// steps, `pair_time` with the section after it. With `debug` the outcome is logged.
Learned learn_line(LineSection& lines, int section, const std::vector<LinePoint>& points,
                   int first_time, int pair_time, bool debug);

// Drops the dearest lines of each section, under the steady strategy, until it holds at most
// `keep`.
void thin_sections(LineDatabase& db, int keep);

}  // namespace br
