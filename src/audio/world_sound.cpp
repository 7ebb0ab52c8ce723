#include "audio/world_sound.h"

#include <ode/ode.h>

#include <cmath>
#include <cstdio>

#include "audio/audio_recording.h"
#include "bike/bike.h"
#include "bike/controls.h"
#include "bike/drivetrain.h"
#include "render/view_cameras.h"
#include "replay/history_pose.h"

namespace br {
namespace {

constexpr float kMenuWatchingFactor = 0.25f;
constexpr double kSettingScale = 0.1;  // volume settings run 0..10
// A camera moving faster than this between frames has cut to another place; it is heard
// standing still rather than as a sonic boom.
constexpr double kCameraCutSpeed = 300;  // ft/s

Vec3d body_vector(const dReal* v) {
  return {v[0], v[1], v[2]};
}

EngineReading engine_reading(const Bike& bike) {
  EngineReading r;
  r.rpm = engine_rpm(bike);
  r.torque = static_cast<float>(engine_torque(bike.entry, r.rpm, throttle(bike)));
  r.position = body_vector(dBodyGetPosition(bike.bodies[kBodyFrame]));
  r.velocity = body_vector(dBodyGetLinearVel(bike.bodies[kBodyFrame]));
  return r;
}

}  // namespace

void EngineVoiceDeleter::operator()(EngineSound* s) const {
  free_engine_sound(*s);
  delete s;
}

void give_voice(World& w, int slot_index) {
  RiderSlot& slot = w.slots[static_cast<size_t>(slot_index)];
  slot.voice.reset();
  if (!w.audio || !slot.bike) return;
  EngineVoicePtr voice(new EngineSound);
  if (init_engine_sound(*voice, w.audio, slot.bike->entry.engine_class,
                        slot.identity.bike_texture)) {
    slot.voice = std::move(voice);
  }
}

void release_voice(RiderSlot& slot) {
  slot.voice.reset();
}

void release_all_voices(World& w) {
  for (RiderSlot& slot : w.slots) release_voice(slot);
}

float sound_master_factor(const World& w) {
  if (w.paused || w.view_mode == kViewEditor) return 0;
  if (w.menu == kNoMenu) return 1;
  bool riding = w.slots[static_cast<size_t>(w.viewed_slot)].control == kControlLocal;
  return riding ? 0 : kMenuWatchingFactor;
}

float rider_volume(const World& w, int slot, float master) {
  double v = master * w.settings.volume.value * kSettingScale;
  if (slot != w.viewed_slot) v *= w.settings.comp_volume.value * kSettingScale;
  // A played-back rider is heard only around the states it has; network riders left out of
  // the contacts fall silent here too once the client exists.
  if (w.slots[static_cast<size_t>(slot)].control == kControlPlayedBack &&
      history_rider_hidden(w, slot)) {
    return 0;
  }
  return static_cast<float>(v);
}

Listener frame_listener(World& w) {
  Listener l;
  if (std::optional<ViewCamera> camera = view_camera(w)) {
    l.position = {camera->eye[0], camera->eye[1], camera->eye[2]};
    Vec3 right = camera->right();
    l.right = {right[0], right[1], right[2]};
  } else {
    l.position = w.free_camera_position;
  }
  double dt = w.world_time - w.listener_time;
  if (w.listener_time >= 0 && dt > 0) {
    for (int i = 0; i < 3; ++i) l.velocity[i] = (l.position[i] - w.listener_position[i]) / dt;
    double speed = std::sqrt(l.velocity[0] * l.velocity[0] + l.velocity[1] * l.velocity[1] +
                             l.velocity[2] * l.velocity[2]);
    if (speed > kCameraCutSpeed) l.velocity = {0, 0, 0};
  }
  w.listener_position = l.position;
  w.listener_time = w.world_time;
  return l;
}

void update_world_sound(World& w) {
  if (!w.audio) return;
  const Listener listener = frame_listener(w);
  const float master = sound_master_factor(w);
  for (int i = 0; i < kRiderSlots; ++i) {
    RiderSlot& slot = w.slots[static_cast<size_t>(i)];
    if (!slot.bike || !slot.voice) continue;
    engine_sound_frame(*slot.voice, engine_reading(*slot.bike), rider_volume(w, i, master),
                       listener);
  }
  audio_end_frame(w.audio);
}

void record_audio_step(World& w) {
  if (!w.audio || !w.audio_recording) return;
  recording_append(*w.audio_recording, audio_readback(w.audio));
}

std::string pipe_command(World& w, const std::string& args) {
  RiderSlot& slot = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (!slot.bike || !slot.voice) return "";
  PipeShape p = class_pipe(slot.bike->entry.engine_class);
  std::sscanf(args.c_str(), "%f %f %f %d %d", &p.length, &p.taper, &p.gain, &p.first_tap,
              &p.last_tap);
  set_pipe(slot.voice->tuning, p);
  return "Pipe updated";
}

}  // namespace br
