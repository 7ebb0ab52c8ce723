#include "replay/snapshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace br {
namespace {

TEST(Snapshot, EveryRawValueSurvivesDecodingAndEncodingAgain) {
  // A value read back from a snapshot and written again must not drift down by a step.
  for (int bytes : {1, 2, 3}) {
    uint32_t top = (1u << (8 * bytes)) - 1;
    for (uint32_t r = 0; r <= top; r += bytes == 3 ? 4093 : 1) {
      uint8_t p[3] = {static_cast<uint8_t>(r), static_cast<uint8_t>(r >> 8),
                      static_cast<uint8_t>(r >> 16)};
      uint8_t q[3] = {};
      put_fraction(q, bytes, get_fraction(p, bytes));
      ASSERT_EQ(0, std::memcmp(p, q, static_cast<size_t>(bytes))) << bytes << " bytes, " << r;
    }
  }
  for (uint32_t r = 0; r <= 0xffff; ++r) {
    uint8_t p[2] = {static_cast<uint8_t>(r), static_cast<uint8_t>(r >> 8)}, q[2];
    put_unit(q, get_unit(p));
    ASSERT_EQ(0, std::memcmp(p, q, 2)) << r;
  }
}

TEST(Snapshot, ValuesOutsideTheirRangeAreStoredAtItsEdge) {
  uint8_t p[3];
  put_fraction(p, 3, 1.7);
  EXPECT_EQ(get_fraction(p, 3), 1.0);
  put_fraction(p, 3, -0.2);
  EXPECT_EQ(get_fraction(p, 3), 0.0);
  put_fraction(p, 3, std::nan(""));
  EXPECT_EQ(get_fraction(p, 3), 0.0);
  put_unit(p, -3);
  EXPECT_EQ(get_unit(p), -1.0);
  put_unit(p, 3);
  EXPECT_EQ(get_unit(p), 1.0);
}

TEST(Snapshot, StatusByteCarriesGearThrottleAndCrash) {
  SnapshotStatus s = decode_status(encode_riding_status(3, true, 0.5));
  EXPECT_FALSE(s.crashed);
  EXPECT_EQ(s.gear, 3);
  EXPECT_TRUE(s.rider_down);
  EXPECT_NEAR(s.throttle, 7.0 / 15, 1e-9);  // 7.5 truncated
  EXPECT_EQ(decode_status(encode_riding_status(9, false, 2)).gear, 6);
  EXPECT_EQ(decode_status(encode_riding_status(9, false, 2)).throttle, 1.0);

  // A fallen rider's counter comes back to within one sixteenth of its 127-step scale.
  for (int c : {1, 100, 127, 600}) {
    SnapshotStatus d = decode_status(encode_crashed_status(c));
    EXPECT_TRUE(d.crashed);
    EXPECT_EQ(encode_crashed_status(c) & 8, 0);
    if (c <= 128) {
      EXPECT_NEAR(d.crash_counter, c, 9);
    }
  }
  EXPECT_EQ(decode_status(encode_crashed_status(1)).crash_counter, 1);
  EXPECT_EQ(encode_crashed_status(600) >> 4, 15);
}

Snapshot two_quarter_turns(double x, double angle, uint8_t wheel, uint8_t status) {
  Snapshot s{};
  put_fraction(&s[kSnapFrameX], 3, x);
  put_fraction(&s[kSnapFrameY], 3, 0.25);
  put_fraction(&s[kSnapFrameZ], 3, 0.5);
  put_quat(&s[kSnapFrameQuat], {std::cos(angle / 2), 0, std::sin(angle / 2), 0});
  put_quat(&s[kSnapRiderQuat], {1, 0, 0, 0});
  s[kSnapSteering] = 100;
  s[kSnapSwingarm] = 201;  // packed
  s[kSnapFork] = 50;
  put_fraction(&s[kSnapRiderOffset + 2], 2, 0.6);
  s[kSnapFrontWheel] = wheel;
  s[kSnapRearWheel] = 128;
  s[kSnapStatus] = status;
  put_fraction(&s[kSnapEngineSpeed], 2, x);
  return s;
}

TEST(Snapshot, HalfwayBetweenTwoSnapshots) {
  Snapshot a = two_quarter_turns(0.2, 0, 242, 0x31);   // front wheel at 0.95 of a turn
  Snapshot b = two_quarter_turns(0.4, 1.0, 13, 0x52);  // and at 0.05
  b[kSnapSteering] = 200;
  Snapshot m;
  interpolate_snapshot(m, a, b, 0.5);
  EXPECT_NEAR(get_fraction(&m[kSnapFrameX], 3), 0.3, 1e-7);
  EXPECT_NEAR(get_fraction(&m[kSnapEngineSpeed], 2), 0.3, 2e-5);
  EXPECT_EQ(m[kSnapSteering], 150);
  Quat q = get_quat(&m[kSnapFrameQuat]);
  EXPECT_NEAR(q[0], std::cos(0.25), 1e-4);  // half the turn about y
  EXPECT_NEAR(q[2], std::sin(0.25), 1e-4);
  // The wheel came round forward through 0, not back through half a turn.
  double wheel = m[kSnapFrontWheel] / 255.0;
  EXPECT_TRUE(wheel < 0.01 || wheel > 0.99) << wheel;
  EXPECT_EQ(m[kSnapStatus], 0x31);  // the earlier one's
  EXPECT_EQ(m[kSnapSwingarm] & kPackedMark, 0);

  // t = 0 is the first snapshot itself, packed mark and all.
  interpolate_snapshot(m, a, b, 0);
  EXPECT_EQ(m, a);
  // An old demo is never blended.
  interpolate_snapshot(m, a, b, 0.5, true);
  EXPECT_EQ(m, a);

  // Beyond b only the position runs on.
  interpolate_snapshot(m, a, b, 1.5);
  EXPECT_NEAR(get_fraction(&m[kSnapFrameX], 3), 0.5, 1e-7);
  EXPECT_EQ(m[kSnapSteering], 200);
  for (int i = 0; i < 4; ++i) {
    // Renormalised on the way, so within a step of b's own.
    EXPECT_NEAR(get_quat(&m[kSnapFrameQuat])[i], get_quat(&b[kSnapFrameQuat])[i], 2.0 / 65535);
  }
  EXPECT_EQ(0, std::memcmp(&m[kSnapEngineSpeed], &b[kSnapEngineSpeed], 2));
}

TEST(Snapshot, QuaternionsBlendTheShortWayRound) {
  Snapshot a = two_quarter_turns(0.2, 0.2, 0, 0), b = a;
  // The same orientation written with the opposite sign.
  Quat q = get_quat(&a[kSnapFrameQuat]);
  put_quat(&b[kSnapFrameQuat], {-q[0], -q[1], -q[2], -q[3]});
  Snapshot m;
  interpolate_snapshot(m, a, b, 0.5);
  Quat r = get_quat(&m[kSnapFrameQuat]);
  double dot = std::fabs(r[0] * q[0] + r[1] * q[1] + r[2] * q[2] + r[3] * q[3]);
  EXPECT_NEAR(dot, 1, 1e-4);
}

}  // namespace
}  // namespace br
