#include "robot/robot_lines.h"

#include <algorithm>

#include "robot/line_graph.h"
#include "robot/line_learning.h"
#include "robot/sections.h"
#include "world/progress_text.h"

namespace br {

void save_lines(World& w) {
  if (w.session.loaded_line_set >= 0 && w.options.learn) save_line_file(w.lines);
}

void load_lines(World& w, const std::string& track, int skill) {
  bool debug = w.options.debug_level >= 1;
  SectionShape shape = section_shape(w.track.timing);
  load_line_file(track, skill, shape.count(), w.lines, debug);
  w.session.loaded_line_set = std::clamp(skill, 0, 2);
  show_progress_text("Analyzing lines...");
  thin_sections(w.lines, kThinnedLines);
  best_lap_tables(w.lines, shape, debug);
}

}  // namespace br
