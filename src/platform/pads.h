// Game pads. Every pad reads in one standard layout, whatever its make (the window library
// maps it through SDL's game-controller database), and the device "Gamepad" stands for all
// pads at once: default bindings and the menus name it, so they work with whichever pad is
// plugged in, while a binding to a pad's own name follows that pad only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "platform/devices.h"

namespace kota {

constexpr char kGamepadName[] = "Gamepad";

// The standard layout's buttons and axes, numbered as SDL numbers them.
enum PadButton {
  kPadA,
  kPadB,
  kPadX,
  kPadY,
  kPadBack,
  kPadGuide,
  kPadStart,
  kPadLeftStick,
  kPadRightStick,
  kPadLeftShoulder,
  kPadRightShoulder,
  kPadDpadUp,
  kPadDpadDown,
  kPadDpadLeft,
  kPadDpadRight,
  kPadMisc,
  kPadPaddle1,
  kPadPaddle2,
  kPadPaddle3,
  kPadPaddle4,
  kPadTouchpad,
  kPadButtonCount
};
enum PadAxis {
  kPadLeftX,  // -32767 left .. 32767 right
  kPadLeftY,  // -32767 up .. 32767 down
  kPadRightX,
  kPadRightY,
  kPadLeftTrigger,  // 0 released .. 32767 pulled
  kPadRightTrigger,
  kPadAxisCount
};

// A pad in the standard layout. Its reader reports button changes through pad_set_button.
struct PadDevice : InputDevice {
  std::vector<uint8_t> held = std::vector<uint8_t>(kPadButtonCount, 0);
  PadDevice() {
    axis_count = kPadAxisCount;
    button_count = kPadButtonCount;
    needs_poll = true;
  }
};

// Registers the Gamepad device (once; it stays while pads come and go).
void gamepad_create();

// A pad's button changed: the Gamepad's event comes first when its own state changes (a
// button held on two pads is one press), then the pad's, so that a binding being captured
// takes the name that works with any pad.
void pad_set_button(PadDevice& pad, int button, bool pressed, ClockTime time);

// A pad is going away: every button it holds is released, so that nothing stays pressed.
void pad_release_all(PadDevice& pad, ClockTime time);

}  // namespace kota
