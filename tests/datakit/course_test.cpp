// The courses as ridden: lap length, room between neighbouring stretches, a surface that
// follows the course line without seams or cliffs, jumps that lift off, berms that lean the
// right way, and starting gates standing on the start straight.
#include <gtest/gtest.h>

#include <cmath>

#include "track_files.h"
#include "tracks.h"

namespace kit {
namespace {

struct Expect {
  const char* name;
  std::unique_ptr<BuiltTrack> (*build)();
  float min_lap, max_lap;  // feet
  int min_takeoffs;
};

class Course : public ::testing::TestWithParam<Expect> {
 protected:
  static std::unique_ptr<BuiltTrack>& track(const Expect& e) {
    static std::unique_ptr<BuiltTrack> built[2];
    auto& slot = built[e.build == &rabbithill_course ? 0 : 1];
    if (!slot) slot = e.build();
    return slot;
  }
};

TEST_P(Course, LapLengthSuitsTheTrackAndStretchesKeepApart) {
  const BuiltTrack& t = *track(GetParam());
  EXPECT_GE(t.loop.length, GetParam().min_lap);
  EXPECT_LE(t.loop.length, GetParam().max_lap);
  // Neighbouring stretches must not share their shoulders, or the carving would cut a seam.
  EXPECT_GT(TrackBuilder::tightest_pass({&t.loop, &t.start}, 100.0f), 8.0f);
}

TEST_P(Course, SurfaceFollowsTheLineWithoutCliffs) {
  const BuiltTrack& t = *track(GetParam());
  const GroundModel& g = t.builder.ground();
  const float step = t.loop.length / t.loop.points.size();
  std::vector<float> h;
  for (const LinePoint& p : t.loop.points) {
    h.push_back(g.height(p.x, p.z));
    EXPECT_NEAR(h.back(), p.y, 0.35f) << "at " << p.s << " ft";
  }
  int takeoffs = 0;
  for (size_t i = 3; i + 3 < h.size(); ++i) {
    EXPECT_LT(std::fabs(h[i] - h[i - 1]) / step, 1.3f) << "cliff at " << t.loop.points[i].s;
    // A lip: climbing steeply into it, then no longer climbing.
    float before = (h[i] - h[i - 3]) / (3 * step), after = (h[i + 3] - h[i]) / (3 * step);
    if (before > 0.35f && after < 0.1f) {
      ++takeoffs;
      i += 10;
    }
  }
  EXPECT_GE(takeoffs, GetParam().min_takeoffs);
}

TEST_P(Course, BermsLeanIntoTheTightTurns) {
  const BuiltTrack& t = *track(GetParam());
  const GroundModel& g = t.builder.ground();
  int turns = 0, bermed = 0;
  for (const LinePoint& p : t.loop.points) {
    if (std::fabs(p.curvature) < 1.0f / 40.0f || std::fabs(p.bank) < 0.05f) continue;
    ++turns;
    // Toward the centre of the turn is along (-tz, tx) when the curvature is positive.
    float side = p.curvature > 0 ? 1.0f : -1.0f;
    float off = p.half_width * 0.7f;
    float inside = g.height(p.x - p.tz * side * off, p.z + p.tx * side * off);
    float outside = g.height(p.x + p.tz * side * off, p.z - p.tx * side * off);
    bermed += outside > inside + 1.0f;
  }
  EXPECT_GT(turns, 20);
  EXPECT_GT(bermed, turns * 9 / 10);
}

TEST_P(Course, StartingGatesStandAcrossTheStartStraight) {
  const BuiltTrack& t = *track(GetParam());
  br::TimingGatesFile f = make_timing_gates(t.out);
  ASSERT_EQ(int(f.starts.size()), t.out.start_gate_count);
  for (const br::StartPosition& s : f.starts) {
    float best = 1e9f;
    const LinePoint* near = nullptr;
    for (const LinePoint& p : t.start.points) {
      float d = std::hypot(p.x - s.x, p.z - s.z);
      if (d < best) best = d, near = &p;
    }
    EXPECT_LT(best, near->half_width - 1.0f);
    // Facing down the straight.
    EXPECT_GT(-std::sin(s.yaw) * near->tx - std::cos(s.yaw) * near->tz, 0.99f);
    // Room for two rows of riders behind the gate line.
    EXPECT_GT(near->s, 23.0f);
  }
}

INSTANTIATE_TEST_SUITE_P(Tracks, Course,
                         ::testing::Values(Expect{"rabbithill", &rabbithill_course, 3500, 4600, 6},
                                           Expect{"foundry", &foundry_course, 1000, 1800, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kit
