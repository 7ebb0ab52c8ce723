#include "render/model.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>

#include "log_capture.h"
#include "render/data_check.h"
#include "render/model_cache.h"
#include "render/render_files.h"
#include "support/data_dirs.h"

namespace br {
namespace {

using br_test::write_file;

std::span<const uint8_t> bytes_of(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// One triangle in the x-y plane with u along x and v along y.
const char kTriangle[] =
    "0 0 0  0 0 1  0 0\n"
    "1 0 0  0 0 1  1 0\n"
    "0 1 0  0 0 1  0 1\n"
    "0 1 2\n";

float length3(const float* v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

TEST(ModelDecode, Jm1HeaderGivesMaterialAndEnvironmentFlag) {
  auto env = decode_model("m", bytes_of(std::string("JM1\n-1 0.5 1 1 1 3 1\n") + kTriangle));
  ASSERT_TRUE(env.model) << env.error;
  EXPECT_TRUE(env.model->environment_mapped);
  EXPECT_FLOAT_EQ(env.model->colour[3], 0.5f);
  auto opaque = decode_model("m", bytes_of(std::string("JM1\n8 0.5 1 0.5 0.25 3 1\n") + kTriangle));
  ASSERT_TRUE(opaque.model) << opaque.error;
  EXPECT_FALSE(opaque.model->environment_mapped);
  EXPECT_EQ(opaque.model->colour, (std::array<float, 4>{1, 0.5f, 0.25f, 1}));
  EXPECT_FLOAT_EQ(opaque.model->shininess, 8);
  // v is stored flipped.
  EXPECT_FLOAT_EQ(opaque.model->texcoords[5], 0.0f);
  EXPECT_FLOAT_EQ(opaque.model->texcoords[1], 1.0f);
}

TEST(ModelDecode, MeshesChainUntilTheHeaderEndsAndTheEnvironmentFlagIsGathered) {
  std::string file = std::string("JM1\n8 1 1 1 1 3 1\n") + kTriangle + "-1 0.3 1 1 1 3 1\n" +
                     kTriangle + "\n# the end\n";
  auto r = decode_model("m", bytes_of(file));
  ASSERT_TRUE(r.model) << r.error;
  EXPECT_EQ(mesh_count(*r.model), 2);
  EXPECT_TRUE(r.model->environment_mapped);
  EXPECT_EQ(chain_triangle_count(*r.model), 2);
}

TEST(ModelDecode, OldestFormIsOneBareMesh) {
  auto r = decode_model("m", bytes_of(std::string("3 1\n") + kTriangle));
  ASSERT_TRUE(r.model) << r.error;
  EXPECT_EQ(r.version, 0);
  EXPECT_FLOAT_EQ(r.model->shininess, 32);
  EXPECT_EQ(r.model->colour, (std::array<float, 4>{1, 1, 1, 1}));
  EXPECT_TRUE(r.model->always_display_list);
}

TEST(ModelDecode, Jm2KeepsTheFourStrongestWeightsAndWarnsOncePerMesh) {
  std::string file = "JM2 5 rider\n8 1 1 1 1 3 1\n";
  const char* weights[] = {"0.5 0.2 0.1 0.1 0.1", "0 0 0 0 0", "0.1 0.1 0.1 0.1 0.5"};
  const char* vertices[] = {"0 0 0 0 0 1 0 0 ", "1 0 0 0 0 1 1 0 ", "0 1 0 0 0 1 0 1 "};
  for (int i = 0; i < 3; ++i) file += std::string(vertices[i]) + weights[i] + "\n";
  file += "0 1 2\n";
  auto r = decode_model("@rider.jm", bytes_of(file));
  ASSERT_TRUE(r.model) << r.error;
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0], "Warning: vertex with more than 4 bone influences in '@rider.jm'");
  const Model& m = *r.model;
  EXPECT_EQ(m.bones, 5);
  EXPECT_EQ(r.skeleton, "rider");
  float sum = 0;
  for (int k = 0; k < 4; ++k) sum += m.bone_weights[k];
  EXPECT_NEAR(sum, 1.0f, 1e-6);
  EXPECT_NEAR(m.bone_weights[0], 0.5f / 0.9f, 1e-6);
  EXPECT_EQ(m.bone_indices[0], 0);
  EXPECT_NEAR(m.bone_weights[1], 0.2f / 0.9f, 1e-6);
  EXPECT_EQ(m.bone_indices[1], 1);
  for (int k = 4; k < 8; ++k) EXPECT_FLOAT_EQ(m.bone_weights[k], 0.25f);  // no weights at all
  // The strong fifth influence replaces one of the weak ones.
  bool has_bone_four = false;
  for (int k = 8; k < 12; ++k) has_bone_four |= m.bone_indices[k] == 4 && m.bone_weights[k] > 0.6f;
  EXPECT_TRUE(has_bone_four);
  EXPECT_EQ(m.rest_positions, m.positions);
  EXPECT_EQ(m.rest_tangents, m.tangents);
}

TEST(ModelDecode, TangentsFollowUAndDegenerateMappingsStillGiveUnitTangents) {
  auto r = decode_model("m", bytes_of(std::string("JM1\n8 1 1 1 1 3 1\n") + kTriangle));
  ASSERT_TRUE(r.model);
  for (int i = 0; i < 3; ++i) {
    const float* t = &r.model->tangents[i * 3];
    EXPECT_NEAR(std::fabs(t[0]), 1.0f, 1e-6);
    EXPECT_NEAR(t[1], 0.0f, 1e-6);
  }
  // All three corners share one texture coordinate: the longer edge gives the direction.
  auto flat = decode_model("m", bytes_of("JM1\n8 1 1 1 1 3 1\n"
                                         "0 0 0 0 0 1 .5 .5\n0 3 0 0 0 1 .5 .5\n"
                                         "1 0 0 0 0 1 .5 .5\n0 1 2\n"));
  ASSERT_TRUE(flat.model);
  for (int i = 0; i < 3; ++i) {
    const float* t = &flat.model->tangents[i * 3];
    EXPECT_NEAR(length3(t), 1.0f, 1e-5);
    EXPECT_NEAR(t[1], 1.0f, 1e-5);
  }
  // A vertex no triangle touches gets a unit tangent too, never a division by zero.
  auto spare = decode_model("m", bytes_of("3 0\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n"
                                          "0 1 0 0 0 1 0 1\n"));
  ASSERT_TRUE(spare.model);
  EXPECT_NEAR(length3(&spare.model->tangents[0]), 1.0f, 1e-6);
}

TEST(ModelDecode, LyingOrBrokenFilesAreRefusedCleanly) {
  const char* broken[] = {
      "JM3\n8 1 1 1 1 3 1\n",                   // unknown version
      "JM1\n8 1 1 1 1 -3 1\n",                  // negative count
      "JM1\n8 1 1 1 1 3 -1\n",                  // negative count
      "JM1\n8 1 1 1 1 2000000000 1\n0 0 0",     // count larger than the file
      "JM1\n8 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n",  // truncated vertices
      "JM1\n8 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 3\n",
      "JM1\n8 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 -1 2\n",
      "JM1\n8 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1\n",
      "JM2 -4 rider\n8 1 1 1 1 0 0\n",  // negative bone count
      "JM2 100000 rider\n",             // absurd bone count
      "JM1\n",                          // no mesh at all
      "hello world",
      "",
  };
  for (const char* text : broken) {
    auto r = decode_model("m", bytes_of(text));
    EXPECT_FALSE(r.model) << text;
    EXPECT_FALSE(r.error.empty()) << text;
  }
  // A broken second mesh is dropped with a warning; the whole first one is kept.
  auto partial = decode_model(
      "m", bytes_of(std::string("JM1\n8 1 1 1 1 3 1\n") + kTriangle + "8 1 1 1 1 3 1\n0 0 0\n"));
  ASSERT_TRUE(partial.model);
  EXPECT_EQ(mesh_count(*partial.model), 1);
  EXPECT_EQ(partial.warnings.size(), 1u);
}

class ModelCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { br_test::use_data_directory(dir.path().string()); }
  void TearDown() override {
    model_delete_all();
    br_test::restore_data_directories();
  }
  void put(const std::string& name, int triangles) {
    std::string file = "JM1\n8 1 1 1 1 3 " + std::to_string(triangles) + "\n";
    file += "0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n";
    for (int i = 0; i < triangles; ++i) file += "0 1 2\n";
    write_file(dir.file(name), file);
  }
  void compress(const std::string& path) {
    std::string text = br_test::read_file(path);
    gzFile out = gzopen((path + ".gz").c_str(), "wb");
    gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
    gzclose(out);
    std::filesystem::remove(path);
  }
  br_test::TempDir dir;
};

TEST_F(ModelCacheTest, DetailVariantsAreFoundAmongTheDataFilesAndChosenByDistance) {
  put("car.jm", 3);
  put("car_lod3.jm", 1);
  compress(dir.file("car_lod3.jm"));
  put("car_lod1.jm", 2);
  put("carpet.jm", 1);
  put("car_lodge.jm", 1);
  // Not variants: numbers strtod would take, a factor beyond any distance, other file types.
  for (const char* other : {"car_lodnan.jm", "car_lodinf.jm", "car_lod1e3.jm", "car_lod-2.jm",
                            "car_lod999.jm", "car_lod2.png", "car_lod2.jm.bak"})
    put(other, 1);
  Model* car = model_load("@car.jm");
  ASSERT_NE(car, nullptr);
  ASSERT_NE(car->coarser, nullptr);
  const Model* lod1 = car->coarser.get();
  ASSERT_NE(lod1->coarser, nullptr);
  const Model* lod3 = lod1->coarser.get();
  EXPECT_EQ(lod1->name, "@car_lod1.jm");
  EXPECT_FLOAT_EQ(lod1->detail_factor, 2);
  EXPECT_EQ(lod3->name, "@car_lod3.jm");
  EXPECT_FLOAT_EQ(lod3->detail_factor, 8);
  EXPECT_EQ(lod3->coarser, nullptr);

  EXPECT_EQ(choose_detail_variant(*car, 1.9f, 1, 0), car);
  EXPECT_EQ(choose_detail_variant(*car, 2.0f, 1, 0), lod1);
  EXPECT_EQ(choose_detail_variant(*car, 7.9f, 1, 0), lod1);
  EXPECT_EQ(choose_detail_variant(*car, 8.0f, 1, 0), lod3);
  EXPECT_EQ(choose_detail_variant(*car, 0.0f, 1, 4), lod1);
  EXPECT_EQ(choose_detail_variant(*car, 3.9f, 1, 4), lod1);
  EXPECT_EQ(choose_detail_variant(*car, 4.0f, 1, 4), lod3);
  EXPECT_EQ(choose_detail_variant(*car, 1.0f, 2, 0), lod1);  // scale stretches the distance

  DataCheck check = describe_model("@car.jm");
  EXPECT_TRUE(check.ok);
  EXPECT_NE(check.text.find("@car.jm: JM1, 1 meshes, 3 vertices, 3 triangles"), std::string::npos)
      << check.text;
  EXPECT_NE(check.text.find("detail variant @car_lod3.jm, factor 8"), std::string::npos);
}

TEST_F(ModelCacheTest, CacheReturnsTheSameModelAndWarnsOnCaseMismatch) {
  put("gate.jm", 1);
  Model* gate = model_load("@gate.jm");
  ASSERT_NE(gate, nullptr);
  EXPECT_EQ(model_load("@gate.jm"), gate);
  br_test::LogCapture log;
  EXPECT_EQ(model_load("@GATE.jm"), gate);
  EXPECT_EQ(log.count("Warning: case mismatch on '@GATE.jm'"), 1);
  EXPECT_EQ(model_load("@missing.jm"), nullptr);
  EXPECT_EQ(model_cache_size(), 1);
  model_delete_all();
  EXPECT_EQ(log.count("deleting model @gate.jm"), 1);
  EXPECT_EQ(model_cache_size(), 0);
}

TEST_F(ModelCacheTest, AnotherTrackFreesTheModelsOnlyTheLastOneAskedFor) {
  for (const char* name : {"rider.jm", "old.jm", "both.jm", "new.jm"}) put(name, 1);
  Model* rider = model_load("@rider.jm");  // before any track: kept for the run
  model_begin_generation();
  model_load("@old.jm");
  Model* both = model_load("@both.jm");
  model_begin_generation();
  EXPECT_EQ(model_load("@both.jm"), both);
  model_load("@new.jm");
  br_test::LogCapture log;
  model_delete_unused();
  EXPECT_EQ(log.count("deleting model"), 1);
  EXPECT_EQ(log.count("deleting model @old.jm"), 1);
  EXPECT_EQ(model_cache_size(), 3);
  EXPECT_EQ(model_load("@rider.jm"), rider);
}

}  // namespace
}  // namespace br
