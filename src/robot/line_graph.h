// How lines join up: where a line's last bend is centred, which lines of the next section
// carry on along it, the cheapest chains over the sections ahead, and the line a robot takes
// next.
#pragma once

#include <array>
#include <bitset>
#include <vector>

#include "robot/line_file.h"
#include "robot/sections.h"

namespace br {

constexpr int kLookAheadSections = 8;

// The circle through a line's last three points, on the ground plane. A straight end has its
// centre far out to the side, so the tests below treat it as a bend of huge radius.
struct CurveEnd {
  double cx = 0, cz = 0;
  double radius = 0;     // feet from the centre to the last point
  double end_speed = 0;  // ft/s, magnitude
};

// The end of a line of at least three points (of two: straight on from them).
CurveEnd curve_end(const std::vector<LinePoint>& points);
// The circle through three points (x, z); far out along the bisector when they are in line.
CurveEnd curve_through(double x1, double z1, double x2, double z2, double x3, double z3);

// Whether line `b` carries on from a line ending as `end`: it starts on the same circle,
// heads on along it, and is not much slower.
bool lines_connect(const CurveEnd& end, const LineRecord& b);

// How well line `b` takes over from a line ending as `end`, 0 to 1.
double line_match(const CurveEnd& end, const LineRecord& b);

// For the sections ahead from `from` (counted from the start of the race), each line's score
// under `strategy`: the cheapest chain over the next sections divided into the cheapest chain
// of all, so the best line of section `from` scores 1.
std::array<double, kLinesPerSection> look_ahead(const LineDatabase& db, const SectionShape& shape,
                                                int from, int strategy);

// The line of section `section` that a robot whose line ended as `end` takes at step `now`
// under `strategy`, or -1 when the section has no line to ride. Marks it picked.
int pick_line(LineDatabase& db, const SectionShape& shape, int section, const CurveEnd& end,
              int strategy, int now, bool debug);

// The fastest lap of usable lines per racing strategy into db.best_lap; logs the first and
// the normal lap's times with `debug`.
void best_lap_tables(LineDatabase& db, const SectionShape& shape, bool debug);

}  // namespace br
