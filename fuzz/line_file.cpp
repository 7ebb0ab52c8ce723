// The robots' line files. The first byte gives the section count the track would ask for; a
// file that reads must write back to text that reads to the same records.
#include "robot/line_costs.h"
#include "robot/line_file.h"
#include "robot/line_learning.h"

#include <cstdlib>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int sections = data[0] % 32;
  br::LineDatabase db;
  if (!br::parse_line_file(br_fuzz::as_text(data + 1, size - 1), sections, db, false)) return 0;
  std::string text = br::format_line_file(db);
  br::LineDatabase again;
  if (!br::parse_line_file(text, sections, again, false)) std::abort();
  if (br::format_line_file(again) != text) std::abort();
  br::thin_sections(db, br::kThinnedLines);
  for (const br::LineSection& s : db.sections)
    for (const br::LineRecord& line : s) {
      br::eviction_cost(line);
      for (int strategy = 0; strategy < 4; ++strategy) br::line_cost(line, strategy);
    }
  return 0;
}
