#include "world/bindings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/pads.h"

namespace br {
namespace {

struct BindingDefault {
  const char* key;
  const char* label;
  const char* key_name;
};

// In BindingId order.
constexpr BindingDefault kBindingDefaults[kBindingCount] = {
    {"left_key", "Left", "left"},
    {"right_key", "Right", "right"},
    {"throttle_key", "Throttle", "x"},
    {"front_brake_key", "Front Brake", "c"},
    {"rear_brake_key", "Rear Brake", "v"},
    {"upshift_key", "Upshift", "up"},
    {"downshift_key", "Downshift", "down"},
    {"clutch_key", "Clutch", "z"},
    {"dab_key", "Sit/Dab", "right ctrl"},
    {"back_up_key", "Back up", "b"},
    {"lean_forward_key", "Lean Forward", "n"},
    {"lean_backward_key", "Lean Backward", "m"},
    {"pause_key", "Pause", "pause"},
    {"step_key", "Step", "."},
    {"rewind_key", "Rewind", "\\"},
    {"skip_key", "Skip", "/"},
    {"next_key", "Next Bike", "]"},
    {"prev_key", "Previous Bike", "["},
    {"console_key", "Chat", "t"},
    {"screenshot_key", "Screenshot", "s"},
};

enum class PadInput { kNone, kButton, kAxisNegative, kAxisPositive };

struct PadDefault {
  const char* key;
  const char* label;
  PadInput input;
  int index;  // kota::PadButton or kota::PadAxis
};

// In BindingId order, on the standard pad layout.
constexpr PadDefault kPadDefaults[kBindingCount] = {
    {"left_pad", "Left (Pad)", PadInput::kAxisNegative, kota::kPadLeftX},
    {"right_pad", "Right (Pad)", PadInput::kAxisPositive, kota::kPadLeftX},
    {"throttle_pad", "Throttle (Pad)", PadInput::kAxisPositive, kota::kPadRightTrigger},
    {"front_brake_pad", "Front Brake (Pad)", PadInput::kAxisPositive, kota::kPadLeftTrigger},
    {"rear_brake_pad", "Rear Brake (Pad)", PadInput::kButton, kota::kPadLeftShoulder},
    {"upshift_pad", "Upshift (Pad)", PadInput::kButton, kota::kPadA},
    {"downshift_pad", "Downshift (Pad)", PadInput::kButton, kota::kPadX},
    {"clutch_pad", "Clutch (Pad)", PadInput::kButton, kota::kPadRightShoulder},
    {"dab_pad", "Sit/Dab (Pad)", PadInput::kButton, kota::kPadY},
    {"back_up_pad", "Back up (Pad)", PadInput::kButton, kota::kPadB},
    // The stick pushed away from the rider leans him forward.
    {"lean_forward_pad", "Lean Forward (Pad)", PadInput::kAxisNegative, kota::kPadRightY},
    {"lean_backward_pad", "Lean Backward (Pad)", PadInput::kAxisPositive, kota::kPadRightY},
    {"pause_pad", "Pause (Pad)", PadInput::kButton, kota::kPadBack},
    {"step_pad", "Step (Pad)", PadInput::kNone, 0},
    {"rewind_pad", "Rewind (Pad)", PadInput::kNone, 0},
    {"skip_pad", "Skip (Pad)", PadInput::kNone, 0},
    {"next_pad", "Next Bike (Pad)", PadInput::kButton, kota::kPadDpadRight},
    {"prev_pad", "Previous Bike (Pad)", PadInput::kButton, kota::kPadDpadLeft},
    {"console_pad", "Chat (Pad)", PadInput::kNone, 0},
    {"screenshot_pad", "Screenshot (Pad)", PadInput::kNone, 0},
};

// The binding text of a pad default. Sticks and triggers rest at 0: a range that starts a
// sixteenth of the way out keeps a resting pad from riding the bike.
std::string pad_binding_text(const PadDefault& d) {
  const std::string pad = kota::kGamepadName;
  switch (d.input) {
    case PadInput::kButton:
      return pad + " button " + std::to_string(d.index);
    case PadInput::kAxisNegative:
      return "(-0.0625,-0.9375)" + pad + ".axis[" + std::to_string(d.index) + "]";
    case PadInput::kAxisPositive:
      return "(0.0625,0.9375)" + pad + ".axis[" + std::to_string(d.index) + "]";
    case PadInput::kNone:
      break;
  }
  return "";
}

}  // namespace

Bindings default_bindings() {
  Bindings b{};
  for (int i = 0; i < kBindingCount; ++i) {
    b[i].key = kBindingDefaults[i].key;
    b[i].label = kBindingDefaults[i].label;
    b[i].key_name = kBindingDefaults[i].key_name;
  }
  return b;
}

Bindings default_pad_bindings() {
  Bindings b{};
  for (int i = 0; i < kBindingCount; ++i) {
    b[i].key = kPadDefaults[i].key;
    b[i].label = kPadDefaults[i].label;
    binding_parse(b[i], pad_binding_text(kPadDefaults[i]).c_str());
  }
  return b;
}

BindingRows default_binding_rows() {
  return {{
      {kBindLeft, kChanSteering, +1},
      {kBindRight, kChanSteering, -1},
      {kBindThrottle, kChanThrottle, +1},
      {kBindFrontBrake, kChanFrontBrake, +1},
      {kBindRearBrake, kChanRearBrake, +1},
      {kBindUpshift, kChanShift, +1},
      {kBindDownshift, kChanShift, -1},
      {kBindClutch, kChanClutch, +1},
      {kBindSitDab, kChanSitDab, +1},
      {kBindBackUp, kChanBackUp, +1},
      {kBindLeanForward, kChanLean, -1},
      {kBindLeanBackward, kChanLean, +1},
  }};
}

void binding_parse(Binding& b, const char* text) {
  while (*text && std::isspace(static_cast<unsigned char>(*text))) ++text;
  b.key_name.clear();
  b.key_code = -1;
  b.axis_name.clear();
  b.axis_handle = -1;
  b.low = 0.0f;
  b.high = 1.0f;
  const char* close = std::strchr(text, ')');
  float low = 0, high = 0;
  if (text[0] == '(' && close && std::sscanf(text, "(%f,%f)", &low, &high) == 2) {
    b.low = low;
    b.high = high;
    b.axis_name = close + 1;
  }
  if (b.axis_name.empty()) b.key_name = std::strncmp(text, "(k)", 3) == 0 ? text + 3 : text;
}

float binding_axis_value(const Binding& b, int raw) {
  float span = b.high - b.low;
  float v = (raw / 32768.0f - b.low) / span;
  if (!std::isfinite(v)) return 0.0f;  // an empty or unreadable range gives no input
  return std::clamp(v, 0.0f, 1.0f);
}

}  // namespace br
