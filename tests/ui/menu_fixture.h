// The world with its menu keys resolved and the main menu open, and the keys a player presses.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/devices.h"
#include "platform/key_codes.h"
#include "shell/controls.h"
#include "shell/frame_loop.h"
#include "ui/binding_capture.h"
#include "ui/menu.h"
#include "ui/menu_hooks.h"
#include "world/world.h"

namespace br_test {

// The keys a player presses, through the main loop's event handling.
inline int code(const char* name) {
  return kota::key_code(name).value_or(-1);
}
inline void event(int code, bool pressed) {
  kota::Event e;
  e.code = code;
  e.pressed = pressed;
  br::handle_event(br::g_world, e);
}
inline void press(int code) {
  event(code, true);
  event(code, false);
}
inline void press(const char* name) {
  press(code(name));
}
inline void type(const std::string& keys) {
  for (char c : keys) press(std::string(1, c).c_str());
}

inline br::MenuScreen screen() {
  return br::open_menu_screen(br::g_world);
}
inline std::string highlighted_label() {
  return screen().entries.at(static_cast<size_t>(br::g_world.menu_selection)).label;
}
// Moves the highlight down to the entry labelled `label`, as a player would.
inline void go_to(const std::string& label) {
  for (size_t i = 0; i <= screen().entries.size(); ++i) {
    if (highlighted_label() == label) return;
    press("down");
  }
  FAIL() << "no entry '" << label << "' on " << screen().title;
}
inline void choose(const std::string& label) {
  go_to(label);
  press("enter");
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    br::world_reset();
    kota::register_builtin_aliases();  // the mouse buttons' names
    br::resolve_menu_keys(br::g_world);
    br::g_world.frame_width = 640;
    br::g_world.frame_height = 480;
    br::menu_open(br::g_world, br::kMenuMain);
  }
  void TearDown() override {
    br::end_binding_capture(br::g_world);
    br::close_control_axes(br::g_world);
    kota::devices_destroy_all();
    br::menu_hooks() = br::MenuHooks{};
    br::world_reset();
  }
};

}  // namespace br_test
