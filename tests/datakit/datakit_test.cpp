// The data kit as a whole: the same bytes on every run, every file the bike catalogue and the
// start-up name, and the models, shapes, pictures and fonts readable in their formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "bike/shape_check.h"
#include "bike/shape_format.h"
#include "bikes.h"
#include "kit_output.h"
#include "png_reader.h"
#include "world/bike_models.h"

namespace br_test {
namespace {

namespace fs = std::filesystem;

// The robots' line files are ridden into the build's data set after the kit has run, by
// lines_kit, which has its own check of the same kind.
bool ridden_lines(const fs::path& file) { return file.filename().string().starts_with("lines_"); }

std::map<std::string, std::string> tree(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file() && !ridden_lines(e.path()))
      files[fs::relative(e.path(), root).string()] = read_file(e.path().string());
  }
  return files;
}

TEST(Datakit, TwoRunsWriteTheSameBytes) {
  ASSERT_FALSE(kit_output().empty());
  TempDir second;
  ASSERT_TRUE(run_datakit(second.path().string() + "/data"));
  auto a = tree(kit_output());
  auto b = tree(second.path().string() + "/data");
  ASSERT_EQ(a.size(), b.size());
  for (const auto& [name, bytes] : a) {
    auto other = b.find(name);
    ASSERT_NE(other, b.end()) << name;
    EXPECT_TRUE(other->second == bytes) << name << " differs between runs";
  }
}

TEST(Datakit, EveryCatalogueAndStartUpFileExists) {
  ASSERT_FALSE(kit_output().empty());
  for (const br::BikeModelName& m : br::kBikeModels) {
    std::string stem = kit::bike_file_stem(m.texture_prefix);
    for (const char* part : {"_frame.jm", "_fork_upper.jm", "_fork_lower.jm", "_swingarm.jm",
                             "_side_plates.jm", "_front_plate.jm", ".png"}) {
      EXPECT_TRUE(kit_has(stem + part)) << m.name << ": " << stem + part;
    }
    // The robots pick "-alt1" and "-alt2" textures of the model's own prefix.
    EXPECT_TRUE(kit_has(std::string(m.texture_prefix) + "alt1.png")) << m.name;
    EXPECT_TRUE(kit_has(std::string(m.texture_prefix) + "alt2.png")) << m.name;
  }
  for (const char* name : {"front_wheel.jm",      "rear_wheel.jm",         "wheels.png",
                           "wheels-alt1.png",     "wheels-alt2.png",       "rider_head.jm",
                           "rider_head.png",      "rider_body.jm",         "rider_body_fp.jm",
                           "rider_body.png",      "rider_plate.jm",        "rider_body-alt1.png",
                           "rider_body-alt2.png", "rider_body-alt3.png",   "rider_head-alt1.png",
                           "rider_head-alt2.png", "rider_head-alt3.png",   "font.png",
                           "numbers.png",         "numbers-condensed.png", "tach.png",
                           "shifter.png",         "pitboard.png",          "title.png",
                           "roost.png",           "startgate.jm",          "startgate.ppm",
                           "startgate.shp",       "rabbithill/terrain.hf", "foundry/terrain.hf"}) {
    EXPECT_TRUE(kit_has(name)) << name;
  }
  for (const char* shape : br::kGenericShapeFiles) EXPECT_TRUE(kit_has(shape + 1)) << shape;
}

TEST(Datakit, ShapesParseAndFitTheirParts) {
  ASSERT_FALSE(kit_output().empty());
  std::map<std::string, float> reach = {{"generic_frame.shp", 4.0f},
                                        {"generic_fork_upper.shp", 2.0f},
                                        {"generic_fork_lower.shp", 1.2f},
                                        {"generic_swingarm.shp", 1.5f},
                                        {"front_wheel.shp", 1.2f},
                                        {"rear_wheel.shp", 1.1f},
                                        {"generic_rider.shp", 2.0f},
                                        {"startgate.shp", 2.2f},
                                        {"haybale.shp", 2.5f}};
  for (const auto& [name, most] : reach) {
    auto shape = br::parse_shape(kit_file(name));
    ASSERT_TRUE(shape) << name;
    EXPECT_FALSE(shape->empty()) << name;
    EXPECT_LE(br::shape_bounding_radius(*shape), most) << name;
    for (const br::ShapeSphere& s : *shape) EXPECT_GT(s.radius, 0.0f) << name;
  }
}

TEST(Datakit, GenericShapesMatchTheGamesStockShapeDigest) {
  ASSERT_FALSE(kit_output().empty());
  std::vector<std::string> contents;
  for (const char* name : br::kGenericShapeFiles) contents.push_back(kit_file(name + 1));
  EXPECT_EQ(br::shape_files_digest(contents), br::kStockShapeDigest)
      << "the shapes changed: put their new digest in src/bike/shape_check.h";
}

// Reads a model file as the game's model reader does and checks what it would build.
struct ModelCheck {
  bool ok = false;
  int bones = 0;
  int meshes = 0;
  int vertices = 0;
  int triangles = 0;
  std::string problem;
};

ModelCheck check_model(const std::string& text) {
  ModelCheck c;
  std::istringstream in(text);
  std::string magic;
  in >> magic;
  if (magic == "JM2") {
    std::string skeleton;
    in >> c.bones >> skeleton;
  } else if (magic != "JM1") {
    c.problem = "not a model: " + magic;
    return c;
  }
  float shininess, alpha, r, g, b;
  int nv, nt;
  while (in >> shininess >> alpha >> r >> g >> b >> nv >> nt) {
    if (nv <= 0 || nt <= 0) return c.problem = "empty mesh", c;
    for (int i = 0; i < nv; ++i) {
      float f[8];
      for (float& x : f) in >> x;
      float weight = 0, w;
      for (int k = 0; k < c.bones; ++k) in >> w, weight += w;
      if (!in) return c.problem = "short vertex", c;
      if (std::fabs(std::hypot(f[3], f[4], f[5]) - 1.0f) > 0.01f) return c.problem = "normal", c;
      if (f[6] < 0 || f[6] > 1 || f[7] < 0 || f[7] > 1) return c.problem = "texture coordinate", c;
      if (c.bones > 0 && std::fabs(weight - 1.0f) > 1e-4f) return c.problem = "weights", c;
    }
    for (int i = 0; i < nt * 3; ++i) {
      int k = -1;
      in >> k;
      if (!in || k < 0 || k >= nv) return c.problem = "triangle index", c;
    }
    ++c.meshes;
    c.vertices += nv;
    c.triangles += nt;
  }
  c.ok = c.meshes > 0;
  if (!c.ok) c.problem = "no mesh";
  return c;
}

TEST(Datakit, ModelsReadBackWithSensibleMeshes) {
  ASSERT_FALSE(kit_output().empty());
  int models = 0;
  for (const auto& e : fs::recursive_directory_iterator(kit_output())) {
    if (e.path().extension() != ".jm") continue;
    std::string name = e.path().filename().string();
    ModelCheck c = check_model(read_file(e.path().string()));
    EXPECT_TRUE(c.ok) << name << ": " << c.problem;
    EXPECT_LT(c.vertices, 20000) << name;
    bool skinned = name.starts_with("rider_body");
    EXPECT_EQ(c.bones, skinned ? 9 : 0) << name;
    ++models;
  }
  EXPECT_GE(models, 30 * 6 + 6);
}

// A coarse variant stands in for its model from afar: it must be skinned as the model is (the
// same bones pose it) and cost well under what it replaces.
TEST(Datakit, CoarseVariantsAreLighterStandInsForTheirModels) {
  ASSERT_FALSE(kit_output().empty());
  int variants = 0;
  for (const auto& e : fs::recursive_directory_iterator(kit_output())) {
    const std::string name = e.path().filename().string();
    const size_t at = name.find("_lod");
    if (e.path().extension() != ".jm" || at == std::string::npos) continue;
    const std::string base = name.substr(0, at) + ".jm";
    ASSERT_TRUE(kit_has(base)) << name << " stands in for no model";
    ModelCheck fine = check_model(read_file((e.path().parent_path() / base).string()));
    ModelCheck coarse = check_model(read_file(e.path().string()));
    ASSERT_TRUE(fine.ok && coarse.ok) << name;
    EXPECT_EQ(coarse.bones, fine.bones) << name;
    EXPECT_LT(coarse.triangles * 2, fine.triangles) << name;
    ++variants;
  }
  // Both wheels, the rider's body and his helmet.
  EXPECT_GE(variants, 4);
}

bool power_of_two(int v) {
  return v > 0 && (v & (v - 1)) == 0;
}

TEST(Datakit, PicturesDecodeAtPowerOfTwoSizes) {
  ASSERT_FALSE(kit_output().empty());
  int pictures = 0;
  for (const auto& e : fs::recursive_directory_iterator(kit_output())) {
    if (e.path().extension() != ".png") continue;
    DecodedPng png = read_png(e.path().string());
    ASSERT_TRUE(png.ok) << e.path();
    EXPECT_TRUE(power_of_two(png.width) && power_of_two(png.height)) << e.path();
    ++pictures;
  }
  EXPECT_GT(pictures, 100);
}

TEST(Datakit, SomeBikeTexturesCarryNumberColours) {
  ASSERT_FALSE(kit_output().empty());
  DecodedPng rm = read_png(kit_output() + "/rmz450.png");
  ASSERT_TRUE(rm.ok);
  size_t at = rm.text.find("[numberbackground:");
  ASSERT_NE(at, std::string::npos);
  float r, g, b;
  ASSERT_EQ(std::sscanf(rm.text.c_str() + at + 18, "%f,%f,%f", &r, &g, &b), 3);
  for (float v : {r, g, b}) EXPECT_TRUE(v >= 0 && v <= 1);
  EXPECT_NE(rm.text.find("[numberforeground:"), std::string::npos);
  // Plain white plates need no tags.
  EXPECT_EQ(read_png(kit_output() + "/crf450v2013.png").text.find("[number"), std::string::npos);
}

// Cuts glyph cells out of a font picture as the game does: boundaries are the pixels of the
// top-left pixel's colour along the top row and the left column.
int glyph_cells_with_ink(const DecodedPng& png, int* cells) {
  auto same = [&](int x, int y) {
    return std::equal(png.at(x, y), png.at(x, y) + 4, png.at(0, 0));
  };
  std::vector<int> cols, rows;
  for (int x = 0; x < png.width; ++x)
    if (same(x, 0)) cols.push_back(x);
  for (int y = 0; y < png.height; ++y)
    if (same(0, y)) rows.push_back(y);
  int inked = 0;
  *cells = 0;
  for (size_t r = 0; r + 1 < rows.size(); ++r) {
    for (size_t c = 0; c + 1 < cols.size(); ++c) {
      ++*cells;
      bool ink = false;
      for (int y = rows[r] + 1; y < rows[r + 1] && !ink; ++y) {
        for (int x = cols[c] + 1; x < cols[c + 1] && !ink; ++x) ink = png.at(x, y)[3] > 128;
      }
      inked += ink;
    }
  }
  return inked;
}

TEST(Datakit, FontsHaveAnInkedCellPerCharacter) {
  ASSERT_FALSE(kit_output().empty());
  struct Font {
    const char* file;
    int chars;
  };
  for (Font f :
       {Font{"font.png", 94}, Font{"numbers.png", 10}, Font{"numbers-condensed.png", 10}}) {
    DecodedPng png = read_png(kit_output() + "/" + f.file);
    ASSERT_TRUE(png.ok) << f.file;
    int cells = 0;
    EXPECT_EQ(glyph_cells_with_ink(png, &cells), f.chars) << f.file;
    EXPECT_EQ(cells, f.chars) << f.file;
  }
}

}  // namespace
}  // namespace br_test
