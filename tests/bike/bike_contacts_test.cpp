#include "bike/bike_contacts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "support/bike_world.h"

namespace br {
namespace {

// Contact joints joining a body of `x` to a body of `y`.
int joints_between(const Bike& x, const Bike& y) {
  int n = 0;
  for (dBodyID body : x.bodies) {
    for (int k = 0; k < dBodyGetNumJoints(body); ++k) {
      dJointID j = dBodyGetJoint(body, k);
      if (dJointGetType(j) != dJointTypeContact) continue;
      for (dBodyID other : y.bodies) {
        if (dJointGetBody(j, 0) == other || dJointGetBody(j, 1) == other) ++n;
      }
    }
  }
  return n;
}

// Contact joints on the bodies of `x`: with no ground and no statues, those of other bikes.
int contacts_on(const Bike& x) {
  int n = 0;
  for (dBodyID body : x.bodies) {
    for (int k = 0; k < dBodyGetNumJoints(body); ++k) {
      n += dJointGetType(dBodyGetJoint(body, k)) == dJointTypeContact ? 1 : 0;
    }
  }
  return n;
}

// Momentum of the whole bike along x (slug ft/s).
double momentum_x(const Bike& bike) {
  double sum = 0;
  for (dBodyID body : bike.bodies) {
    dMass m;
    dBodyGetMass(body, &m);
    sum += m.mass * dBodyGetLinearVel(body)[0];
  }
  return sum;
}

class BikeContacts : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    dWorldSetGravity(g_world.physics.world, 0, 0, 0);
    a = build_bike(g_world, "crf450(2013)", 0, "1", "", "", "", "");
    b = build_bike(g_world, "kx250f(2013)", 0, "2", "", "", "", "");
  }
  void TearDown() override {
    a.reset();
    b.reset();
    br_test::close_bike_world();
  }
  static void put(Bike& bike, double heading, std::array<double, 3> at,
                  std::array<double, 3> velocity) {
    dMatrix3 r;
    dRFromAxisAndAngle(r, 0, 1, 0, heading);
    place_bike(bike, at, r, velocity);
  }
  BikePtr a, b;
};

TEST_F(BikeContacts, BikesApartDoNotTouch) {
  put(*b, 0, {10, 0, 0}, {0, 0, 0});
  BikeHits hits = bike_contacts(g_world, *a, *b);
  EXPECT_EQ(hits.contacts, 0);
  apply_contact_rules(g_world, *a, *b, hits);
  EXPECT_FALSE(in_contact(g_world, *a));
}

// Front wheel to front wheel at 12 ft/s each: both riders are spared for a while, and the
// bikes bounce apart without passing through each other.
TEST_F(BikeContacts, HeadOnWheelsProtectBothRiders) {
  put(*a, 0, {0, 0, 0}, {0, 0, -12});
  put(*b, M_PI, {0, 0, 0.02}, {0, 0, 12});
  g_world.frame = 1000;
  BikeHits hits = bike_contacts(g_world, *a, *b);
  EXPECT_GT(hits.contacts, 0);
  EXPECT_TRUE(hits.parts_a & (1u << kBodyFrontWheel));
  EXPECT_TRUE(hits.parts_b & (1u << kBodyFrontWheel));
  EXPECT_FALSE(hits.parts_a & (1u << kBodyRider));
  apply_contact_rules(g_world, *a, *b, hits);
  EXPECT_EQ(a->state.collision_cooldown, 192);
  EXPECT_EQ(b->state.collision_cooldown, 192);
  EXPECT_EQ(a->state.first_hit_tick, 1000);
  g_world.frame = 1001;
  EXPECT_TRUE(in_contact(g_world, *b));
  g_world.frame = 1002;
  EXPECT_FALSE(in_contact(g_world, *b));

  for (int i = 0; i < 128; ++i) {
    apply_contact_rules(g_world, *a, *b, bike_contacts(g_world, *a, *b));
    step_physics(g_world);
    g_world.frame += 1;
  }
  EXPECT_EQ(a->state.first_hit_tick, 1000);
  double va = dBodyGetLinearVel(a->bodies[kBodyFrame])[2];
  double vb = dBodyGetLinearVel(b->bodies[kBodyFrame])[2];
  EXPECT_TRUE(std::isfinite(va) && std::isfinite(vb));
  EXPECT_GE(va - vb, -0.5);  // no longer closing
  double gap = dBodyGetPosition(b->bodies[kBodyFrontWheel])[2] -
               dBodyGetPosition(a->bodies[kBodyFrontWheel])[2];
  EXPECT_LT(gap, -1.5);  // the wheels never passed through each other
}

// A's front wheel into the side of B's frame while B rides on.
TEST_F(BikeContacts, AWheelIntoARidingBikeProtectsTheHitterOnly) {
  put(*b, 0, {0, 0, 0}, {0, 0, -6});
  put(*a, M_PI / 2, {0.2, 0, 3.6}, {-12, 0, 0});
  b->state.collision_cooldown = -5;
  BikeHits hits = bike_contacts(g_world, *a, *b);
  ASSERT_GT(hits.contacts, 0);
  EXPECT_TRUE(hits.parts_a & (1u << kBodyFrontWheel));
  EXPECT_TRUE(hits.parts_b & (1u << kBodyFrame));
  EXPECT_FALSE(hits.parts_b &
               ((1u << kBodyFrontWheel) | (1u << kBodyRearWheel) | (1u << kBodyForkLower)));
  apply_contact_rules(g_world, *a, *b, hits);
  EXPECT_EQ(a->state.collision_cooldown, 256);
  EXPECT_EQ(b->state.collision_cooldown, -640);

  // A crashed bike, or one standing still, gives the hitter nothing.
  a->state.collision_cooldown = 0;
  b->state.crash_timer = 100;
  apply_contact_rules(g_world, *a, *b, hits);
  EXPECT_EQ(a->state.collision_cooldown, 0);
}

// Two riders' bodies meeting at 25 ft/s: both are thrown, unless protected.
TEST_F(BikeContacts, RidersMeetingHardAreThrown) {
  put(*a, 0, {0, 0, 0}, {0, 0, 0});
  put(*b, 0, {0, 0, 0}, {0, 0, 0});
  dBodySetPosition(b->bodies[kBodyRider], 0.8, 4.5, 4.12);  // against a's rider
  dBodySetLinearVel(b->bodies[kBodyRider], -25, 0, 0);
  a->state.collision_cooldown = -1;
  BikeHits hits = bike_contacts(g_world, *a, *b);
  EXPECT_TRUE(hits.rider_a_hard);
  EXPECT_TRUE(hits.rider_b_hard);
  apply_contact_rules(g_world, *a, *b, hits);
  EXPECT_EQ(b->state.crash_timer, 512);
  EXPECT_EQ(a->state.crash_timer, 0);

  dBodySetLinearVel(b->bodies[kBodyRider], -15, 0, 0);
  EXPECT_FALSE(bike_contacts(g_world, *a, *b).rider_a_hard);
}

// A's front wheel driven at 15 ft/s into the side of B standing still. The bikes touch without
// a joint between them (a pack on the grid would otherwise be solved as one), yet A's wheel
// stays on its side of B, B is shoved along and the pair keeps its momentum.
TEST_F(BikeContacts, ARamIntoTheSideOfAStandingBikeShovesIt) {
  put(*b, 0, {0, 0, 0}, {0, 0, 0});
  put(*a, M_PI / 2, {5, 0, 3.6}, {-15, 0, 0});
  const double before = momentum_x(*a) + momentum_x(*b);
  int touched_steps = 0;
  for (int i = 0; i < 192; ++i) {
    BikeHits hits = bike_contacts(g_world, *a, *b);
    if (hits.contacts > 0) {
      ++touched_steps;
      EXPECT_EQ(joints_between(*a, *b) + joints_between(*b, *a), 0);
      EXPECT_GT(contacts_on(*a), 0);
      EXPECT_GT(contacts_on(*b), 0);
    }
    step_physics(g_world);
    EXPECT_GT(dBodyGetPosition(a->bodies[kBodyFrontWheel])[0],
              dBodyGetPosition(b->bodies[kBodyFrame])[0])
        << "step " << i;
  }
  EXPECT_GT(touched_steps, 0);
  const double va = dBodyGetLinearVel(a->bodies[kBodyFrame])[0];
  const double vb = dBodyGetLinearVel(b->bodies[kBodyFrame])[0];
  EXPECT_GT(va, -10);  // slowed by the hit
  EXPECT_LT(vb, -1);   // shoved along
  EXPECT_GE(va - vb, -0.5);  // no longer closing
  const double after = momentum_x(*a) + momentum_x(*b);
  EXPECT_NEAR(after, before, 0.1 * std::fabs(before));
}

}  // namespace
}  // namespace br

namespace br {
namespace {

// Online, this client rides slot 0 and the server's rider in slot 1 is played back: it is
// met only once the race has given positions, only while its state is fresh, and a ghost is
// passed through with the touch noted.
TEST_F(BikeContacts, ConnectedTheLocalRiderMeetsFreshSolidRemoteRidersOnceRacing) {
  put(*a, 0, {0, 0, 0}, {0, 0, -12});
  put(*b, M_PI, {0, 0, 0.02}, {0, 0, 12});
  Bike& mine = *a;
  Bike& theirs = *b;
  g_world.slots[0].bike = std::move(a);
  g_world.slots[0].control = kControlLocal;
  g_world.slots[1].bike = std::move(b);
  g_world.slots[1].control = kControlPlayedBack;
  g_world.connected = true;
  g_world.frame = 1000;
  g_world.slots[1].last_server_frame = 990;
  auto contacts = [&] {
    make_bike_contacts(g_world);
    int n = contacts_on(theirs);
    dJointGroupEmpty(g_world.physics.contacts);
    return n;
  };

  EXPECT_EQ(contacts(), 0);  // no slot assigned yet
  g_world.local_slot = 0;
  EXPECT_EQ(contacts(), 0);  // warming up without a race position
  EXPECT_FALSE(in_contact(g_world, theirs));

  g_world.session.race_position = 3;
  EXPECT_GT(contacts(), 0);
  EXPECT_TRUE(in_contact(g_world, theirs));

  g_world.frame += 200;  // the server has not been heard from for over a second
  EXPECT_EQ(contacts(), 0);
  EXPECT_FALSE(in_contact(g_world, theirs));

  g_world.slots[1].last_server_frame = g_world.frame;
  theirs.state.presence = 0;  // a ghost
  EXPECT_EQ(contacts(), 0);
  EXPECT_TRUE(in_contact(g_world, theirs));
  EXPECT_EQ(mine.state.crash_timer, 0);
}

}  // namespace
}  // namespace br
