// The robots' line database of one track and skill: per track section up to 45 recorded
// trajectories with the statistics of robot runs on them, and its text file
// ("lines_novice", "lines_amateur", "lines_expert" in the track's folder).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace br {

struct TrackTiming;

constexpr int kLinesPerSection = 45;
constexpr int kThinnedLines = 43;  // sections are thinned to this many after loading
constexpr int kNoLineTime = 1000000;

// One sample of a recorded trajectory, 32 steps apart.
struct LinePoint {
  float x = 0, y = 0, z = 0;  // frame body, feet
  float speed = 0;            // ft/s; negative with both wheels in the air
  float lean = 0;             // radians
};

struct LineRecord {
  std::vector<LinePoint> points;  // empty slot without points
  int first_time = kNoLineTime;   // steps
  int pair_time = kNoLineTime;
  int tests = 0;
  int best_first = kNoLineTime;
  int best_pair = kNoLineTime;
  int sum_first = 0;
  int sum_pair = 0;
  int failures = 0;
  int last_picked = 0;  // step
  int serial = 0;       // process-wide id, not stored
};

using LineSection = std::array<LineRecord, kLinesPerSection>;

struct LineDatabase {
  std::vector<LineSection> sections;
  std::string file;  // the data name it was read from; "" when none
};

// The file names by skill (0 Novice, 1 Amateur, 2 Expert).
const char* line_file_name(int skill);

// Sections of the track's lap lists: the references that are section boundaries.
int line_section_count(const TrackTiming& timing);

// Every record of every section back to an empty slot; the section count stays.
void clear_lines(LineDatabase& db);

// Reads a line file's text into `db`, sized to `sections` empty sections first. A header that
// does not name `sections` leaves it empty (false). Reading stops at the first entry that does
// not parse, keeping the sections read so far; extra lines of a section are read and dropped.
// With `debug` each section's count is logged.
bool parse_line_file(std::string_view text, int sections, LineDatabase& db, bool debug);

// The text that reads back into the same records (serials and pick times are not kept).
std::string format_line_file(const LineDatabase& db);

// Reads "@<track>/<file of skill>"; a missing or mismatching file leaves the sections empty.
void load_line_file(const std::string& track, int skill, int sections, LineDatabase& db,
                    bool debug);
// Writes the database back to its file; false when it cannot be written.
bool save_line_file(const LineDatabase& db);

// The cost of riding a line when racing steadily: its mean first time plus five seconds
// weighted by its failure rate; unusable (1000000) with fewer than five tests.
int steady_line_cost(const LineRecord& line);

// Drops the costliest lines of each section until it holds at most `keep`.
void thin_sections(LineDatabase& db, int keep);

}  // namespace br
