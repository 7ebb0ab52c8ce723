// The player's control bindings and the rows that turn them into the nine control channels.
#pragma once

#include <array>
#include <string>

namespace br {

// A key or an analogue axis bound to one control. Exactly one of key_name and axis_name is
// in use; names resolve to a code or handle only at start-up or when a binding is captured.
struct Binding {
  const char* key;    // configuration key, e.g. "throttle_key"
  const char* label;  // menu label
  std::string key_name;
  int key_code = -1;  // event code, -1 when unresolved
  std::string axis_name;
  int axis_handle = -1;  // open axis handle, -1 when none
  float low = 0.0f;      // axis range mapped to 0..1
  float high = 1.0f;
};

enum BindingId {
  kBindLeft,
  kBindRight,
  kBindThrottle,
  kBindFrontBrake,
  kBindRearBrake,
  kBindUpshift,
  kBindDownshift,
  kBindClutch,
  kBindSitDab,
  kBindBackUp,
  kBindLeanForward,
  kBindLeanBackward,
  kBindPause,
  kBindStep,
  kBindRewind,
  kBindSkip,
  kBindNextBike,
  kBindPrevBike,
  kBindChat,
  kBindScreenshot,
  kBindingCount
};
constexpr int kRidingBindings = 12;

enum Channel {
  kChanSteering,
  kChanThrottle,
  kChanFrontBrake,
  kChanRearBrake,
  kChanShift,
  kChanClutch,
  kChanSitDab,
  kChanBackUp,
  kChanLean,
  kChannelCount
};

// One row of the binding table: a riding binding feeding a channel with a sign.
struct BindingRow {
  BindingId binding;
  Channel channel;
  float sign;
  float value = 0.0f;  // 0..1, from the key state or the axis
};

using Bindings = std::array<Binding, kBindingCount>;
using BindingRows = std::array<BindingRow, kRidingBindings>;
using Channels = std::array<float, kChannelCount>;

// The twenty bindings with their default keys.
Bindings default_bindings();
// The twenty pad bindings ("throttle_pad", ...), kept beside the keys so that keyboard and
// pad both work. Their defaults name the Gamepad, which stands for whichever pad is plugged
// in; controls without a pad default are left empty.
Bindings default_pad_bindings();
// The twelve riding rows in channel order.
BindingRows default_binding_rows();

// Reads "(low,high)axis name", "(k)key name" or a bare key name into `b`.
void binding_parse(Binding& b, const char* text);

// Axis raw value (-32768..32767) to a binding value through the binding's range, 0..1.
float binding_axis_value(const Binding& b, int raw);

}  // namespace br
