#include "platform/pads.h"

#include <cstdlib>
#include <memory>

#include "platform/event_queue.h"

namespace kota {
namespace {

// All pads as one: a button is down while any pad holds it, and an axis reads the pad that
// is pushed furthest, so a resting pad never masks the one in use.
struct Gamepad : InputDevice {
  std::vector<int> holders = std::vector<int>(kPadButtonCount, 0);
  Gamepad() {
    name = kGamepadName;
    axis_count = kPadAxisCount;
    button_count = kPadButtonCount;
  }
  int read_axis(int axis) override {
    int value = 0;
    for (const auto& d : devices()) {
      auto* pad = dynamic_cast<PadDevice*>(d.get());
      if (!pad) continue;
      int v = pad->read_axis(axis);
      if (std::abs(v) > std::abs(value)) value = v;
    }
    return value;
  }
};

Gamepad* gamepad() {
  return dynamic_cast<Gamepad*>(device_find(kGamepadName));
}

}  // namespace

void gamepad_create() {
  if (!gamepad()) device_add(std::make_unique<Gamepad>());
}

void pad_set_button(PadDevice& pad, int button, bool pressed, ClockTime time) {
  if (button < 0 || button >= kPadButtonCount || (pad.held[button] != 0) == pressed) return;
  pad.held[button] = pressed ? 1 : 0;
  if (Gamepad* all = gamepad()) {
    int& holders = all->holders[button];
    holders += pressed ? 1 : -1;
    if (holders == (pressed ? 1 : 0)) event_push({(all->id << 16) | button, pressed, time});
  }
  event_push({(pad.id << 16) | button, pressed, time});
}

void pad_release_all(PadDevice& pad, ClockTime time) {
  for (int b = 0; b < kPadButtonCount; ++b) pad_set_button(pad, b, false, time);
}

}  // namespace kota
