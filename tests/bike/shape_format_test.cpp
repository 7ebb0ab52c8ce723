#include "bike/shape_format.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bike/rider_skeleton.h"
#include "bike/shape_check.h"

namespace br {
namespace {

TEST(ShapeFormat, RoundTripsAndMeasuresTheBoundingRadius) {
  std::vector<ShapeSphere> spheres = {{0, 3, 4, 1, 0.6f, 1, 1}, {1, 0, 0, 0.5f, 1, 2, 0.5f}};
  auto back = parse_shape(format_shape(spheres));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 2u);
  EXPECT_FLOAT_EQ((*back)[1].stiffness, 2.0f);
  EXPECT_FLOAT_EQ(shape_bounding_radius(*back), 6.0f);
}

TEST(ShapeFormat, RejectsTruncatedAndOversizedFiles) {
  EXPECT_FALSE(parse_shape(""));
  EXPECT_FALSE(parse_shape("2\n0 0 0 1 1 1 1\n0 0 0 1 1 1\n"));
  EXPECT_FALSE(parse_shape("-1\n"));
  EXPECT_FALSE(parse_shape("99999999\n"));
  EXPECT_FALSE(parse_shape("1\n0 0 zero 1 1 1 1\n"));
  // Radii and centres the contact tests cannot compare against.
  EXPECT_FALSE(parse_shape("1\n0 0 0 nan 1 1 1\n"));
  EXPECT_FALSE(parse_shape("1\n0 0 0 inf 1 1 1\n"));
  EXPECT_FALSE(parse_shape("1\n0 0 0 -0.5 1 1 1\n"));
  EXPECT_FALSE(parse_shape("1\n0 -inf 0 1 1 1 1\n"));
  EXPECT_FALSE(parse_shape("1\n0 0 0 1 nan 1 1\n"));
  EXPECT_TRUE(parse_shape("1\n0 0 0 0 1 1 1\n"));
  auto empty = parse_shape("0\n");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

TEST(ShapeCheck, DigestIsRipemd160OverTheFilesInTurn) {
  // The published test vectors: the empty input and "abc" (split over two files).
  EXPECT_EQ(shape_files_digest({}), "9c1185a5c5e9fc54612808977ee8f548b2258d31");
  EXPECT_EQ(shape_files_digest({"a", "bc"}), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
}

float distance(RiderPoint a, RiderPoint b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                   (a.z - b.z) * (a.z - b.z));
}

TEST(RiderSkeleton, RestPoseKeepsTheLimbLengthsAndReachesGripsAndPegs) {
  RiderRestPose p = rider_rest_pose();
  for (size_t side = 0; side < 2; ++side) {
    EXPECT_NEAR(distance(p.shoulder[side], p.elbow[side]), 0.9f, 1e-3f);
    EXPECT_NEAR(distance(p.elbow[side], p.hand[side]), 1.15f, 1e-3f);
    EXPECT_NEAR(distance(p.hip[side], p.knee[side]), 1.328f, 1e-3f);
    EXPECT_NEAR(distance(p.knee[side], p.foot[side]), 1.701f, 1e-3f);
  }
  // Left is -x; the hands hold the grips ahead of and below the shoulders; knees point forward.
  EXPECT_LT(p.hand[0].x, 0.0f);
  EXPECT_GT(p.hand[1].x, 0.0f);
  EXPECT_LT(p.hand[1].z, p.shoulder[1].z);
  EXPECT_LT(p.knee[1].z, p.hip[1].z);
  EXPECT_GT(p.elbow[1].x, p.shoulder[1].x);
}

}  // namespace
}  // namespace br
