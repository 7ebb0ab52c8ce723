// The menu model without keys: settings stepped, typed and named as the screens show them.
#include <gtest/gtest.h>

#include <regex>

#include "platform/event_queue.h"
#include "shell/graphics_presets.h"
#include "ui/menu_screen.h"
#include "ui/menu_screens.h"
#include "ui/modes.h"
#include "ui/typed_text.h"
#include "world/world.h"

namespace br {
namespace {

TEST(MenuItems, NumbersStepWithinTheirRangeAndBackOntoTheirGrid) {
  Settings s;
  s.laps.value = 49;
  number_step(s.laps, +1);
  EXPECT_EQ(s.laps.value, 50);
  number_step(s.laps, +1);  // the range ends at 50
  EXPECT_EQ(s.laps.value, 50);
  number_step(s.minutes, -1);
  EXPECT_EQ(s.minutes.value, 0);

  // A stored value between steps moves to the next step in the direction pressed.
  s.laps.value = 5.5;
  number_step(s.laps, +1);
  EXPECT_EQ(s.laps.value, 6);
  s.laps.value = 5.5;
  number_step(s.laps, -1);
  EXPECT_EQ(s.laps.value, 5);

  // Fractional steps add up exactly where the range's grid is exact, and show as such.
  NumberSetting& height = s.first_person_height;
  for (int i = 0; i < 3; ++i) number_step(height, +1);
  EXPECT_DOUBLE_EQ(height.value, 0.09375);
  MenuEntry e;
  e.kind = EntryKind::kNumber;
  e.number = &height;
  EXPECT_EQ(entry_value_text(e), "0.09375");
  NumberSetting& mass = s.setup.rider_mass_distribution;
  number_step(mass, +1);
  EXPECT_NEAR(mass.value, 0.34, 1e-12);
  e.number = &mass;
  EXPECT_EQ(entry_value_text(e), "0.34");
}

TEST(MenuItems, ChoicesGoRoundTheirTextsBothWays) {
  Settings s;
  ASSERT_EQ(s.skill.text(), "Novice");
  choice_step(s.skill, -1);
  EXPECT_EQ(s.skill.text(), "Expert");
  choice_step(s.skill, +1);
  EXPECT_EQ(s.skill.text(), "Novice");
  choice_step(s.setup.stop_wheelies, +1);
  choice_step(s.setup.stop_wheelies, +1);
  EXPECT_EQ(s.setup.stop_wheelies.text(), "Front Only");
  ChoiceSetting empty{"k", "Empty", {}, 0};
  choice_step(empty, +1);  // nothing to choose: nothing happens
  EXPECT_EQ(empty.index, 0);
}

TEST(MenuItems, TextEntriesKeepToTheirLengthAndTakeOnlyPrintableCharacters) {
  Settings s;
  TextSetting& number = s.setup.number;
  number.value.clear();
  for (char c : std::string("1234")) text_type(number, c);
  EXPECT_EQ(number.value, "123");  // three characters at most
  text_backspace(number);
  EXPECT_FALSE(text_type(number, '\t'));
  EXPECT_FALSE(text_type(number, '\x7f'));
  EXPECT_TRUE(text_type(number, '9'));
  EXPECT_EQ(number.value, "129");
  text_backspace(number);
  text_backspace(number);
  text_backspace(number);
  text_backspace(number);  // on an empty text: nothing
  EXPECT_EQ(number.value, "");

  // Keys type by their place on the keyboard, with shift for capitals and signs.
  const int32_t key = kota::kEventKeyBase;
  EXPECT_EQ(typed_char(key + 0x1E, false), 'a');
  EXPECT_EQ(typed_char(key + 0x1E, true), 'A');
  EXPECT_EQ(typed_char(key + 0x02, true), '!');
  EXPECT_EQ(typed_char(key + 0x34, false), '.');
  EXPECT_EQ(typed_char(key + 0x27, true), ':');
  EXPECT_EQ(typed_char(key + 0x4F, true), '1');  // the keypad ignores shift
  EXPECT_EQ(typed_char(key + 0x135, false), '/');
  EXPECT_EQ(typed_char(key + 0x148, false), 0);  // the up arrow types nothing
  EXPECT_EQ(typed_char(kota::kEventMouseLeft, false), 0);
}

TEST(MenuItems, PresetsSetTheirValuesAndTheSettingsNameTheMatchingPreset) {
  Settings s;
  apply_graphics_preset(s, GraphicsPreset::kHighFps);
  EXPECT_EQ(s.ground_detail.value, 50);
  EXPECT_EQ(s.ground_texture_detail.value, 7);
  EXPECT_EQ(s.ground_texture_dim.text(), "64x64");
  EXPECT_EQ(s.texture_compress.text(), "Yes");
  EXPECT_EQ(s.render_texture.text(), "Hardware/Direct");
  EXPECT_EQ(s.use_shader.text(), "No");
  EXPECT_EQ(s.model_detail.value, 25);
  EXPECT_EQ(s.lens_flare.text(), "No");
  EXPECT_EQ(s.roost_density.value, 0);
  EXPECT_EQ(current_settings_text(s), "Current Settings: High FPS");

  apply_graphics_preset(s, GraphicsPreset::kHighDetail);
  EXPECT_EQ(s.ground_texture_dim.text(), "256x256");
  EXPECT_EQ(s.model_texture_detail.value, 10);
  EXPECT_EQ(current_settings_text(s), "Current Settings: High Detail");

  apply_graphics_preset(s, GraphicsPreset::kNormal);
  EXPECT_EQ(current_settings_text(s), "Current Settings: Normal");
  number_set(s.roost_density, 990);
  EXPECT_EQ(current_settings_text(s), "Current Settings: Custom");

  // Compatibility differs from Normal in three items only, and is not taken for it.
  apply_graphics_preset(s, GraphicsPreset::kCompatibility);
  EXPECT_EQ(current_settings_text(s), "Current Settings: Compatibility");
  s.ground_texture_dim.select("128x128");
  s.texture_compress.select("Yes");
  EXPECT_EQ(current_settings_text(s), "Current Settings: Custom");
  s.render_texture.select("Shaders/Direct");
  EXPECT_EQ(current_settings_text(s), "Current Settings: Normal");
}

class MenuScreens : public ::testing::Test {
 protected:
  void SetUp() override { world_reset(); }
  void TearDown() override { world_reset(); }
  static std::vector<std::string> labels(const MenuScreen& s) {
    std::vector<std::string> out;
    for (const MenuEntry& e : s.entries) out.push_back(e.label);
    return out;
  }
};

TEST_F(MenuScreens, TheMainMenuAndTheGraphicsScreenHoldWhatThePlayerLooksFor) {
  EXPECT_EQ(labels(build_menu_screen(g_world, kMenuMain)),
            (std::vector<std::string>{"New Race", "Playback Race", "Points Series", "Time Trial",
                                      "Multiplayer", "Bike Setup", "Graphics/Sound Setup",
                                      "Customize Controls", "Quit"}));
  apply_graphics_preset(g_world.settings, GraphicsPreset::kNormal);
  MenuScreen g = build_menu_screen(g_world, kMenuGraphicsSound);
  std::vector<std::string> l = labels(g);
  for (const char* want :
       {"Video Mode", "Switch To Selected Mode Now", "Use High Detail Settings",
        "Use Normal Settings", "Use High FPS Settings", "Use Compatibility Settings",
        "Advanced Graphics Setup", "Volume", "Back to Main Menu"}) {
    EXPECT_NE(std::find(l.begin(), l.end(), want), l.end()) << want;
  }
  ASSERT_GE(g.notes.size(), 3u);
  EXPECT_EQ(g.notes[0], "Current Settings: Normal");
  EXPECT_EQ(g.notes[1], "Some settings will not take effect until next restart");
  EXPECT_EQ(g.notes[2], "Driver info:");

  // Without a driver nothing is available; the terrain's software method always is.
  MenuScreen a = build_menu_screen(g_world, kMenuAdvancedGraphics);
  for (const MenuEntry& e : a.entries) {
    if (e.label == "Use Shader Programs") {
      EXPECT_EQ(e.detail, "Not Available");
    }
  }
  g_world.settings.render_texture.select("Software");
  for (const MenuEntry& e : build_menu_screen(g_world, kMenuAdvancedGraphics).entries) {
    if (e.label == "Terrain Rendering Method") {
      EXPECT_EQ(e.detail, "Available");
    }
  }
}

TEST_F(MenuScreens, SuspensionShowsThePhysicalValueOfEachAdjustment) {
  MenuScreen s = build_menu_screen(g_world, kMenuSuspension);
  auto detail_of = [&s](const std::string& label) {
    for (const MenuEntry& e : s.entries) {
      if (e.label == label) return e.detail;
    }
    return std::string("missing");
  };
  auto shows = [&detail_of](const std::string& label, const char* pattern) {
    EXPECT_TRUE(std::regex_match(detail_of(label), std::regex(pattern))) << detail_of(label);
  };
  shows("Fork Spring Rate", R"(\d+\.\d{3} kg/mm)");
  shows("Shock Spring Rate", R"(\d+\.\d{2} kg/mm)");
  shows("Fork Preload", R"(\d+\.\d{2} mm)");
  shows("Fork Oil Level", R"(\d+\.\d{2} mm)");
  shows("Countershaft Sprocket", R"(\d+\.\d{2} teeth)");
  EXPECT_EQ(detail_of("Fork Compression Damping"), "");
}

TEST_F(MenuScreens, GatesAreSpreadOverPagesAndTexturesShowByTheirShortNames) {
  MenuScreen first = build_menu_screen(g_world, kMenuNewRace);
  EXPECT_EQ(first.pages, kLineupSlots / kGatesPerPage);
  std::vector<std::string> l = labels(first);
  EXPECT_NE(std::find(l.begin(), l.end(), "Gate 10"), l.end());
  EXPECT_EQ(std::find(l.begin(), l.end(), "Gate 11"), l.end());
  g_world.menu_state.page = 3;
  l = labels(build_menu_screen(g_world, kMenuNewRace));
  EXPECT_NE(std::find(l.begin(), l.end(), "Gate 40"), l.end());

  EXPECT_EQ(texture_choice_name("@rider_body-alt1.png"), "alt1");
  EXPECT_EQ(texture_choice_name("@bikes/crf250-alt2.png"), "alt2");
  EXPECT_EQ(texture_choice_name("@wheels.png"), "wheels");

  // The line-up takes the gates' codes; past the 40 gates it is empty.
  std::array<int, kLineupSize> lineup = menu_lineup(g_world.settings);
  EXPECT_EQ(lineup[19], 1);  // "Human" on gate 20
  EXPECT_EQ(lineup[17], 2);
  EXPECT_EQ(lineup[0], 0);
  EXPECT_EQ(lineup[45], 0);
}

TEST(ServerHistory, ANewServerGoesToTheFrontOnce) {
  Settings s;
  s.server_name.value = "a.example";
  remember_server_name(s);
  s.server_name.value = "b.example";
  remember_server_name(s);
  remember_server_name(s);  // already the newest: not twice
  EXPECT_EQ(s.server_name_hist[0].value, "b.example");
  EXPECT_EQ(s.server_name_hist[1].value, "a.example");
  EXPECT_EQ(s.server_name_hist[2].value, "");
  // A name the history file could not hold is not remembered rather than cut.
  s.server_name.value = std::string(127, 'x');
  remember_server_name(s);
  EXPECT_EQ(s.server_name_hist[0].value, "b.example");
}

}  // namespace
}  // namespace br
