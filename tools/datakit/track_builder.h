// Builds a track's ground: a height field shaped by a base landscape, one closed course line
// (the lap) and an open start line, carved with berms, jumps, whoops and off-camber turns,
// with a tile map by area. The track's own file writer turns the result into files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "kit.h"

namespace kit {

struct LinePoint {
  float x = 0, z = 0;    // feet
  float tx = 0, tz = 0;  // unit tangent (direction of travel)
  float curvature = 0;   // 1/feet, positive when turning toward (-tz, tx)
  float s = 0;           // distance along the line, feet
  float y = 0;           // surface height at the centre, feet
  float bank = 0;        // cross slope along (-tz, tx)
  float half_width = 0;  // feet
  int tile = 0;
};

struct CourseLine {
  std::vector<LinePoint> points;  // one per foot
  std::vector<float> control_s;   // distance at each control point
  bool closed = false;
  float length = 0;
};

// Control points joined by a Catmull-Rom spline, resampled every foot.
CourseLine make_course_line(const std::vector<std::pair<float, float>>& control, bool closed,
                            float half_width);

// Index of the line point nearest a distance along the line (wrapping for closed lines).
int line_index_at(const CourseLine& line, float s);

// Profiles added to the centre height along the line, starting at distance s (feet).
void add_tabletop(CourseLine& line, float s, float height, float face, float top, float landing);
void add_double(CourseLine& line, float s, float height, float face, float gap, float landing);
void add_rollers(CourseLine& line, float s, int count, float height, float period);

struct GroundModel {
  int size_exp = 9;
  float spacing = 2.0f;  // feet
  int side = 0;          // samples per side
  int tile_side = 0;
  std::vector<float> heights;     // side*side
  std::vector<uint8_t> tilemap;   // tile_side*tile_side
  std::vector<uint8_t> on_track;  // side*side, 1 on the riding surface
  float extent() const { return spacing * 2 * tile_side; }
  float at(int c, int r) const;
  float height(float x, float z) const;  // bilinear
};

struct CarveOptions {
  float shoulder = 24.0f;   // feet over which the track blends into the land
  float berm_gain = 40.0f;  // bank per unit of curvature above the threshold
  float berm_threshold = 1.0f / 250.0f;
  float max_bank = 0.6f;
  float lip = 0.35f;  // outside lip height per unit of bank and foot of half width
  int off_track_tile = 0;
  int shoulder_tile = 0;
};

class TrackBuilder {
 public:
  TrackBuilder(int size_exp, float spacing, const std::function<float(float, float)>& base);

  // The line follows the land, smoothed over `window` feet on either side.
  void follow_land(CourseLine& line, float window) const;
  // Lets the end of an open line meet a point of another line in height.
  static void blend_end_into(CourseLine& line, const CourseLine& target, float target_s,
                             float blend_length);
  // Berms on tight turns from curvature; then the zones below override the bank.
  void bank_turns(CourseLine& line, const CarveOptions& options) const;
  static void set_bank(CourseLine& line, float s0, float s1, float bank);
  static void set_tile(CourseLine& line, float s0, float s1, int tile);
  static void set_half_width(CourseLine& line, float s0, float s1, float from, float to);

  // Carves every line into the base land and builds the tile map.
  void carve(const std::vector<const CourseLine*>& lines, const CarveOptions& options);
  // Extra tiles by area after carving (for example stands), only off the track.
  void paint_tiles(const std::function<int(float x, float z, int current)>& paint);

  const GroundModel& ground() const { return ground_; }
  // Height of a line's surface at its point i, across u feet from the centre.
  static float section_height(const LinePoint& p, float u);

  // The closest distance between parts of the lines that are more than `apart` feet apart
  // along the course: how much room the course leaves between its neighbouring stretches.
  static float tightest_pass(const std::vector<const CourseLine*>& lines, float apart);

 private:
  GroundModel ground_;
  std::vector<float> base_;
};

}  // namespace kit
