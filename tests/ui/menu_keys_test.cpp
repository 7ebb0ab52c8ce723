// The menus driven through the main loop's event handling, as keys, mouse and pad reach them.
#include <gtest/gtest.h>

#include "../platform/fake_device.h"
#include "menu_fixture.h"
#include "shell/main_loop.h"
#include "ui/menu_layout.h"

namespace br {
namespace {

using namespace br_test;

TEST_F(MenuTest, ArrowsMoveOverTheEntriesAndRoundTheEnds) {
  EXPECT_EQ(highlighted_label(), "New Race");
  press("up");
  EXPECT_EQ(highlighted_label(), "Quit");
  press("down");
  press("down");
  EXPECT_EQ(highlighted_label(), "Playback Race");
  // Notes cannot be highlighted: the playback screen's "No demos found" is stepped over.
  choose("Playback Race");
  for (int i = 0; i < 8; ++i) {
    press("down");
    EXPECT_NE(screen().entries[static_cast<size_t>(g_world.menu_selection)].kind, EntryKind::kNote);
  }
}

TEST_F(MenuTest, EscGoesBackOneScreenAtATimeThenClosesAndOpensAgain) {
  choose("Bike Setup");
  choose("Advanced Stability Setup");
  EXPECT_EQ(g_world.menu, kMenuStability);
  press("esc");
  EXPECT_EQ(g_world.menu, kMenuBikeSetup);
  EXPECT_EQ(highlighted_label(), "Advanced Stability Setup");  // where the player left it
  choose("Back to Main Menu");
  EXPECT_EQ(g_world.menu, kMenuMain);
  EXPECT_EQ(highlighted_label(), "Bike Setup");
  press("esc");
  EXPECT_EQ(g_world.menu, kNoMenu);
  press("esc");
  EXPECT_EQ(g_world.menu, kMenuMain);
  EXPECT_EQ(highlighted_label(), "New Race");
}

TEST_F(MenuTest, LeftAndRightStepTheHighlightedSettingAndItsEffects) {
  choose("New Race");
  go_to("Laps");
  for (int i = 0; i < 60; ++i) press("right");
  EXPECT_EQ(g_world.settings.laps.value, 50);
  go_to("Robot Skill");
  press("left");
  EXPECT_EQ(g_world.settings.skill.text(), "Expert");
  go_to("Gate 1");
  press("right");
  press("right");
  EXPECT_EQ(g_world.settings.slots[0].text(), "Robot");
  // The next page holds the next ten gates.
  press("page down");
  go_to("Gate 11");
  press("left");
  EXPECT_EQ(g_world.settings.slots[10].text(), "Robot (4 stroke)");

  // A stability change puts its preset into the assists at once.
  press("esc");
  choose("Bike Setup");
  choose("Advanced Stability Setup");
  double roll_damping = g_world.settings.setup.roll_damping.value;
  for (int i = 0; i < 50; ++i) press("left");
  EXPECT_EQ(g_world.settings.setup.stability.value, 50);
  EXPECT_NE(g_world.settings.setup.roll_damping.value, roll_damping);
}

TEST_F(MenuTest, ChoosersSetTheirChoiceAndLeadBack) {
  choose("Bike Setup");
  choose("Choose Bike");
  EXPECT_EQ(g_world.menu, kMenuChooseBike);
  EXPECT_EQ(highlighted_label(), "450sxf(2013)");  // the list opens on the current choice
  choose("kx450f(2013)");
  EXPECT_EQ(g_world.menu, kMenuBikeSetup);
  EXPECT_EQ(g_world.settings.setup.bike.text(), "kx450f(2013)");
  // Models past the first page are reached by turning it.
  choose("Choose Bike");
  go_to("Next Page");
  press("enter");
  press("enter");
  choose("yz125");
  EXPECT_EQ(g_world.settings.setup.bike.text(), "yz125");
}

TEST_F(MenuTest, TextEntriesTakeTypedTextWithinTheirLength) {
  TextSetting& name = g_world.settings.setup.name;
  choose("Bike Setup");
  choose("Name");  // Enter starts typing
  for (int i = 0; i < 5; ++i) press(code("backspace"));
  event(code("left shift"), true);
  type("j");
  event(code("left shift"), false);
  type("o 2");
  EXPECT_EQ(name.value, "Jo 2");
  EXPECT_EQ(entry_value_text(screen().entries[0], true), "Jo 2_");
  press("enter");
  EXPECT_EQ(name.value, "Jo 2");
  press("down");  // typing has ended: the arrows move again
  EXPECT_EQ(highlighted_label(), "Number");

  press("enter");
  type("12345");
  EXPECT_EQ(g_world.settings.setup.number.value, "999");  // full already
  for (int i = 0; i < 3; ++i) press(code("backspace"));
  type("12345");
  EXPECT_EQ(g_world.settings.setup.number.value, "123");
  press("esc");  // Esc puts the text back as it was
  EXPECT_EQ(g_world.settings.setup.number.value, "999");
  EXPECT_EQ(g_world.menu, kMenuBikeSetup);
}

TEST_F(MenuTest, TheServerEntryStepsThroughTheNameHistory) {
  Settings& s = g_world.settings;
  s.server_name.value = "typed.example";
  s.server_name_hist[0].value = "newest.example";
  s.server_name_hist[2].value = "older.example:19801";
  choose("Multiplayer");
  choose("Server");
  press("up");
  EXPECT_EQ(s.server_name.value, "newest.example");
  press("up");
  EXPECT_EQ(s.server_name.value, "older.example:19801");  // empty entries are passed over
  press("up");
  EXPECT_EQ(s.server_name.value, "older.example:19801");
  press("down");
  press("down");
  EXPECT_EQ(s.server_name.value, "typed.example");
  press("up");
  press("enter");
  EXPECT_EQ(s.server_name.value, "newest.example");
}

TEST_F(MenuTest, ModesThatCannotStartSaySoAndLeaveTheMenuOpen) {
  choose("Multiplayer");
  choose("Connect");
  // The stock collision shapes were never checked here: no server may be joined.
  EXPECT_EQ(g_world.menu_state.notice, "Fixed file mismatch");
  EXPECT_EQ(g_world.menu, kMenuMultiplayer);
  press("esc");
  choose("Playback Race");
  choose("Start");
  EXPECT_EQ(g_world.menu_state.notice, "No demo chosen");
  g_world.demos.names = {"demos/a.brdemo"};
  g_world.demos.short_names = {"a"};
  choose("a");
  choose("Start");
  // A demo that is not there starts nothing.
  EXPECT_EQ(g_world.menu_state.notice, "Can't play demos/a.brdemo");
  press("esc");
  choose("Points Series");
  EXPECT_EQ(screen().notes.at(0), "No points series found");
  // Without a window the video mode waits for the next start.
  press("esc");
  choose("Graphics/Sound Setup");
  choose("Switch To Selected Mode Now");
  EXPECT_EQ(g_world.menu_state.notice, "The video mode changes at the next start");
}

TEST_F(MenuTest, ThePresetButtonsSetTheGraphicsAndTheLineNamesThem) {
  choose("Graphics/Sound Setup");
  choose("Use High Detail Settings");
  EXPECT_EQ(g_world.settings.ground_texture_dim.text(), "256x256");
  EXPECT_EQ(screen().notes[0], "Current Settings: High Detail");
  EXPECT_NEAR(g_world.detail.terrain_error_scale, 0.125 / 90, 1e-12);  // derived at once
  choose("Advanced Graphics Setup");
  go_to("Roost Density");
  press("left");
  EXPECT_EQ(g_world.detail.roost_frequency, 990);
  EXPECT_EQ(screen().notes[0], "Current Settings: Custom");
}

TEST_F(MenuTest, QuittingAsksFirst) {
  choose("Quit");
  EXPECT_EQ(screen().title, "Press any key to exit or ESC to keep playing");
  press("esc");
  EXPECT_EQ(g_world.menu, kMenuMain);
  EXPECT_FALSE(g_world.loop.quit_requested);
  choose("Quit");
  press("x");
  EXPECT_TRUE(g_world.loop.quit_requested);
}

TEST_F(MenuTest, ANewPlayerReadsTheDisclaimerThenTheMainMenu) {
  menu_open(g_world, kMenuDisclaimer);
  EXPECT_EQ(screen().notes.at(0),
            "Although this software depicts real objects and places, it is not");
  EXPECT_EQ(screen().notes.at(1), "endorsed by or affiliated with any of the subjects depicted.");
  press("enter");
  EXPECT_EQ(g_world.menu, kMenuMain);
  EXPECT_EQ(highlighted_label(), "New Race");  // the key that closed it did nothing more
}

TEST_F(MenuTest, ABindingIsCapturedFromTheNextKeyOrEscKeepsTheOldOne) {
  Binding& throttle = g_world.bindings[kBindThrottle];
  choose("Customize Controls");
  choose("Throttle");
  EXPECT_EQ(g_world.capturing_binding, kBindThrottle);
  press("esc");
  EXPECT_EQ(g_world.capturing_binding, -1);
  EXPECT_EQ(throttle.key_name, "x");
  EXPECT_EQ(g_world.menu, kMenuControls);  // Esc only ended the capture

  press("enter");
  press("q");
  EXPECT_EQ(g_world.capturing_binding, -1);
  EXPECT_EQ(throttle.key_code, code("q"));
  EXPECT_EQ(kota::key_code(throttle.key_name.c_str()), code("q"));
  EXPECT_TRUE(throttle.axis_name.empty());
  // The pad's bindings are on the second page, captured the same way.
  choose("Game Pad Controls");
  choose("Throttle (Pad)");
  press("w");
  EXPECT_EQ(g_world.pad_bindings[kBindThrottle].key_code, code("w"));
  EXPECT_EQ(throttle.key_code, code("q"));

  // The captured key now drives the throttle.
  g_world.menu = kNoMenu;
  event(code("q"), true);
  update_channels(g_world);
  EXPECT_EQ(g_world.channels[kChanThrottle], 1.0f);
}

TEST_F(MenuTest, ABindingIsCapturedFromAnAxisMovedPastHalfway) {
  auto* wheel = br_test::add_fake_device("Wheel", 3, 4);
  auto* mouse = br_test::add_fake_device("Mouse", 2, 3);
  Binding& left = g_world.bindings[kBindLeft];
  choose("Customize Controls");
  choose("Left");
  ASSERT_EQ(g_world.watched_axes.size(), 3u);  // the wheel's, not the mouse's
  mouse->values[0] = 30000;
  wheel->values[0] = 10000;  // less than halfway
  EXPECT_FALSE(capture_axes(g_world));
  wheel->values[2] = -20000;
  EXPECT_TRUE(capture_axes(g_world));
  EXPECT_EQ(left.axis_name, "Wheel axis 2");
  EXPECT_TRUE(left.key_name.empty());
  EXPECT_FLOAT_EQ(left.low, -0.0625f);
  EXPECT_FLOAT_EQ(left.high, -0.9375f);
  EXPECT_TRUE(g_world.watched_axes.empty());
  EXPECT_EQ(g_world.capturing_binding, -1);
  // The binding keeps its axis open and reads it; the others were closed.
  ASSERT_GE(left.axis_handle, 0);
  EXPECT_EQ(wheel->opens, 1);
  EXPECT_EQ(binding_axis_value(left, kota::axis_read(left.axis_handle)),
            binding_axis_value(left, -20000));
  // Written and read back as the configuration file has it.
  EXPECT_EQ(setting_line(&left), "left_key=(-0.062500,-0.937500)Wheel axis 2\n");
}

TEST_F(MenuTest, TheMouseHighlightsWhatItPointsAtAndClicksActWhenReleased) {
  MenuLayout layout = menu_layout(screen(), 640, 480);
  const MenuRow& row = layout.entries[5];  // "Bike Setup"
  int old_x = g_world.mouse_x, old_y = g_world.mouse_y;
  g_world.mouse_x = static_cast<int>(layout.label_x) + 5;
  g_world.mouse_y = static_cast<int>(row.top + row.height / 2);
  follow_mouse_in_menu(g_world, old_x, old_y);
  EXPECT_EQ(highlighted_label(), "Bike Setup");
  event(kota::kEventMouseLeft, true);
  EXPECT_EQ(g_world.menu, kMenuMain);  // nothing yet
  event(kota::kEventMouseLeft, false);
  EXPECT_EQ(g_world.menu, kMenuBikeSetup);

  // Dragging a number steps it with the mouse; letting go does not click it too.
  MenuScreen setup = screen();
  int torque = 0;
  while (setup.entries[static_cast<size_t>(torque)].label != "Braking Torque (Front)") ++torque;
  layout = menu_layout(setup, 640, 480);
  g_world.mouse_y = static_cast<int>(layout.entries[static_cast<size_t>(torque)].top + 2);
  event(kota::kEventMouseLeft, true);
  old_x = g_world.mouse_x;
  g_world.mouse_x += 20;
  follow_mouse_in_menu(g_world, old_x, g_world.mouse_y);
  event(kota::kEventMouseLeft, false);
  EXPECT_EQ(g_world.settings.setup.brake_torque.value, 250 + 2 * 10);
}

TEST_F(MenuTest, APadWorksTheMenusAndItsAcceptButtonActsWhenReleased) {
  // Pad codes as the "Gamepad" device gives them.
  MenuKeys& k = g_world.menu_keys;
  const int pad = 0x7001 << 16;
  k.pad_down = pad | 12;
  k.pad_right = pad | 14;
  k.pad_accept = pad | 0;
  k.pad_back = pad | 1;
  press(k.pad_down);
  EXPECT_EQ(highlighted_label(), "Playback Race");
  event(k.pad_accept, true);
  EXPECT_EQ(g_world.menu, kMenuMain);
  event(k.pad_accept, false);
  EXPECT_EQ(g_world.menu, kMenuPlayback);
  press(k.pad_right);
  EXPECT_EQ(g_world.settings.playback_mode.text(), "Race Against");
  press(k.pad_back);
  EXPECT_EQ(g_world.menu, kMenuMain);
}

}  // namespace
}  // namespace br
