// The robots' line files: what is read, what is refused and what goes back.
#include "robot/line_file.h"

#include <gtest/gtest.h>

#include "robot/line_costs.h"
#include "robot/line_learning.h"

namespace br {
namespace {

std::string line_entry(int points, int tests, int sum_pair = 0, int failures = 0) {
  std::string out = std::to_string(points) + " 100 200 " + std::to_string(tests) + " 90 190 1000 " +
                    std::to_string(sum_pair) + " " + std::to_string(failures) + "\n";
  for (int i = 0; i < points; ++i) out += "[ " + std::to_string(i) + " 1 2 ] 30 0.25\n";
  return out;
}

TEST(LineFile, RecordsAreReadPerSectionAndWrittenBackTheSame) {
  std::string text =
      "ct03 2\n2\n" + line_entry(3, 7, 1400) + line_entry(2, 0) + "1\n" + line_entry(4, 1, 300, 2);
  LineDatabase db;
  ASSERT_TRUE(parse_line_file(text, 2, db, false));
  ASSERT_EQ(db.sections.size(), 2u);
  const LineRecord& a = db.sections[0][0];
  ASSERT_EQ(a.points.size(), 3u);
  EXPECT_EQ(a.first_time, 100);
  EXPECT_EQ(a.tests, 7);
  EXPECT_EQ(a.sum_pair, 1400);
  EXPECT_FLOAT_EQ(a.points[2].x, 2.0f);
  EXPECT_FLOAT_EQ(a.points[2].lean, 0.25f);
  EXPECT_EQ(db.sections[0][1].points.size(), 2u);
  EXPECT_TRUE(db.sections[0][2].points.empty());
  EXPECT_EQ(db.sections[1][0].failures, 2);
  EXPECT_NE(a.serial, db.sections[0][1].serial);

  LineDatabase again;
  ASSERT_TRUE(parse_line_file(format_line_file(db), 2, again, false));
  EXPECT_EQ(format_line_file(again), format_line_file(db));
}

TEST(LineFile, AnotherSectionCountOrNoHeaderLeavesItEmpty) {
  LineDatabase db;
  EXPECT_FALSE(parse_line_file("ct03 3\n1\n" + line_entry(2, 0), 4, db, false));
  ASSERT_EQ(db.sections.size(), 4u);
  for (const LineSection& s : db.sections) EXPECT_TRUE(s[0].points.empty());
  EXPECT_FALSE(parse_line_file("lines 1\n1\n" + line_entry(2, 0), 1, db, false));
  EXPECT_TRUE(db.sections[0][0].points.empty());
}

TEST(LineFile, ExtraLinesAreDroppedAndABrokenEntryEndsTheReading) {
  std::string text = "ct03 2\n47\n";
  for (int i = 0; i < 47; ++i) text += line_entry(1, i);
  // The second section's line lacks its last point.
  text += "1\n3 1 2 3 4 5 6 7 8\n[0 0 0] 1 0\n[0 0 0] 1 0\n";
  LineDatabase db;
  ASSERT_TRUE(parse_line_file(text, 2, db, false));
  EXPECT_EQ(db.sections[0][44].tests, 44);
  for (const LineRecord& l : db.sections[0]) EXPECT_LT(l.tests, 45);
  EXPECT_TRUE(db.sections[1][0].points.empty());
}

TEST(LineFile, OverflowingStatisticsAreHalvedKeepingTheirMeans) {
  LineDatabase db;
  ASSERT_TRUE(
      parse_line_file("ct03 1\n1\n" + line_entry(1, 200000, 20000000, 70000), 1, db, false));
  const LineRecord& l = db.sections[0][0];
  EXPECT_EQ(l.tests, 50000);       // halved twice
  EXPECT_EQ(l.sum_pair, 5000000);  // mean of 100 steps kept
  EXPECT_EQ(l.failures, 17500);

  // A negative count: read without a trap, the line kept with fresh statistics.
  ASSERT_TRUE(parse_line_file("ct03 1\n1\n1 0 0 -1 0 0 -2147483648 200000000 0\n[0 0 0] 0 0\n", 1,
                              db, false));
  const LineRecord& n = db.sections[0][0];
  EXPECT_EQ(n.points.size(), 1u);
  EXPECT_EQ(n.tests, 0);
  EXPECT_EQ(n.sum_first, 0);
  EXPECT_EQ(line_cost(n, kStrategySteady), kNoLineTime);
}

TEST(LineFile, ThinningDropsTheCostliestLines) {
  LineDatabase db;
  db.sections.resize(1);
  for (int i = 0; i < kLinesPerSection; ++i) {
    LineRecord& l = db.sections[0][size_t(i)];
    l.points.resize(2);
    l.tests = 5;
    l.sum_first = 5 * (1000 + i);  // later lines are slower
  }
  db.sections[0][3].tests = 1;  // too little known: unusable, goes first
  thin_sections(db, kThinnedLines);
  EXPECT_TRUE(db.sections[0][3].points.empty());
  EXPECT_TRUE(db.sections[0][44].points.empty());
  EXPECT_FALSE(db.sections[0][43].points.empty());
  EXPECT_EQ(line_cost(db.sections[0][0], kStrategySteady), 1000);
}

}  // namespace
}  // namespace br
