// Foundry Arena: a tight stadium track on the floor of an old foundry hall. Four lanes joined
// by bermed hairpins, a steep triple, whoops in sand, a rhythm lane and a big tabletop, with
// terraced concrete stands all round.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "track_builder.h"
#include "track_files.h"
#include "track_textures.h"
#include "tracks.h"

namespace kit {

namespace {

enum Tile { kLoam = 0, kHardpack = 1, kSand = 2, kFloor = 3, kConcrete = 4 };

constexpr float kFloorX0 = 70, kFloorX1 = 445, kFloorZ0 = 125, kFloorZ1 = 392;

float outside_floor(float x, float z) {
  float dx = std::max({kFloorX0 - x, 0.0f, x - kFloorX1});
  float dz = std::max({kFloorZ0 - z, 0.0f, z - kFloorZ1});
  return std::hypot(dx, dz);
}

float land(float x, float z) {
  float d = outside_floor(x, z);
  if (d <= 0) return 0.0f;
  // A wall, then terraces of seating rising away from the floor.
  return std::min(48.0f, 5.0f * smoothstep(d / 1.5f) + std::floor(d / 7.0f) * 3.0f);
}

std::vector<br::TileInfo> tiles() {
  auto roost = [](std::initializer_list<std::pair<std::string, std::string>> p) {
    return br::RoostLine{std::vector<std::pair<std::string, std::string>>(p)};
  };
  br::TileInfo loam;
  loam.texture = "@foundry/loam.png";
  loam.friction = {{1.15f, 5.0f}, {1.06f, 40.0f}};
  loam.roll_resist = {{4.5f, 17.0f, 1.0f}};
  loam.roost = {roost({{"count", "12"}, {"r", "100"}, {"g", "72"}, {"b", "50"}, {"size", "0.3"}})};
  // Depths per wheel mark, of which a wheel leaves 128 a second: see Rabbit Hill's loam.
  loam.erode = {0.14f, 40.0f, 130.0f, 2.0f, 3.5f, 0.3f, 8.0f, 13.0f};
  br::TileInfo hard;
  hard.texture = "@foundry/hardpack.png";
  hard.friction = {{1.02f, 5.0f}, {0.92f, 50.0f}};
  hard.roll_resist = {{3.0f, 9.0f, 1.0f}};
  hard.roost = {roost({{"count", "5"}, {"r", "160"}, {"g", "135"}, {"b", "100"}, {"size", "0.2"}})};
  hard.erode = {0.04f, 70.0f, 200.0f, 1.5f, 4.0f, 0.2f, 12.0f, 20.0f};
  br::TileInfo sand;
  sand.texture = "@foundry/sand.png";
  sand.friction = {{0.92f, 5.0f}, {0.85f, 50.0f}};
  sand.roll_resist = {{9.0f, 32.0f, 1.0f}};
  sand.roost = {roost({{"count", "16"},
                       {"r", "205"},
                       {"g", "180"},
                       {"b", "130"},
                       {"size", "0.2"},
                       {"randomize", "20"}})};
  sand.erode = {0.1f, 30.0f, 110.0f, 3.0f, 4.5f, 0.35f, 8.0f, 12.0f};
  br::TileInfo floor;
  floor.texture = "@foundry/floor.png";
  floor.friction = {{0.95f, 5.0f}, {0.85f, 50.0f}};
  floor.roll_resist = {{3.5f, 10.0f, 1.0f}};
  floor.roost = {roost({{"count", "3"},
                        {"r", "120"},
                        {"g", "100"},
                        {"b", "80"},
                        {"a", "120"},
                        {"size", "0.8"},
                        {"grow", "6"},
                        {"drag", "2"},
                        {"fade_a", "-128"}})};
  floor.erode = {0.03f, 80.0f, 220.0f, 1.0f, 4.0f, 0.2f, 12.0f, 20.0f};
  br::TileInfo concrete;
  concrete.texture = "@foundry/concrete.png";
  concrete.friction = {{0.85f, 5.0f}, {0.75f, 50.0f}};
  concrete.roll_resist = {{2.0f, 4.0f, 1.0f}};
  concrete.erode = {0.0f, 1000.0f, 2000.0f, 0.0f, 4.0f, 0.0f, 1000.0f, 1001.0f};
  return {loam, hard, sand, floor, concrete};
}

}  // namespace

std::unique_ptr<BuiltTrack> foundry_course() {
  const float kHalfWidth = 10.0f;
  auto built = std::make_unique<BuiltTrack>(TrackBuilder(8, 1.0f, land));
  TrackBuilder& builder = built->builder;
  CourseLine& loop = built->loop;
  CourseLine& start = built->start;
  loop = make_course_line({{150, 300},
                           {260, 300},
                           {370, 300},
                           {408, 278},
                           {370, 255},
                           {270, 255},
                           {185, 255},
                           {146, 232},
                           {185, 210},
                           {280, 210},
                           {370, 210},
                           {408, 188},
                           {370, 165},
                           {250, 165},
                           {140, 165},
                           {106, 182},
                           {103, 230},
                           {104, 275},
                           {118, 298}},
                          true, kHalfWidth);
  start = make_course_line({{105, 353}, {200, 353}, {270, 349}, {318, 326}, {348, 303}}, false,
                           kHalfWidth);
  const float gate_s = 45.0f;
  for (LinePoint& p : loop.points) p.y = 0.0f;
  for (LinePoint& p : start.points) p.y = 0.0f;
  TrackBuilder::set_half_width(start, 0.0f, gate_s + 40.0f, 23.0f, 23.0f);
  TrackBuilder::set_half_width(start, gate_s + 40.0f, gate_s + 130.0f, 23.0f, kHalfWidth);
  for (LinePoint& p : start.points) {
    if (p.s > gate_s + 130.0f) p.half_width = kHalfWidth;
  }
  float merge_s = loop.control_s[2] - 25.0f;

  auto at = [&](int k, float f) {
    float a = loop.control_s[size_t(k)];
    float b = k + 1 < int(loop.control_s.size()) ? loop.control_s[size_t(k) + 1] : loop.length;
    return a + (b - a) * f;
  };
  add_double(loop, at(0, 0.25f), 7.0f, 13.0f, 22.0f, 20.0f);  // the triple
  add_rollers(loop, at(4, 0.3f), 12, 1.7f, 9.0f);             // whoops
  add_rollers(loop, at(8, 0.6f), 6, 3.5f, 17.0f);             // rhythm lane
  add_tabletop(loop, at(12, 0.3f), 8.0f, 15.0f, 22.0f, 20.0f);
  add_double(loop, at(13, 0.45f), 5.0f, 12.0f, 14.0f, 16.0f);
  add_rollers(loop, at(15, 0.5f), 2, 3.0f, 20.0f);

  CarveOptions options;
  options.shoulder = 6.0f;
  options.berm_gain = 60.0f;
  options.berm_threshold = 1.0f / 120.0f;
  options.max_bank = 0.7f;
  options.lip = 0.3f;
  options.off_track_tile = kFloor;
  options.shoulder_tile = kFloor;
  builder.bank_turns(loop, options);
  builder.bank_turns(start, options);
  TrackBuilder::set_tile(loop, at(4, 0.2f), at(6, 0.5f), kSand);
  TrackBuilder::set_tile(start, 0.0f, start.length - 30.0f, kHardpack);
  builder.carve({&loop, &start}, options);
  builder.paint_tiles([](float x, float z, int current) {
    return outside_floor(x, z) > 0.5f ? int(kConcrete) : current;
  });

  TrackOutput& out = built->out;
  out.dir = "foundry";
  out.long_name = "Foundry Arena";
  out.description = "A tight stadium track on the floor of an old foundry hall.\n";
  out.ground = &builder.ground();
  out.loop = &loop;
  out.start = &start;
  out.start_gate_s = gate_s;
  out.start_gate_count = 12;
  out.start_gate_spacing = 3.5f;
  out.merge_s = merge_s;
  out.timing_gate_count = 24;
  out.gate_margin = 5.0f;
  out.camera_count = 6;
  out.camera_height = 30.0f;
  out.camera_offset = 60.0f;
  out.lighting.sun_vector = {0.25f, 1.0f, 0.4f};
  out.lighting.sun_color = {0.9f, 0.9f, 0.85f};
  out.lighting.ambient = {0.38f, 0.38f, 0.44f};
  out.lighting.global_ambient = {0.15f, 0.15f, 0.2f};
  name_track_sky(out.lighting, "foundry");
  out.lighting.far_plane = 3000.0f;
  out.tiles = tiles();
  SceneryStyle style;
  style.tape_curvature = 1.0f / 60.0f;
  style.bale_curvature = 1.0f / 30.0f;
  style.seed = 12;
  place_scenery(out, style);
  return built;
}

bool build_foundry(const std::string& root) {
  std::unique_ptr<BuiltTrack> t = foundry_course();
  std::printf("datakit: foundry lap %.0f ft\n", t->loop.length);
  return write_track(root, t->out) && write_stadium_textures(root, "foundry");
}

}  // namespace kit
