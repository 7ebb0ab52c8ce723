// Track sections for the robots: the stretches that end at the lap lists' gates, leaving out
// the timing-only ones. Section s ends at the s-th such gate of the sequence (section 0 runs
// from the grid); the first lap has F' of them and every later lap repeats the N' after it.
#pragma once

#include "race/timing_gates.h"

namespace br {

struct SectionShape {
  int first = 0;  // F': sections of the first lap
  int lap = 0;    // N': sections of every lap after it
  int count() const { return first + lap; }
  bool usable() const { return first > 0 && lap > 0; }
};

SectionShape section_shape(const TrackTiming& timing);

// The database's section for section s counted from the start of the race.
int fold_section(const SectionShape& shape, int s);

// How many section ends lie among the first `gates_passed` positions of the lap sequence.
int sections_passed(const TrackTiming& timing, int gates_passed);

// Whether sequence position `position` ends a section.
bool ends_section(const TrackTiming& timing, int position);

}  // namespace br
