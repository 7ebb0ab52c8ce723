#include "shell/frame_loop.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "audio/world_sound.h"
#include "bike/controls.h"
#include "net/client.h"
#include "platform/devices.h"
#include "platform/log.h"
#include "race/session.h"
#include "render/view_cameras.h"
#include "replay/demo_player.h"
#include "shell/controls.h"
#include "shell/world_tick.h"
#include "ui/binding_capture.h"
#include "ui/menu.h"

namespace br {
namespace {

// The Tab key's event code.
constexpr int32_t kTabCode = kota::kEventKeyBase + 0x0F;
constexpr double kSeekSeconds = 1;  // per press of Rewind or Skip
// With --debug each second of riding is logged as it ends, at once: whoever drives the game
// from outside can keep to game time, however slowly the pictures come.
constexpr int32_t kRiddenLogEvery = 128;

bool offline(const World& w) {
  return !w.online;
}

void set_key_rows(const Bindings& bindings, BindingRows& rows, const kota::Event& e) {
  for (BindingRow& row : rows) {
    if (bindings[row.binding].key_code == e.code) row.value = e.pressed ? 1.0f : 0.0f;
  }
}

}  // namespace

void change_viewed_rider(World& w, int direction) {
  bool local = w.slots[w.viewed_slot].control == kControlLocal;
  // A spectator of a server's race has no ride of his own to keep watching.
  bool spectating = w.connected && w.session.race_position == kNoRacePosition;
  if (local && !w.settings.spy.value && !spectating) {
    if (w.options.debug_level >= 1) kota::log_printf("Viewed rider kept: spy mode is off\n");
    return;
  }
  if (w.order.empty()) return;
  int count = static_cast<int>(w.order.size());
  // A viewed rider who is not in the order stands after its last entry.
  int position = count;
  for (int i = 0; i < count; ++i) {
    if (w.order[i].slot == w.viewed_slot) position = i;
  }
  position = std::clamp(position + direction, 0, count - 1);
  if (w.order[position].slot == w.viewed_slot) return;
  w.viewed_slot = w.order[position].slot;
  kota::log_printf("Viewing slot %d\n", w.viewed_slot);
}

LoopClock system_loop_clock() {
  return {[] { return kota::clock_seconds(kota::clock_now()); },
          [](double s) {
            if (s <= 0) return;
            auto us = static_cast<int64_t>(s * 1e6);
            kota::sleep_for(us / 1000000, us % 1000000);
          }};
}

EventSource queue_event_source() {
  return [](kota::Event& e, const kota::ClockTime* deadline) {
    return deadline ? kota::event_pop_before(e, *deadline) : kota::event_pop(e);
  };
}

int frame_histogram_bin(double elapsed, double step) {
  for (int n = 0; n < kHistogramBins - 1; ++n) {
    if (elapsed < step * (1 << n)) return n;
  }
  return kHistogramBins - 1;
}

double network_adjusted_advance(double advance, int32_t server_frame, int32_t frame,
                                int32_t race_start_frame, double step) {
  double lag = (static_cast<double>(server_frame) - frame - 1) * step;
  if (lag < 0) return advance * (0.5 + 0.5 * std::clamp(lag + 1, 0.0, 1.0));
  if (frame < race_start_frame) return advance * (1 + 3 * std::clamp(lag, 0.0, 1.0));
  return advance * (1 + 0.125 * std::clamp(8 * lag, 0.0, 1.0));
}

double frame_advance(World& w, const LoopClock& clock) {
  LoopState& loop = w.loop;
  double now = clock.now();
  if (!loop.started) {
    // The first frame measures from the loop's start, not from the clock's zero.
    loop.started = true;
    loop.previous_measure = now;
  }
  double elapsed = now - loop.previous_measure;
  loop.frame_histogram[frame_histogram_bin(elapsed, w.step)] += 1;

  const CommandLine& cl = w.options;
  double advance = 0;
  if (offline(w) && cl.lock_fps > 0) {
    double frame_time = 1.0 / cl.lock_fps;
    if (elapsed < frame_time) {
      clock.sleep(frame_time - elapsed);
      now = clock.now();
    }
    advance = frame_time;
  } else if (offline(w) && cl.warp) {
    advance = kWarpStepsPerFrame * w.step;
  } else {
    while (elapsed < w.step) {
      clock.sleep(w.step - elapsed);
      now = clock.now();
      elapsed = now - loop.previous_measure;
    }
    advance = std::min(elapsed, kMaxFrameAdvance);
  }

  if (loop.frames_drawn == 0 && loop.smallest_advance == 0 && loop.largest_advance == 0) {
    loop.smallest_advance = loop.largest_advance = advance;
  }
  loop.smallest_advance = std::min(loop.smallest_advance, advance);
  loop.largest_advance = std::max(loop.largest_advance, advance);

  if (w.connected) {
    advance =
        network_adjusted_advance(advance, w.last_server_frame, w.frame, w.race_start_frame, w.step);
  }
  loop.previous_measure = now;
  loop.target_time += advance;
  w.world_time += advance;
  return now;
}

float clutch_engagement(float lever, float current, double step) {
  float c = std::clamp(1.0f - lever * 8.0f / 7.0f, 0.0f, 1.0f);
  if (c > current) c = std::min(c, current + static_cast<float>(4 * step));
  return c;
}

float sit_dab_value(World& w, bool sticky) {
  float channel = w.channels[kChanSitDab];
  if (!sticky) return channel;
  if (channel >= 0.5f && w.previous_sit_dab < 0.5f) w.sit_dab_latched = !w.sit_dab_latched;
  w.previous_sit_dab = channel;
  return w.sit_dab_latched ? 1.0f : 0.0f;
}

void apply_controls(World& w, Bike& bike) {
  const Channels& ch = w.channels;
  const BikeSetup& setup = w.settings.setup;
  float steering = ch[kChanSteering];
  if (setup.reverse_steering.text() == "Yes") steering = -steering;
  set_steering(bike, steering);
  set_front_brake(bike, ch[kChanFrontBrake]);
  set_rear_brake(bike, ch[kChanRearBrake]);
  set_throttle(bike, ch[kChanThrottle]);
  set_dab(bike, sit_dab_value(w, setup.sticky_dab.text() == "Yes"));
  set_back_up(bike, ch[kChanBackUp]);
  set_lean(bike, ch[kChanLean]);
  set_clutch(bike, clutch_engagement(ch[kChanClutch], bike.controls.clutch, w.step));
  float shift = ch[kChanShift];
  request_shift(bike, shift > 0.5f ? 1 : shift < -0.5f ? -1 : 0);
}

void update_channels(World& w) {
  // The keyboard's rows and the pad's add up, so either (or both) can ride.
  for (auto [bindings, rows] : {std::pair{&w.bindings, &w.binding_rows},
                                std::pair{&w.pad_bindings, &w.pad_binding_rows}}) {
    for (BindingRow& row : *rows) {
      const Binding& b = (*bindings)[row.binding];
      if (b.axis_handle >= 0) row.value = binding_axis_value(b, kota::axis_read(b.axis_handle));
      w.channels[row.channel] += row.sign * row.value;
    }
  }
}

void handle_event(World& w, const kota::Event& event) {
  if (w.options.debug_level >= 1) {
    kota::log_printf("Event %d %s\n", event.code, event.pressed ? "pressed" : "released");
  }
  // 1. Key state of every binding row on this code, the keyboard's and the pad's.
  set_key_rows(w.bindings, w.binding_rows, event);
  set_key_rows(w.pad_bindings, w.pad_binding_rows, event);
  if (event.code == kota::kEventWindowClosed) {
    w.loop.quit_requested = true;
    return;
  }
  const kota::Event e = menu_event_from_pad(w, event);
  // 2. The left mouse button.
  if (e.code == kota::kEventMouseLeft) w.mouse_left = e.pressed;
  // 3. A binding being captured takes the next press, whatever it is.
  if (w.capturing_binding >= 0) {
    if (e.pressed) capture_key(w, e.code);
    return;
  }
  // 4 and 5. An open menu takes every key, going back a screen or closing on Esc; the menus
  // also follow releases, for typed capitals and for clicks, which act when they come up.
  if (w.menu != kNoMenu) {
    menu_key(w, e.code, e.pressed);
    if (!w.session.loaded) w.view_mode = kViewTitle;
    return;
  }
  if (!e.pressed) return;

  auto is = [&](BindingId id) {
    return w.bindings[id].key_code == e.code || w.pad_bindings[id].key_code == e.code;
  };
  // 4. Esc opens the main menu.
  if (e.code == w.menu_keys.esc) {
    menu_open(w, kMainMenu);
    return;
  }
  // 6. Chat opens its menu.
  if (is(kBindChat) && w.view_mode != kViewEditor) {
    w.menu = kChatMenu;
    return;
  }
  // 7. The title screen takes nothing else.
  if (w.view_mode == kViewTitle) return;
  // 8. Pause, offline only.
  if (is(kBindPause) && offline(w)) {
    w.paused = !w.paused;
    return;
  }
  // 9. Step one tick while paused.
  if (is(kBindStep) && w.paused) {
    world_tick(w);
    return;
  }
  // 10. Tab cycles the view modes.
  if (e.code == kTabCode) {
    switch (w.view_mode) {
      case kViewRider:
        w.view_mode = w.options.editor ? kViewEditor : kViewChase;
        break;
      case kViewEditor:
        w.view_mode = kViewChase;
        break;
      case kViewChase:
        w.view_mode = kViewCameraTour;
        break;
      case kViewCameraTour:
        w.view_mode = kViewRider;
        break;
      default:
        break;
    }
    return;
  }
  // 11. Rewind and skip a second of the demo being played.
  if (is(kBindRewind) || is(kBindSkip)) {
    seek_demo(w, is(kBindSkip) ? kSeekSeconds : -kSeekSeconds, world_tick);
    return;
  }
  // 12. Previous and next bike in the running order.
  if (is(kBindPrevBike) || is(kBindNextBike)) {
    change_viewed_rider(w, is(kBindNextBike) ? +1 : -1);
    return;
  }
  // 13. A screenshot of the frame drawn next.
  if (is(kBindScreenshot) && w.view_mode != kViewEditor) {
    w.screenshot_requested = true;
    return;
  }
  // 14. The number row picks a trackside camera.
  int digit = digit_of_key(e.code);
  if (digit >= 0) select_trackside_camera(w, digit);
}

void step_loop(World& w, double now, const EventSource& events) {
  LoopState& loop = w.loop;
  while (loop.simulated_time < loop.target_time) {
    loop.simulated_time += w.step;
    double due = now - (loop.target_time - loop.simulated_time);
    kota::ClockTime deadline = kota::clock_from_seconds(due);
    // The frame's last step is due now and takes everything queued; earlier steps take only
    // the events stamped before their own deadlines.
    bool deadline_passed = due >= now;

    w.channels.fill(0.0f);
    kota::Event e;
    while (deadline_passed ? events(e, nullptr) : events(e, &deadline)) handle_event(w, e);
    if (loop.quit_requested) return;
    if (w.capturing_binding >= 0) capture_axes(w);
    update_channels(w);
    // The server's packets come in and ours go out between steps, menu or not.
    if (w.connected) net_service(w, due);

    bool menu_freezes =
        w.menu != kNoMenu && offline(w) && w.slots[w.viewed_slot].control == kControlLocal;
    if (menu_freezes) continue;
    RiderSlot& viewed = w.slots[w.viewed_slot];
    if (w.menu == kNoMenu && w.view_mode != kViewTitle && viewed.control == kControlLocal) {
      // Backing up may give up the attempt and start the lap again.
      if (w.session.time_trial && w.channels[kChanBackUp] > 0.5f &&
          w.settings.time_trial_abort.text() == "Yes") {
        restart_attempt(w);
      }
      if (viewed.bike) apply_controls(w, *viewed.bike);
    }
    if (w.menu == kNoMenu && w.view_mode != kViewTitle) camera_controls(w);
    if (w.connected) w.paused = false;
    if (!w.session.loaded) w.view_mode = kViewTitle;
    bool server_heard = !w.connected || w.last_server_frame > 0;
    if (!w.paused && w.view_mode != kViewTitle && server_heard) {
      world_tick(w);
      record_audio_step(w);
      if (w.options.debug_level >= 1 && w.frame % kRiddenLogEvery == 0) {
        kota::log_printf("Step %d ridden\n", w.frame);
        kota::log_flush();
      }
    }
  }
}

}  // namespace br
