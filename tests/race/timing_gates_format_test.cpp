#include "race/timing_gates_format.h"

#include <gtest/gtest.h>

namespace br {
namespace {

TEST(TimingGatesFormat, WritesTheSectionsInOrder) {
  TimingGatesFile f;
  f.starts.push_back({1, 0, 2, 0.5f, "", "", ""});
  f.starts.push_back({3, 0, 4, -0.5f, "@gate.jm", "", "null"});
  f.gates.push_back({20, 1, 2, 3, 0, 0, -1});
  f.first_lap = {0};
  f.normal_lap = {0, 100000};
  EXPECT_EQ(format_timing_gates(f),
            "startinggate:\n"
            "[1.000000 0.000000 2.000000] 0.500000\n"
            "[3.000000 0.000000 4.000000] -0.500000 @gate.jm @startgate.ppm null\n"
            "checkpoints:\n"
            "20.000000 [1.000000 2.000000 3.000000] [0.000000 0.000000 -1.000000]\n"
            "firstlap:\n0 \nnormallap:\n0 100000 \n");
}

TEST(TimingGatesFormat, EmptySectionsAreLeftOut) {
  TimingGatesFile f;
  f.gates.push_back({10, 0, 0, 0, 1, 0, 0});
  std::string text = format_timing_gates(f);
  EXPECT_EQ(text.find("startinggate:"), std::string::npos);
  EXPECT_EQ(text.find("firstlap:"), std::string::npos);
  EXPECT_NE(text.find("checkpoints:\n"), std::string::npos);
}

}  // namespace
}  // namespace br
