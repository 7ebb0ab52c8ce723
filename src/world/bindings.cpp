#include "world/bindings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

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
