// Rabbit Hill: an outdoor motocross circuit around two grassy hills. A wide hardpack start
// straight behind twenty gates, a fast bottom straight with a tabletop, bermed turns, a
// rhythm section, a double, sand whoops over the top of the hill, an off-camber hardpack
// descent and a flowing return to the finish.
#include <cmath>
#include <cstdio>
#include <memory>

#include "track_builder.h"
#include "track_files.h"
#include "track_textures.h"
#include "tracks.h"

namespace kit {

namespace {

enum Tile { kLoam = 0, kHardpack = 1, kSand = 2, kGrass = 3 };

// The course was laid out on a larger plan; this brings it to a lap of about 4000 feet.
constexpr float kPlanScale = 0.82f;
std::pair<float, float> plan(float x, float z) {
  return {1024.0f + (x - 1040.0f) * kPlanScale, 1024.0f + (z - 1100.0f) * kPlanScale};
}

float hill(float x, float z, float cx, float cz, float radius, float height) {
  auto [px, pz] = plan(cx, cz);
  float d = std::hypot(x - px, z - pz) / (radius * kPlanScale);
  return height * std::exp(-d * d * 1.6f);
}

float land(float x, float z) {
  float h = 12.0f * fractal_noise(x / 260.0f, z / 260.0f, 4, 7);
  h += hill(x, z, 1150, 800, 300, 55);  // the rabbit hill itself
  h += hill(x, z, 720, 810, 170, 28);
  h += hill(x, z, 1300, 1250, 160, 8);
  float d = std::hypot(x - 1024, z - 1024);
  h += 70.0f * smoothstep((d - 820.0f) / 260.0f);  // the ring of hills around the valley
  return h;
}

std::vector<br::TileInfo> tiles() {
  using br::TileInfo;
  auto roost = [](std::initializer_list<std::pair<std::string, std::string>> p) {
    return br::RoostLine{std::vector<std::pair<std::string, std::string>>(p)};
  };
  TileInfo loam;
  loam.texture = "@rabbithill/loam.png";
  loam.friction = {{1.12f, 5.0f}, {1.05f, 40.0f}, {0.98f, 90.0f}};
  loam.roll_resist = {{4.0f, 16.0f, 1.0f}, {5.0f, 18.0f, 60.0f}};
  // Thrown dirt, then a dust cloud that lingers. Fades are per second but kept as whole units
  // per step, so -128 is the slowest fade there is (one unit of alpha every 1/128 s).
  loam.roost = {roost({{"count", "10"}, {"r", "120"}, {"g", "88"}, {"b", "60"}, {"size", "0.3"}}),
                roost({{"count", "3"},
                       {"r", "150"},
                       {"g", "120"},
                       {"b", "90"},
                       {"a", "120"},
                       {"size", "0.8"},
                       {"grow", "6"},
                       {"drag", "1.5"},
                       {"vscale", "0.5"},
                       {"fade_a", "-128"}})};
  // A wheel leaves a mark every step, 128 a second, and each mark moves depth x erosion / 2048
  // at its centre: at 30 ft/s about 17 marks' worth lands on every sample a wheel rolls over.
  // So the depth is small: one wheel pass at the highest erosion cuts about an inch of loam,
  // and a full gate racing a few laps wears the busiest places a foot or two deep.
  loam.erode = {0.12f, 45.0f, 140.0f, 2.0f, 4.0f, 0.25f, 10.0f, 15.0f};
  TileInfo hard;
  hard.texture = "@rabbithill/hardpack.png";
  hard.friction = {{1.0f, 5.0f}, {0.9f, 50.0f}, {0.82f, 100.0f}};
  hard.roll_resist = {{3.0f, 9.0f, 1.0f}};
  hard.roost = {roost({{"count", "4"}, {"r", "175"}, {"g", "150"}, {"b", "115"}, {"size", "0.2"}}),
                roost({{"count", "4"},
                       {"r", "200"},
                       {"g", "185"},
                       {"b", "160"},
                       {"a", "90"},
                       {"size", "1.0"},
                       {"grow", "8"},
                       {"drag", "2"},
                       {"vscale", "0.4"},
                       {"fade_a", "-128"}})};
  hard.erode = {0.035f, 70.0f, 200.0f, 1.5f, 4.0f, 0.2f, 12.0f, 20.0f};
  TileInfo sand;
  sand.texture = "@rabbithill/sand.png";
  sand.friction = {{0.92f, 5.0f}, {0.86f, 60.0f}};
  sand.roll_resist = {{9.0f, 32.0f, 1.0f}, {10.0f, 36.0f, 60.0f}};
  sand.roost = {roost({{"count", "16"},
                       {"r", "215"},
                       {"g", "190"},
                       {"b", "135"},
                       {"size", "0.2"},
                       {"randomize", "20"},
                       {"dig", "1.5"}})};
  // Sand gives way more easily, wider and further than loam, so its depth per mark need not
  // be larger for its ruts and whoops to grow faster.
  sand.erode = {0.11f, 30.0f, 110.0f, 3.0f, 5.0f, 0.35f, 8.0f, 12.0f};
  TileInfo grass;
  grass.texture = "@rabbithill/grass.png";
  grass.friction = {{0.8f, 5.0f}, {0.62f, 60.0f}};
  grass.roll_resist = {{6.0f, 20.0f, 1.0f}};
  grass.roost = {roost({{"count", "3"}, {"r", "70"}, {"g", "95"}, {"b", "40"}, {"size", "0.25"}}),
                 roost({{"count", "2"}, {"r", "110"}, {"g", "85"}, {"b", "60"}, {"size", "0.3"}})};
  grass.erode = {0.05f, 60.0f, 170.0f, 1.5f, 4.0f, 0.25f, 10.0f, 15.0f};
  return {loam, hard, sand, grass};
}

}  // namespace

std::unique_ptr<BuiltTrack> rabbithill_course() {
  const float kHalfWidth = 14.0f;
  auto built = std::make_unique<BuiltTrack>(TrackBuilder(9, 2.0f, land));
  TrackBuilder& builder = built->builder;
  CourseLine& loop = built->loop;
  CourseLine& start = built->start;
  // The lap, clockwise on the map; the finish line is at the first point.
  auto planned = [](std::vector<std::pair<float, float>> points) {
    for (auto& p : points) p = plan(p.first, p.second);
    return points;
  };
  loop = make_course_line(
      planned({{600, 1500},  {900, 1505},  {1200, 1500}, {1420, 1460}, {1490, 1330}, {1420, 1225},
               {1250, 1195}, {1050, 1190}, {900, 1150},  {860, 1060},  {950, 1005},  {1150, 1010},
               {1400, 1000}, {1560, 950},  {1610, 800},  {1550, 650},  {1400, 575},  {1150, 555},
               {900, 575},   {700, 615},   {560, 720},   {500, 880},   {560, 1000},  {680, 1100},
               {690, 1250},  {560, 1350},  {470, 1450}}),
      true, kHalfWidth);
  start = make_course_line(
      planned({{260, 1650}, {420, 1650}, {600, 1645}, {760, 1620}, {860, 1560}, {930, 1510}}),
      false, kHalfWidth);
  const float gate_s = 70.0f;
  builder.follow_land(loop, 90.0f);
  builder.follow_land(start, 90.0f);
  float merge_s = loop.control_s[1] + 40.0f;
  TrackBuilder::blend_end_into(start, loop, merge_s, 200.0f);
  TrackBuilder::set_half_width(start, 0.0f, start.length, 38.0f, kHalfWidth);
  for (LinePoint& p : start.points) {
    if (p.s < gate_s + 60.0f) p.half_width = 38.0f;
  }
  TrackBuilder::set_half_width(start, gate_s + 60.0f, start.length - 20.0f, 38.0f, kHalfWidth);

  auto at = [&](int k, float f) {
    float a = loop.control_s[size_t(k)];
    float b = k + 1 < int(loop.control_s.size()) ? loop.control_s[size_t(k) + 1] : loop.length;
    return a + (b - a) * f;
  };
  add_tabletop(loop, at(1, 0.55f), 6.0f, 22.0f, 32.0f, 30.0f);
  add_rollers(loop, at(2, 0.35f), 2, 3.0f, 28.0f);
  add_rollers(loop, at(6, 0.05f), 6, 3.2f, 25.0f);             // the rhythm section
  add_double(loop, at(11, 0.05f), 7.0f, 20.0f, 24.0f, 34.0f);  // the big double
  add_tabletop(loop, at(12, 0.1f), 4.5f, 18.0f, 20.0f, 26.0f);
  add_rollers(loop, at(16, 0.2f), 14, 1.6f, 11.0f);  // sand whoops
  add_tabletop(loop, at(17, 0.45f), 5.5f, 20.0f, 26.0f, 30.0f);
  add_double(loop, at(22, 0.5f), 5.0f, 18.0f, 18.0f, 28.0f);
  add_rollers(loop, at(25, 0.2f), 3, 2.5f, 22.0f);

  CarveOptions options;
  options.shoulder = 26.0f;
  options.off_track_tile = kGrass;
  options.shoulder_tile = kLoam;
  builder.bank_turns(loop, options);
  builder.bank_turns(start, options);
  TrackBuilder::set_bank(loop, at(19, 0.1f), at(21, 0.6f), 0.16f);  // off-camber descent
  TrackBuilder::set_tile(loop, at(15, 0.6f), at(17, 0.15f), kSand);
  TrackBuilder::set_tile(loop, at(19, 0.0f), at(21, 0.8f), kHardpack);
  TrackBuilder::set_tile(start, 0.0f, start.length - 60.0f, kHardpack);
  builder.carve({&loop, &start}, options);

  TrackOutput& out = built->out;
  out.dir = "rabbithill";
  out.long_name = "Rabbit Hill";
  out.description = "An outdoor motocross circuit around two grassy hills.\n";
  out.ground = &builder.ground();
  out.loop = &loop;
  out.start = &start;
  out.start_gate_s = gate_s;
  out.start_gate_count = 20;
  out.merge_s = merge_s;
  out.timing_gate_count = 28;
  out.lighting.sun_vector = {0.62f, 0.55f, 0.42f};
  out.lighting.sun_color = {0.95f, 0.9f, 0.8f};
  out.lighting.ambient = {0.42f, 0.45f, 0.5f};
  out.lighting.global_ambient = {0.2f, 0.2f, 0.22f};
  name_track_sky(out.lighting, "rabbithill");
  out.lighting.fog_color = {0.72f, 0.8f, 0.88f};
  out.lighting.fog_density = 0.00025f;
  out.lighting.far_plane = 6000.0f;
  out.tiles = tiles();
  SceneryStyle style;
  style.trees = 420;
  style.tree_pictures = {"@rabbithill/tree-pine.png", "@rabbithill/tree-oak.png"};
  style.seed = 11;
  place_scenery(out, style);
  return built;
}

bool build_rabbithill(const std::string& root) {
  std::unique_ptr<BuiltTrack> t = rabbithill_course();
  std::printf("datakit: rabbithill lap %.0f ft\n", t->loop.length);
  return write_track(root, t->out) && write_outdoor_textures(root, "rabbithill");
}

}  // namespace kit
