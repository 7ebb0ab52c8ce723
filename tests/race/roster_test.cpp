// The robot roster and how it is dealt.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "race/robot_roster.h"
#include "robot/personality.h"
#include "world/world.h"

namespace br {
namespace {

TEST(Roster, EightyRobotsNumberedTwentyToNinetyNineWithTheirModelsAndStyles) {
  const auto& r = robot_roster();
  EXPECT_EQ(r[0].number, "20");
  EXPECT_EQ(r[79].number, "99");
  EXPECT_EQ(r[20 - 20].bike_model, "kx125");
  EXPECT_EQ(r[39 - 20].bike_model, "rm125");
  EXPECT_EQ(r[42 - 20].bike_model, "crf250");
  EXPECT_EQ(r[42 - 20].personality, "rider_alpha");
  EXPECT_EQ(r[59 - 20].bike_model, "yz250f_se(2006)");
  EXPECT_EQ(r[60 - 20].personality, "rider_bravo");
  EXPECT_EQ(r[99 - 20].bike_model, "rmz250");
  EXPECT_EQ(r[99 - 20].personality, "rider_charlie");
  int twostrokes = 0;
  for (const RosterEntry& e : r) twostrokes += e.bike_model.find("125") != std::string::npos;
  EXPECT_EQ(twostrokes, 20);
  // The fast robots all wear team graphics, alternating.
  EXPECT_EQ(r[80 - 20].bike_texture, "@crf250-alt1.png");
  EXPECT_EQ(r[81 - 20].wheel_texture, "@wheels-alt2.png");
  for (int n = 80; n <= 99; ++n) EXPECT_FALSE(r[size_t(n - 20)].bike_texture.empty()) << n;
}

TEST(Roster, TheShuffleIsAPermutationFixedByItsSeed) {
  RosterDeal a = shuffle_roster(1234), b = shuffle_roster(1234), c = shuffle_roster(99);
  EXPECT_EQ(a.order, b.order);
  EXPECT_NE(a.order, c.order);
  std::set<int> rows(a.order.begin(), a.order.end());
  EXPECT_EQ(rows.size(), size_t(kRosterSize));
  EXPECT_EQ(*rows.begin(), 0);
  EXPECT_EQ(*rows.rbegin(), kRosterSize - 1);
  EXPECT_EQ(a.next, 0);
}

TEST(Roster, ANamedRobotIsFoundEvenInTheLastPlace) {
  RosterDeal deal;
  for (int i = 0; i < kRosterSize; ++i) deal.order[size_t(i)] = (i + 23) % kRosterSize;
  ASSERT_EQ(deal.order[kRosterSize - 1], 22);  // robot 42
  deal.next = 3;
  EXPECT_EQ(deal_number(deal, 42), 22);
  EXPECT_EQ(deal.order[3], 22);
  EXPECT_EQ(deal.order[kRosterSize - 1], 26);  // swapped with what stood in the next place
  // A used robot is not dealt again: the plain next one comes instead.
  deal.next = 4;
  EXPECT_EQ(deal_number(deal, 42), deal.order[4]);
  EXPECT_NE(deal.order[4], 22);
  // Model searches take the last match first.
  deal.next = 0;
  int row = deal_model(deal, "125");
  EXPECT_NE(robot_roster()[size_t(row)].bike_model.find("125"), std::string::npos);
  // Every deal moves on at once, so a robot whose bike cannot be built does not hand its row
  // to the positions after it.
  deal.next = 10;
  int first = deal_any(deal);
  EXPECT_EQ(deal.next, 11);
  EXPECT_NE(deal_any(deal), first);
  EXPECT_NE(deal_model(deal, "250"), first);
  EXPECT_EQ(deal.next, 13);
  // A used-up roster deals nobody.
  deal.next = kRosterSize;
  EXPECT_EQ(deal_any(deal), -1);
  EXPECT_EQ(deal_number(deal, 20), -1);
}

TEST(Roster, PersonalitiesByNameWithAlphaForStrangers) {
  EXPECT_EQ(personality_index("rider_alpha"), 1);
  EXPECT_EQ(personality_index("rider_charlie"), 3);
  EXPECT_EQ(personality_index("tester"), 4);
  EXPECT_EQ(personality_index("empty"), 1);  // a person's entry is not a robot's style
  EXPECT_EQ(personality_index("nobody"), 1);
  EXPECT_STREQ(personality_name(2), "rider_bravo");
}

}  // namespace
}  // namespace br
