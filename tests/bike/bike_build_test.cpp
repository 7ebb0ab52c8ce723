// Bikes built from the default data set in a fresh physics world.
#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>
#include <filesystem>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "files/data_index.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "support/bike_world.h"

namespace br {
namespace {

class BikeBuild : public ::testing::Test {
 protected:
  void SetUp() override { br_test::open_bike_world(BR_DATA_DIR); }
  void TearDown() override { br_test::close_bike_world(); }
  BikePtr build(const std::string& model, const std::string& bike_texture = "") {
    return build_bike(g_world, model, 0, "17", "", "", bike_texture, "");
  }
};

// Ties the frame to the static world, as if hung from a stand.
void hold_frame(const Bike& bike) {
  dJointID j = dJointCreateFixed(g_world.physics.world, nullptr);
  dJointAttach(j, bike.bodies[kBodyFrame], nullptr);
  dJointSetFixed(j);
}

double body_mass(dBodyID body) {
  dMass m;
  dBodyGetMass(body, &m);
  return m.mass;
}

TEST_F(BikeBuild, Crf450MassesAddUpTo13Point96Slugs) {
  BikePtr bike = build("crf450(2013)");
  ASSERT_TRUE(bike);
  auto& b = bike->bodies;
  EXPECT_NEAR(body_mass(b[kBodyFrame]), 8.381, 0.001);
  EXPECT_NEAR(body_mass(b[kBodyRider]), 1.823, 0.001);
  EXPECT_NEAR(body_mass(b[kBodyForkUpper]), 0.703, 0.001);
  EXPECT_NEAR(body_mass(b[kBodyForkLower]), 0.703, 0.001);
  EXPECT_NEAR(body_mass(b[kBodySwingarm]), 1.005, 0.001);
  EXPECT_NEAR(body_mass(b[kBodyFrontWheel]), 0.5625, 1e-6);
  EXPECT_NEAR(body_mass(b[kBodyRearWheel]), 0.78125, 1e-6);
  EXPECT_NEAR(bike->total_mass, 13.96, 0.005);
  // The tyre ring spins about the axle: its inertia about x is the largest and y equals z.
  dMass m;
  dBodyGetMass(b[kBodyFrontWheel], &m);
  EXPECT_NEAR(m.I[5], m.I[10], 1e-9);
  EXPECT_GT(m.I[0], m.I[5]);
  EXPECT_EQ(dBodyGetFiniteRotationMode(b[kBodyFrontWheel]), 1);
  EXPECT_EQ(dBodyGetFiniteRotationMode(b[kBodyFrame]), 0);
}

TEST_F(BikeBuild, BodiesSitAtTheCataloguePositionsAtRest) {
  BikePtr bike = build("kx125");
  const BikeEntry& e = bike->entry;
  const dReal* p = dBodyGetPosition(bike->bodies[kBodyRearWheel]);
  EXPECT_DOUBLE_EQ(p[1], e.rear_axle.y);
  EXPECT_DOUBLE_EQ(p[2], e.rear_axle.z);
  p = dBodyGetPosition(bike->bodies[kBodyRider]);
  EXPECT_NEAR(p[1], e.rider_position.y, 1e-6);
  EXPECT_NEAR(p[2], e.rider_position.z, 1e-6);
  for (dBodyID body : bike->bodies) {
    const dReal* v = dBodyGetLinearVel(body);
    EXPECT_EQ(v[0] * v[0] + v[1] * v[1] + v[2] * v[2], 0);
  }
  EXPECT_EQ(bike->wheels[kRearWheel].body, bike->bodies[kBodyRearWheel]);
  EXPECT_DOUBLE_EQ(bike->wheels[kFrontWheel].ring_radius, e.front_ring_radius);
  EXPECT_EQ(bike->state.last_hit_tick, kLongAgo);
  EXPECT_EQ(bike->state.last_contact[1], -1);
  EXPECT_EQ(bike->state.contact_scale[0], 1.0f);
}

TEST_F(BikeBuild, JointsConnectThePartsAndReportTheirForces) {
  BikePtr bike = build("crf450(2013)");
  auto& j = bike->joints;
  auto& b = bike->bodies;
  EXPECT_EQ(dJointGetType(j[kJointFrontAxle]), dJointTypeHinge);
  EXPECT_EQ(dJointGetBody(j[kJointFrontAxle], 0), b[kBodyForkLower]);
  EXPECT_EQ(dJointGetBody(j[kJointFrontAxle], 1), b[kBodyFrontWheel]);
  EXPECT_EQ(dJointGetBody(j[kJointRearAxle], 0), b[kBodySwingarm]);
  EXPECT_EQ(dJointGetType(j[kJointForkSlider]), dJointTypeSlider);
  EXPECT_EQ(dJointGetBody(j[kJointSwingarmPivot], 1), b[kBodyFrame]);
  EXPECT_EQ(dJointGetType(j[kJointRiderMount]), dJointTypeHinge2);
  EXPECT_EQ(dJointGetBody(j[kJointRiderMount], 0), b[kBodyRider]);
  EXPECT_DOUBLE_EQ(dJointGetHingeParam(j[kJointSteering], dParamHiStop), M_PI / 4);
  EXPECT_DOUBLE_EQ(dJointGetSliderParam(j[kJointForkSlider], dParamLoStop), -1);
  EXPECT_NEAR(dJointGetHingeParam(j[kJointSwingarmPivot], dParamLoStop), -0.55, 1e-6);
  dVector3 axis;
  dJointGetSliderAxis(j[kJointForkSlider], axis);
  EXPECT_NEAR(axis[2] / axis[1], 0.57 / 1.13, 1e-6);
  for (int i = 0; i < kJointCount; ++i) EXPECT_EQ(dJointGetFeedback(j[i]), &bike->feedback[i]);

  // With the frame held in the air the axles carry the wheels' weight, the feedback says so,
  // and the fork and swingarm hang at full extension.
  hold_frame(*bike);
  for (int i = 0; i < 64; ++i) step_physics(g_world);
  EXPECT_NEAR(bike->feedback[kJointRearAxle].f2[1], 0.78125 * 32, 0.5);
  EXPECT_NEAR(bike->feedback[kJointFrontAxle].f2[1], 0.5625 * 32, 0.5);
  EXPECT_NEAR(dJointGetSliderPosition(j[kJointForkSlider]), 0, 1e-3);
  EXPECT_NEAR(dJointGetHingeAngle(j[kJointSwingarmPivot]), 0, 1e-3);
}

TEST_F(BikeBuild, SuspensionCompressesTowardItsLowStops) {
  BikePtr bike = build("crf450(2013)");
  hold_frame(*bike);
  for (int i = 0; i < 16; ++i) {
    dBodyAddForce(bike->bodies[kBodyRearWheel], 0, 400, 0);
    dBodyAddForce(bike->bodies[kBodyFrontWheel], 0, 400, 0);
    step_physics(g_world);
  }
  EXPECT_LT(dJointGetHingeAngle(bike->joints[kJointSwingarmPivot]), -0.01);
  EXPECT_LT(dJointGetSliderPosition(bike->joints[kJointForkSlider]), -0.01);
}

TEST_F(BikeBuild, ResetCarriesTheRiderWithTheFrame) {
  BikePtr bike = build("yz250f(2013)");
  dBodyID frame = bike->bodies[kBodyFrame];
  dMatrix3 r;
  dRFromAxisAndAngle(r, 0, 1, 0, M_PI / 2);
  dBodySetRotation(frame, r);
  dBodySetPosition(frame, 100, 10, 50);
  dBodySetLinearVel(frame, 3, 0, 0);
  bike->state.crash_timer = 300;
  bike->state.marks.push({1, 2, 3, 4});
  reset_working_state(*bike);
  EXPECT_EQ(bike->state.crash_timer, 0);
  EXPECT_TRUE(bike->state.marks.empty());
  const BikeEntry& e = bike->entry;
  // A quarter turn about y takes the bike's z offset onto x.
  const dReal* p = dBodyGetPosition(bike->bodies[kBodyRider]);
  EXPECT_NEAR(p[0], 100 + (e.rider_position.z - e.frame_position.z), 1e-4);
  EXPECT_NEAR(p[1], 10 + (e.rider_position.y - e.frame_position.y), 1e-4);
  EXPECT_NEAR(p[2], 50, 1e-4);
  EXPECT_NEAR(dBodyGetLinearVel(bike->bodies[kBodyRider])[0], 3, 1e-9);
  EXPECT_EQ(dJointGetBody(bike->joints[kJointRiderMount], 1), frame);
}

TEST_F(BikeBuild, PlacingCarriesTheWholeBikeAndStartsItMoving) {
  BikePtr bike = build("crf450(2013)");
  // Ridden hard first, so there is state to clear.
  dBodyAddForce(bike->bodies[kBodyRearWheel], 0, 5000, 0);
  for (int i = 0; i < 8; ++i) step_physics(g_world);
  bike->state.crash_timer = 40;

  dMatrix3 r;
  dRFromAxisAndAngle(r, 0, 1, 0, M_PI / 2);  // facing negative x
  place_bike(*bike, {100, 20, 50}, r, {-10, 0, 0});
  const BikeEntry& e = bike->entry;
  const dReal* axle = dBodyGetPosition(bike->bodies[kBodyRearWheel]);
  EXPECT_NEAR(axle[0], 100 + e.rear_axle.z, 1e-5);
  EXPECT_NEAR(axle[1], 20 + e.rear_axle.y, 1e-5);
  EXPECT_NEAR(axle[2], 50, 1e-5);
  EXPECT_EQ(bike->state.crash_timer, 0);
  for (dBodyID b : bike->bodies) EXPECT_DOUBLE_EQ(dBodyGetLinearVel(b)[0], -10);
  EXPECT_NEAR(dJointGetSliderPosition(bike->joints[kJointForkSlider]), 0, 1e-9);
  EXPECT_NEAR(dJointGetHingeAngle(bike->joints[kJointSwingarmPivot]), 0, 1e-9);
  // The joints hold the bike together as it flies on.
  for (int i = 0; i < 64; ++i) step_physics(g_world);
  const dReal* frame = dBodyGetPosition(bike->bodies[kBodyFrame]);
  EXPECT_NEAR(frame[0], 100 + e.frame_position.z - 10 * 0.5, 0.01);
  EXPECT_NEAR(dJointGetSliderPosition(bike->joints[kJointForkSlider]), 0, 1e-3);
}

TEST_F(BikeBuild, PartsComeFromTheDataSetWithDefaultsForMissingTextures) {
  BikePtr bike = build("crf450(2013)", "@no_such_texture.png");
  const BikeParts& parts = bike->parts;
  EXPECT_EQ(parts.texture_names[kTextureBike], "@crf450v2013.png");
  for (TextureId id : parts.textures) EXPECT_NE(id, 0u);
  EXPECT_NE(parts.models[kFrameModel], nullptr);
  EXPECT_NE(parts.models[kFrontWheelModel], nullptr);
  EXPECT_NE(parts.models[kHeadModel], nullptr);
  EXPECT_EQ(parts.models[kFrameShape], nullptr);
  for (PartFile f : {kFrameShape, kForkUpperShape, kForkLowerShape, kSwingarmShape,
                     kFrontWheelShape, kRearWheelShape, kRiderShape}) {
    ASSERT_NE(parts.shapes[f], nullptr) << f;
    EXPECT_FALSE(parts.shapes[f]->spheres.empty());
  }
  EXPECT_NE(parts.number_plate, 0u);

  // An alternate texture is taken as asked; bikes share the cached parts.
  BikePtr other = build("crf450(2013)", "@crf450v2013-alt1.png");
  EXPECT_EQ(other->parts.texture_names[kTextureBike], "@crf450v2013-alt1.png");
  EXPECT_EQ(other->parts.models[kFrameModel], parts.models[kFrameModel]);
  EXPECT_EQ(other->parts.shapes[kRiderShape], parts.shapes[kRiderShape]);
  EXPECT_NE(other->parts.number_plate, parts.number_plate);
}

TEST_F(BikeBuild, CustomTexturesBringTheirOwnModelsWhereThereAreAny) {
  namespace fs = std::filesystem;
  fs::path home = fs::path(br_test::data_home_for_tests()) / "Bermrider";
  fs::path data = BR_DATA_DIR;
  fs::create_directories(home / "custom");
  fs::copy_file(data / "crf450v2013-alt1.png", home / "crf450v2013-red-a.png",
                fs::copy_options::overwrite_existing);
  fs::copy_file(data / "kx125_frame.jm", home / "crf450v2013_frame-red.jm",
                fs::copy_options::overwrite_existing);
  fs::copy_file(data / "crf450v2013-alt2.png", home / "custom" / "crf450v2013-blue-a.png",
                fs::copy_options::overwrite_existing);
  fs::copy_file(data / "kx125_swingarm.jm", home / "custom" / "crf450v2013_swingarm-blue.jm",
                fs::copy_options::overwrite_existing);
  br::data_files_reset();

  BikePtr red = build("crf450(2013)", "@crf450v2013-red-a.png");
  ASSERT_NE(red->parts.models[kFrameModel], nullptr);
  EXPECT_EQ(red->parts.models[kFrameModel]->name, "@crf450v2013_frame-red.jm");
  // No red swingarm: the plain one.
  ASSERT_NE(red->parts.models[kSwingarmModel], nullptr);
  EXPECT_EQ(red->parts.models[kSwingarmModel]->name, "@crf450v2013_swingarm.jm");

  // The variant may sit beside the texture.
  BikePtr blue = build("crf450(2013)", "@custom/crf450v2013-blue-a.png");
  ASSERT_NE(blue->parts.models[kSwingarmModel], nullptr);
  EXPECT_EQ(blue->parts.models[kSwingarmModel]->name, "@custom/crf450v2013_swingarm-blue.jm");
  EXPECT_EQ(blue->parts.models[kFrameModel]->name, "@crf450v2013_frame.jm");
  fs::remove_all(home);
}

TEST_F(BikeBuild, TheShippedShapesPassTheShapeCheck) {
  shape_cache_clear();
  EXPECT_TRUE(load_generic_shapes());
}

TEST_F(BikeBuild, FreeingBikesLeavesTheWorldEmpty) {
  g_world.slots[3].bike = build("rm250(2008)");
  g_world.slots[9].bike = build("rs50yz");
  free_all_bikes(g_world);
  EXPECT_FALSE(g_world.slots[3].bike);
  EXPECT_FALSE(g_world.slots[9].bike);
  step_physics(g_world);  // nothing of them is left for the world to touch
  g_world.slots[3].bike = build("rm250(2008)");
  step_physics(g_world);
}

}  // namespace
}  // namespace br
