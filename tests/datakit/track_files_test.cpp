// The two tracks, read back file by file with the formats' own reading patterns.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "kit_output.h"
#include "png_reader.h"
#include "track/terrain_format.h"

namespace br_test {
namespace {

struct Gate {
  float radius, x, y, z, dx, dy, dz;
};

struct Timing {
  int starts = 0;
  std::vector<Gate> gates;
  std::vector<int> first_lap, normal_lap;
};

// Reads "timing_gates" the way the game does: start lines until "checkpoints:", gates until
// one fails to parse, then the two lists of integers.
Timing read_timing(const std::string& text) {
  Timing t;
  std::istringstream in(text);
  std::string word, line;
  in >> word;
  EXPECT_EQ(word, "startinggate:");
  std::getline(in, line);
  while (std::getline(in, line)) {
    if (line.rfind("checkpoints:", 0) == 0) break;
    float x, y, z, yaw;
    if (std::sscanf(line.c_str(), " [ %f %f %f ] %f", &x, &y, &z, &yaw) < 4) break;
    ++t.starts;
  }
  Gate g;
  while (std::getline(in, line)) {
    if (std::sscanf(line.c_str(), "%f [ %f %f %f ] [ %f %f %f ]", &g.radius, &g.x, &g.y, &g.z,
                    &g.dx, &g.dy, &g.dz) != 7) {
      break;
    }
    t.gates.push_back(g);
  }
  EXPECT_EQ(line, "firstlap:");
  int ref;
  while (in >> ref) t.first_lap.push_back(ref);
  in.clear();
  in >> word;
  EXPECT_EQ(word, "normallap:");
  while (in >> ref) t.normal_lap.push_back(ref);
  return t;
}

// The picture names a scenery line refers to, as data names without "@" and tint.
std::string data_name(std::string name) {
  if (name.size() > 8 && name[0] == '#' && name[7] == '#') name = name.substr(8);
  return name[0] == '@' ? name.substr(1) : name;
}

class TrackFiles : public ::testing::TestWithParam<const char*> {
 protected:
  std::string dir() const { return GetParam(); }
  std::string file(const std::string& name) const { return kit_file(dir() + "/" + name); }
};

TEST_P(TrackFiles, HeightFieldTilesAndBakedLightAgreeInSize) {
  ASSERT_FALSE(kit_output().empty());
  std::string hf = file("terrain.hf");
  auto parsed = br::parse_terrain_header(hf);
  ASSERT_TRUE(parsed);
  ASSERT_TRUE(parsed->inline_heights);
  const int side = br::terrain_side(parsed->header.size_exp);
  const int tiles = br::terrain_tile_side(parsed->header.size_exp);
  EXPECT_EQ(hf.size() - parsed->samples_offset, size_t(side) * side * 2);
  EXPECT_LT(parsed->header.min_height, parsed->header.max_height);

  std::string tileinfo = file("tileinfo");
  int tile_count = 0;
  std::istringstream lines(tileinfo);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "addtile") ++tile_count;
    if (line.rfind("texture ", 0) == 0) {
      EXPECT_TRUE(kit_has(data_name(line.substr(8)))) << line;
    }
  }
  ASSERT_GE(tile_count, 4);
  std::string tilemap = file("tilemap");
  ASSERT_EQ(tilemap.size(), size_t(tiles) * tiles);
  std::vector<int> used(size_t(tile_count), 0);
  for (unsigned char t : tilemap) {
    ASSERT_LT(t, tile_count);
    ++used[t];
  }
  for (int t = 0; t < tile_count; ++t) EXPECT_GT(used[size_t(t)], 0) << "tile " << t << " unused";

  for (const char* name : {"shadingx2.ppm", "shadows.pgm"}) {
    std::string image = file(name);
    char magic[3] = {};
    int w = 0, h = 0, max = 0, used_chars = 0;
    ASSERT_EQ(std::sscanf(image.c_str(), "%2s %d %d %d%n", magic, &w, &h, &max, &used_chars), 4);
    EXPECT_EQ(w, side);
    EXPECT_EQ(h, side);
    size_t channels = std::strcmp(magic, "P6") == 0 ? 3 : 1;
    EXPECT_EQ(image.size() - size_t(used_chars) - 1, size_t(side) * side * channels) << name;
  }
}

TEST_P(TrackFiles, TimingMakesALapOfGatesInReach) {
  ASSERT_FALSE(kit_output().empty());
  Timing t = read_timing(file("timing_gates"));
  EXPECT_GE(t.starts, 10);
  EXPECT_LE(t.starts, 160);
  ASSERT_GE(t.gates.size(), 10u);
  ASSERT_FALSE(t.first_lap.empty());
  ASSERT_FALSE(t.normal_lap.empty());
  for (int r : t.first_lap) EXPECT_LT(r % 100000, int(t.gates.size()));
  for (int r : t.normal_lap) EXPECT_LT(r % 100000, int(t.gates.size()));
  // A lap ends where the first lap ends, and every gate of the lap follows its predecessor
  // closely enough that no stretch of the course can be missed out between them.
  EXPECT_EQ(t.first_lap.back(), t.normal_lap.back());
  for (size_t i = 0; i < t.normal_lap.size(); ++i) {
    const Gate& a = t.gates[size_t(t.normal_lap[i])];
    const Gate& b = t.gates[size_t(t.normal_lap[(i + 1) % t.normal_lap.size()])];
    float d = std::hypot(a.x - b.x, a.z - b.z);
    EXPECT_GT(d, a.radius) << "gates " << i;
    EXPECT_LT(d, 250.0f) << "gates " << i;
    EXPECT_NEAR(std::hypot(a.dx, a.dz), 1.0f, 1e-3f);
  }
}

TEST_P(TrackFiles, SceneryNamesFilesThatExist) {
  ASSERT_FALSE(kit_output().empty());
  std::istringstream billboards(file("billboards"));
  float x, y, z, w, h, yaw;
  char name[1024], texture[1024], shape[1024];
  std::string line;
  int count = 0;
  while (std::getline(billboards, line)) {
    ASSERT_EQ(std::sscanf(line.c_str(), "[ %f %f %f ] %f %f %1023s", &x, &y, &z, &w, &h, name), 6);
    EXPECT_TRUE(kit_has(data_name(name))) << name;
    ++count;
  }
  EXPECT_GT(count, 10);
  std::istringstream statues(file("statues"));
  count = 0;
  while (std::getline(statues, line)) {
    ASSERT_EQ(std::sscanf(line.c_str(), "[ %f %f %f ] %f %1023s %1023s %1023s", &x, &y, &z, &yaw,
                          name, texture, shape),
              7);
    for (const char* n : {name, texture, shape}) EXPECT_TRUE(kit_has(data_name(n))) << n;
    EXPECT_GT(yaw, -3.15f);  // tilted to the ground, not the upright special value
    EXPECT_LT(yaw, 3.15f);
    ++count;
  }
  EXPECT_GT(count, 4);
  std::istringstream decals(file("decals"));
  float angle;
  while (std::getline(decals, line)) {
    ASSERT_EQ(std::sscanf(line.c_str(), "[ %f %f ] %f %f %f %1023s", &x, &z, &angle, &w, &h, name),
              6);
    EXPECT_TRUE(kit_has(data_name(name))) << name;
  }
  std::istringstream lighting(file("lighting"));
  while (std::getline(lighting, line)) {
    if (line.rfind("sky_", 0) == 0) {
      EXPECT_TRUE(kit_has(data_name(line.substr(line.find(' ') + 1)))) << line;
    }
  }
  int cameras = 0;
  std::istringstream cams(file("cameras"));
  while (std::getline(cams, line)) cameras += line.rfind("addcamera ", 0) == 0;
  EXPECT_GE(cameras, 4);
  std::string desc = file("desc");
  EXPECT_GT(desc.find('\n'), 0u);
  DecodedPng map = read_png(kit_output() + "/" + dir() + "/map.png");
  EXPECT_TRUE(map.ok);
}

INSTANTIATE_TEST_SUITE_P(Tracks, TrackFiles, ::testing::Values("rabbithill", "foundry"));

}  // namespace
}  // namespace br_test
