// The robots' line database of one track and skill: per track section up to 45 recorded
// trajectories with the statistics of robot runs on them, and its text file
// ("lines_novice", "lines_amateur", "lines_expert" in the track's folder).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace br {

constexpr int kLinesPerSection = 45;
constexpr int kThinnedLines = 43;  // sections are thinned to this many after loading
constexpr int kNoLineTime = 1000000;
constexpr int kLineSampleSteps = 32;  // a line point every 0.25 s
// More points than this (an hour of riding) is no section of any track.
constexpr int kMaxLinePoints = 4 * 3600;

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

// Racing strategies 0 to 2 each keep the fastest lap through the lines: per section the serial
// of the chain's line, 0 where it has none.
constexpr int kRacingStrategies = 3;

struct LineDatabase {
  std::vector<LineSection> sections;
  std::string file;  // the data name it was read from; "" when none
  std::array<std::vector<int>, kRacingStrategies> best_lap;
};

// A new id for a line, counting up through the process.
int next_line_serial();

// The file names by skill (0 Novice, 1 Amateur, 2 Expert).
const char* line_file_name(int skill);

// Every record of every section back to an empty slot; the section count stays.
void clear_lines(LineDatabase& db);

// Reads a line file's text into `db`, sized to `sections` empty sections first. A header that
// does not name `sections` leaves it empty (false). A line with a number that is not finite,
// or with more points than a lap could hold, is dropped and the reading goes on; an entry that
// does not parse ends the reading, keeping the lines read so far, since nothing after it can be
// trusted. Extra lines of a section are read and dropped. Every line dropped is logged; with
// `debug` each section's count is logged too.
bool parse_line_file(std::string_view text, int sections, LineDatabase& db, bool debug);

// The text that reads back into the same records (serials and pick times are not kept).
std::string format_line_file(const LineDatabase& db);

// Reads "@<track>/<file of skill>"; a missing or mismatching file leaves the sections empty.
void load_line_file(const std::string& track, int skill, int sections, LineDatabase& db,
                    bool debug);
// Writes the database back to its file, keeping a numbered backup of the old one. A database
// that holds fewer lines than the file its name finds now (the player's own or the shipped
// one) is not written, so learning never leaves an emptier file in front of a fuller one;
// false then, and when it cannot be written.
bool save_line_file(const LineDatabase& db);

// The lines (slots with points) the database holds.
int count_lines(const LineDatabase& db);

}  // namespace br
