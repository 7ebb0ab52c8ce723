#include "shell/controls.h"

#include "platform/devices.h"
#include "platform/key_codes.h"

namespace br {
namespace {

int code_of(const char* name) {
  return kota::key_code(name).value_or(-1);
}

}  // namespace

void resolve_bindings(World& w) {
  for (Binding& b : w.bindings) {
    b.key_code = -1;
    if (!b.key_name.empty()) {
      b.key_code = code_of(b.key_name.c_str());
    } else if (!b.axis_name.empty() && b.axis_handle < 0) {
      b.axis_handle = kota::axis_open(b.axis_name.c_str());
    }
  }
}

void resolve_menu_keys(World& w) {
  MenuKeys& k = w.menu_keys;
  k.up = code_of("up");
  k.down = code_of("down");
  k.left = code_of("left");
  k.right = code_of("right");
  k.enter = code_of("enter");
  k.keypad_enter = code_of("keypad enter");
  k.esc = code_of("esc");
  k.pause = code_of("pause");
  k.cursor_left = code_of("cursor-left");
  k.cursor_right = code_of("cursor-right");
  k.page_up = code_of("page up");
  k.page_down = code_of("page down");
  // Every pad reads in one standard layout under the name "Gamepad", buttons numbered as SDL
  // numbers them; without a pad these stay unresolved.
  k.pad_accept = code_of("Gamepad button 0");     // A
  k.pad_back = code_of("Gamepad button 1");       // B
  k.pad_start = code_of("Gamepad button 6");      // Start
  k.pad_page_up = code_of("Gamepad button 9");    // left shoulder
  k.pad_page_down = code_of("Gamepad button 10");  // right shoulder
  k.pad_up = code_of("Gamepad button 11");
  k.pad_down = code_of("Gamepad button 12");
  k.pad_left = code_of("Gamepad button 13");
  k.pad_right = code_of("Gamepad button 14");
}

void open_mouse_axes(World& w) {
  w.cursor_axis_x = kota::axis_open("cursor-x");
  w.cursor_axis_y = kota::axis_open("cursor-y");
}

void read_mouse_axes(World& w) {
  if (w.cursor_axis_x >= 0) w.mouse_x = kota::axis_read(w.cursor_axis_x);
  if (w.cursor_axis_y >= 0) w.mouse_y = kota::axis_read(w.cursor_axis_y);
}

void close_control_axes(World& w) {
  kota::axis_close(w.cursor_axis_x);
  kota::axis_close(w.cursor_axis_y);
  w.cursor_axis_x = w.cursor_axis_y = -1;
  for (Binding& b : w.bindings) {
    kota::axis_close(b.axis_handle);
    b.axis_handle = -1;
  }
}

}  // namespace br
