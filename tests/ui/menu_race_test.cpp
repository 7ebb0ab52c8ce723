// Races started from the menus, on small tracks with the data set's bikes.
#include <gtest/gtest.h>

#include "menu_fixture.h"
#include "race/session_fixture.h"
#include "track/track_list.h"

namespace br {
namespace {

class MenuRaceTest : public br_test::SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    write_track("flat", 4);
    write_track("second", 4);
    // The track list shows the long names.
    br_test::DataDirs::put(dirs.game("flat/desc"), "Flat Track\n");
    br_test::DataDirs::put(dirs.game("second/desc"), "Second Track\n");
    data_files_reset();
    ASSERT_TRUE(build_startup_track_list());
    kota::register_builtin_aliases();
    resolve_menu_keys(g_world);
    menu_open(g_world, kMenuMain);
  }
};

using br_test::choose;
using br_test::go_to;
using br_test::press;

TEST_F(MenuRaceTest, ARaceStartsWithTheGatesLineUpAndTheMenusGiveWayToIt) {
  choose("New Race");
  choose("Track");
  choose("Second Track");
  EXPECT_EQ(g_world.menu, kMenuNewRace);
  go_to("Laps");
  press("left");
  go_to("Gate 1");
  press("right");
  press("right");  // "Robot"
  choose("Start");

  EXPECT_EQ(g_world.menu, kNoMenu);
  ASSERT_TRUE(g_world.session.loaded);
  EXPECT_EQ(g_world.track.dir, "second");
  EXPECT_EQ(g_world.order.size(), 7u);  // the default gates' five robots and the player, and one
  EXPECT_EQ(g_world.viewed_slot, 19);
  EXPECT_EQ(g_world.slots[19].control, kControlLocal);
  EXPECT_EQ(g_world.slots[0].control, kControlRobot);
  EXPECT_EQ(g_world.session.race_laps, 4);

  // Esc brings the menus back over the race, which stands still meanwhile; the next race goes
  // to the other track.
  press("esc");
  EXPECT_EQ(g_world.menu, kMenuMain);
  choose("New Race");
  choose("Track");
  choose("Flat Track");
  choose("Start");
  EXPECT_EQ(g_world.menu, kNoMenu);
  EXPECT_EQ(g_world.track.dir, "flat");
}

TEST_F(MenuRaceTest, ATimeTrialPutsThePlayerAloneOnTheTrack) {
  choose("Time Trial");
  choose("Start");
  ASSERT_TRUE(g_world.session.loaded);
  EXPECT_TRUE(g_world.session.time_trial);
  EXPECT_EQ(g_world.order.size(), 1u);
  EXPECT_EQ(g_world.slots[0].control, kControlLocal);
}

TEST_F(MenuRaceTest, ATrackThatCannotLoadIsReportedAndTheMenuStays) {
  g_world.settings.track_choice.texts.push_back("nowhere");
  g_world.settings.track_choice.select("nowhere");
  choose("New Race");
  choose("Start");
  EXPECT_EQ(g_world.menu, kMenuNewRace);
  EXPECT_EQ(g_world.menu_state.notice, "Can't load track 'nowhere'");
  EXPECT_FALSE(g_world.session.loaded);
  EXPECT_EQ(g_world.view_mode, kViewTitle);
}

}  // namespace
}  // namespace br
