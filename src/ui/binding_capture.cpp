#include "ui/binding_capture.h"

#include <cmath>
#include <cstring>

#include "platform/devices.h"
#include "platform/key_codes.h"
#include "platform/log.h"

namespace br {
namespace {

constexpr float kAxisCaptureThreshold = 0.5f;  // of full travel
constexpr float kCapturedLow = 0.0625f;        // an axis's dead zone at rest...
constexpr float kCapturedHigh = 0.9375f;       // ...and the travel that counts as full

// The window's cursor and the system mouse move whenever the player reaches for the mouse.
bool watched_device(const kota::InputDevice& d) {
  return d.name != "cursor" && d.name != "Mouse";
}

void done_watching(World& w) {
  for (WatchedAxis& a : w.watched_axes) kota::axis_close(a.handle);
  w.watched_axes.clear();
  w.capturing_binding = -1;
  if (w.options.debug_level >= 1) kota::log_printf("Done watching pots\n");
}

Binding* captured(World& w) {
  return capturable_binding(w, w.capturing_binding);
}

// The binding lets go of the axis it had, so that handles do not pile up.
void clear_binding(Binding& b) {
  kota::axis_close(b.axis_handle);
  b.axis_handle = -1;
  b.axis_name.clear();
  b.key_name.clear();
  b.key_code = -1;
  b.low = 0.0f;
  b.high = 1.0f;
}

}  // namespace

Binding* capturable_binding(World& w, int index) {
  if (index < 0 || index >= kCapturableBindings) return nullptr;
  Bindings& set = index < kBindingCount ? w.bindings : w.pad_bindings;
  return &set[static_cast<size_t>(index % kBindingCount)];
}

void begin_binding_capture(World& w, int id) {
  end_binding_capture(w);
  if (!capturable_binding(w, id)) return;
  w.capturing_binding = id;
  for (const auto& device : kota::devices()) {
    if (!watched_device(*device)) continue;
    for (int axis = 0; axis < device->axis_count; ++axis) {
      std::string name = device->name + " axis " + std::to_string(axis);
      int handle = kota::axis_open(name.c_str());
      if (handle >= 0) w.watched_axes.push_back({handle, name});
    }
  }
}

bool capture_key(World& w, int32_t code) {
  Binding* b = captured(w);
  if (!b) return false;
  if (code == w.menu_keys.esc) {
    done_watching(w);
    return true;
  }
  const char* name = kota::key_name(code);
  // A code without a name could not be written to the configuration and read back.
  if (!name || !*name) return true;
  clear_binding(*b);
  b->key_name = name;
  b->key_code = code;
  done_watching(w);
  return true;
}

bool capture_axes(World& w) {
  Binding* b = captured(w);
  if (!b) return false;
  int best = -1;
  float best_value = 0.0f;
  for (size_t i = 0; i < w.watched_axes.size(); ++i) {
    float v = kota::axis_read(w.watched_axes[i].handle) / 32768.0f;
    // The first device wins a tie: the all-pads device comes before each pad.
    if (std::fabs(v) > std::fabs(best_value)) {
      best = static_cast<int>(i);
      best_value = v;
    }
  }
  if (best < 0 || std::fabs(best_value) <= kAxisCaptureThreshold) return false;
  clear_binding(*b);
  WatchedAxis chosen = w.watched_axes[static_cast<size_t>(best)];
  w.watched_axes.erase(w.watched_axes.begin() + best);  // the binding keeps this handle open
  b->axis_name = chosen.name;
  b->axis_handle = chosen.handle;
  float sign = best_value > 0 ? 1.0f : -1.0f;
  b->low = sign * kCapturedLow;
  b->high = sign * kCapturedHigh;
  done_watching(w);
  return true;
}

void end_binding_capture(World& w) {
  if (w.capturing_binding < 0 && w.watched_axes.empty()) return;
  done_watching(w);
}

}  // namespace br
