#include "shell/controls.h"

#include "platform/devices.h"
#include "platform/key_codes.h"
#include "platform/log.h"
#include "platform/pads.h"

namespace br {
namespace {

int code_of(const char* name) {
  return kota::key_code(name).value_or(-1);
}

void resolve(Bindings& bindings) {
  for (Binding& b : bindings) {
    b.key_code = -1;
    if (!b.key_name.empty()) {
      b.key_code = code_of(b.key_name.c_str());
    } else if (!b.axis_name.empty() && b.axis_handle < 0) {
      b.axis_handle = kota::axis_open(b.axis_name.c_str());
    }
  }
}

std::string pad_button(int button) {
  return std::string(kota::kGamepadName) + " button " + std::to_string(button);
}

}  // namespace

void resolve_bindings(World& w) {
  w.input_devices_seen = kota::devices_generation();
  resolve(w.bindings);
  resolve(w.pad_bindings);
}

void follow_input_devices(World& w) {
  if (w.input_devices_seen == kota::devices_generation()) return;
  kota::log_printf("Input devices changed; looking up the bindings again\n");
  resolve_bindings(w);
  resolve_menu_keys(w);
}

kota::Event menu_event_from_pad(const World& w, const kota::Event& e) {
  const MenuKeys& k = w.menu_keys;
  kota::Event out = e;
  if (e.code == k.pad_menu) {
    out.code = k.esc;
  } else if (w.menu != kNoMenu && w.capturing_binding < 0) {
    // A binding being captured takes the pad's buttons as they are.
    if (e.code == k.pad_up) out.code = k.up;
    if (e.code == k.pad_down) out.code = k.down;
    if (e.code == k.pad_left) out.code = k.left;
    if (e.code == k.pad_right) out.code = k.right;
    if (e.code == k.pad_back) out.code = k.esc;
    if (e.code == k.pad_page_up) out.code = k.page_up;
    if (e.code == k.pad_page_down) out.code = k.page_down;
    // A chooses when it comes up: its press would otherwise start a binding capture that the
    // pad's own event for the same press, which follows the Gamepad's, would then end.
    if (e.code == k.pad_accept) {
      out.code = k.enter;
      out.pressed = !e.pressed;
    }
  }
  return out;
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
  k.pad_up = code_of(pad_button(kota::kPadDpadUp).c_str());
  k.pad_down = code_of(pad_button(kota::kPadDpadDown).c_str());
  k.pad_left = code_of(pad_button(kota::kPadDpadLeft).c_str());
  k.pad_right = code_of(pad_button(kota::kPadDpadRight).c_str());
  k.pad_accept = code_of(pad_button(kota::kPadA).c_str());
  k.pad_back = code_of(pad_button(kota::kPadB).c_str());
  k.pad_menu = code_of(pad_button(kota::kPadStart).c_str());
  k.pad_page_up = code_of(pad_button(kota::kPadLeftShoulder).c_str());
  k.pad_page_down = code_of(pad_button(kota::kPadRightShoulder).c_str());
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
  for (Bindings* set : {&w.bindings, &w.pad_bindings}) {
    for (Binding& b : *set) {
      kota::axis_close(b.axis_handle);
      b.axis_handle = -1;
    }
  }
}

}  // namespace br
