#include "render/view_cameras.h"

#include <ode/ode.h>

#include <algorithm>
#include <cmath>

#include "bike/bike.h"
#include "platform/event_queue.h"
#include "race/laps.h"
#include "render/key_camera.h"
#include "replay/history_pose.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

// The rider's eye at the lowest and highest "1st Person Height", in the rider body's frame:
// behind the goggles, and a head's height above them.
constexpr Vec3 kEyeLow{0.0f, 1.0f, -1.05f};
constexpr Vec3 kEyeHigh{0.0f, 1.6f, -0.95f};

constexpr float kOrbitTurnPerStep = 0.0061359233f;  // pi/512 radians
constexpr float kOrbitZoomPerStep = 1.0f / 64;      // feet
constexpr float kOrbitNearest = 0.25f;              // feet
constexpr float kTourZoomGain = 80, kTourZoomDecay = 60, kTourZoomLimit = 100;
constexpr float kTourClearance = 2.0f;  // feet above the ground
constexpr float kPi = 3.14159265f;

Vec3 carried(const BodyPose& b, const Vec3& local) {
  const auto& r = b.rotation;
  return {b.position[0] + r[0] * local[0] + r[1] * local[1] + r[2] * local[2],
          b.position[1] + r[3] * local[0] + r[4] * local[1] + r[5] * local[2],
          b.position[2] + r[6] * local[0] + r[7] * local[1] + r[8] * local[2]};
}

float ground_at(const World& w, float x, float z) {
  if (w.track.terrain.heights.empty()) return -1e9f;
  return terrain_height(w.track.terrain, x, z);
}

Vec3 body_velocity(dBodyID body) {
  const dReal* v = dBodyGetLinearVel(body);
  return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

// The trackside camera that watches the viewed rider's current timing gate, or -1.
int camera_for_rider(const World& w, const RiderSlot& slot) {
  int gate = sequence_gate(w.track.timing, slot.timing.gates_passed);
  if (gate < 0 || gate >= kCameraGateSlots) return -1;
  return w.track.scenery.camera_for_gate[static_cast<size_t>(gate)];
}

}  // namespace

BodyPose body_pose(dxBody* body) {
  BodyPose p;
  const dReal* pos = dBodyGetPosition(body);
  const dReal* r = dBodyGetRotation(body);
  for (int i = 0; i < 3; ++i) p.position[i] = static_cast<float>(pos[i]);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col)
      p.rotation[row * 3 + col] = static_cast<float>(r[row * 4 + col]);
  }
  return p;
}

ViewCamera first_person_camera(const World& w, const Bike& bike) {
  BodyPose rider = body_pose(bike.bodies[kBodyRider]);
  float h = std::clamp(static_cast<float>(w.settings.first_person_height.value), 0.0f, 1.0f);
  Vec3 local{kEyeLow[0] + (kEyeHigh[0] - kEyeLow[0]) * h,
             kEyeLow[1] + (kEyeHigh[1] - kEyeLow[1]) * h,
             kEyeLow[2] + (kEyeHigh[2] - kEyeLow[2]) * h};
  float pitch = static_cast<float>(w.settings.first_person_angle.value) * kPi / 180.0f;
  return body_camera(carried(rider, local), rider.rotation, pitch);
}

Vec3 chase_target(const World& w, const Bike& bike) {
  BodyPose frame = body_pose(bike.bodies[kBodyFrame]);
  const std::array<float, 3>& c = w.options.chase_center;
  const Vec3f& f = bike.entry.frame_position;
  return carried(frame, {c[0] - f.x, c[1] - f.y, c[2] - f.z});
}

ViewCamera chase_camera(const World& w, const Bike& bike) {
  Vec3 target = chase_target(w, bike);
  const RiderSlot& viewed = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (viewed.control != kControlLocal) {
    return look_at(
        orbit_eye(target, w.free_camera_angle, w.free_camera_distance, w.free_camera_height),
        target);
  }
  BodyPose frame = body_pose(bike.bodies[kBodyFrame]);
  ChaseInput in;
  in.target = target;
  in.backward = {frame.rotation[2], frame.rotation[5], frame.rotation[8]};
  in.velocity = body_velocity(bike.bodies[kBodyFrame]);
  in.distance = static_cast<float>(w.settings.third_person_distance.value);
  in.height = static_cast<float>(w.settings.third_person_height.value);
  in.rigid = w.settings.rigid_camera.text() == "Yes";
  Vec3 eye = chase_eye(in, [&w](float x, float z) { return ground_at(w, x, z); });
  return look_at(eye, target);
}

// The free camera jumps to a trackside camera when one is chosen.
void move_to_camera(World& w, int camera) {
  const Scenery& s = w.track.scenery;
  if (camera < 0 || camera >= static_cast<int>(s.cameras.size())) return;
  const Camera& c = s.cameras[static_cast<size_t>(camera)];
  w.free_camera_position = {c.x, c.y, c.z};
}

ViewCamera tour_camera(World& w, const Bike& bike) {
  const std::array<double, 3>& p = w.free_camera_position;
  Vec3 eye{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
  const ConsoleState& c = w.console;
  if (c.free_camera_aimed) return aimed_camera(eye, c.free_camera_yaw, c.free_camera_pitch);
  return look_at(eye, chase_target(w, bike));
}

std::optional<ViewCamera> view_camera(World& w) {
  if (w.console.key_camera && !w.console.key_frames.empty()) {
    return key_frame_camera(w.console.key_frames, w.frame);
  }
  RiderSlot& slot = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (!slot.bike) return std::nullopt;
  switch (w.view_mode) {
    case kViewRider:
      return first_person_camera(w, *slot.bike);
    case kViewCameraTour:
      return tour_camera(w, *slot.bike);
    default:
      return chase_camera(w, *slot.bike);
  }
}

void camera_controls(World& w) {
  const Channels& ch = w.channels;
  const RiderSlot& viewed = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (w.view_mode == kViewChase && viewed.control != kControlLocal) {
    float a = w.free_camera_angle + ch[kChanSteering] * kOrbitTurnPerStep;
    if (a > kPi) a -= 2 * kPi;
    if (a < -kPi) a += 2 * kPi;
    w.free_camera_angle = a;
    if (ch[kChanThrottle] > 0.5f) {
      w.free_camera_distance = std::max(kOrbitNearest, w.free_camera_distance - kOrbitZoomPerStep);
    }
    if (ch[kChanFrontBrake] > 0.5f) w.free_camera_distance += kOrbitZoomPerStep;
    w.free_camera_height += static_cast<float>(w.step) * ch[kChanShift];
  }
  if (w.view_mode != kViewCameraTour) return;
  float toggle = ch[kChanSitDab];
  if (toggle >= 0.5f && w.previous_tour_toggle < 0.5f) w.camera_tour_auto = !w.camera_tour_auto;
  w.previous_tour_toggle = toggle;
  if (!viewed.bike) return;
  Scenery& s = w.track.scenery;
  if (w.camera_tour_auto && s.current_camera >= 0) {
    int wanted = camera_for_rider(w, viewed);
    if (wanted >= 0 && wanted != s.current_camera && wanted < static_cast<int>(s.cameras.size())) {
      s.current_camera = wanted;
      move_to_camera(w, wanted);
    }
  }
  float step = static_cast<float>(w.step);
  if (ch[kChanThrottle] > 0.5f)
    w.zoom_speed = std::min(kTourZoomLimit, w.zoom_speed + step * kTourZoomGain);
  if (ch[kChanFrontBrake] > 0.5f) {
    w.zoom_speed = std::max(-kTourZoomLimit, w.zoom_speed - step * kTourZoomGain);
  }
  float decay = step * kTourZoomDecay;
  w.zoom_speed = w.zoom_speed > 0 ? std::max(0.0f, w.zoom_speed - decay)
                                  : std::min(0.0f, w.zoom_speed + decay);
  if (std::fabs(w.zoom_speed) > 0.0001f) {
    ViewCamera c = tour_camera(w, *viewed.bike);
    Vec3 back = c.backward();
    std::array<double, 3>& p = w.free_camera_position;
    for (size_t i = 0; i < 3; ++i) p[i] -= back[i] * step * w.zoom_speed;
    double floor =
        ground_at(w, static_cast<float>(p[0]), static_cast<float>(p[2])) + kTourClearance;
    p[1] = std::max(p[1], floor);
  }
}

void select_trackside_camera(World& w, int digit) {
  Scenery& s = w.track.scenery;
  int count = static_cast<int>(s.cameras.size());
  s.current_camera = std::min(digit, count) - 1;
  move_to_camera(w, s.current_camera);
  // A trackside camera looks at the riders again.
  w.console.free_camera_aimed = false;
}

int digit_of_key(int32_t code) {
  // The number row's scan codes: 0x02 for "1" up to 0x0A for "9", then 0x0B for "0".
  int scan = code - kota::kEventKeyBase;
  if (scan >= 0x02 && scan <= 0x0A) return scan - 0x01;
  if (scan == 0x0B) return 0;
  return -1;
}

float ghost_opacity(float distance, float fade) {
  // A fade distance of 0 would divide by zero: no fading then.
  if (!(fade > 0)) return 1.0f;
  float half = fade / 2;
  return std::clamp((distance - half) / (fade - half), 0.0f, 1.0f);
}

void update_rider_opacity(World& w) {
  w.rider_opacity.fill(1.0f);
  // A recorded rider is not drawn long before or after the states it has.
  for (int i = 0; i < kRiderSlots; ++i) {
    if (history_rider_hidden(w, i)) w.rider_opacity[static_cast<size_t>(i)] = 0.0f;
  }
  if (w.connected) return;
  const Bike* local = nullptr;
  for (const RiderSlot& slot : w.slots) {
    if (slot.bike && slot.control == kControlLocal) {
      local = slot.bike.get();
      break;
    }
  }
  if (!local) return;
  const dReal* me = dBodyGetPosition(local->bodies[kBodyFrame]);
  float fade = static_cast<float>(w.settings.ghost_fade_distance.value);
  for (size_t i = 0; i < w.slots.size(); ++i) {
    const RiderSlot& slot = w.slots[i];
    if (!slot.bike || slot.control != kControlPlayedBack || w.rider_opacity[i] == 0.0f) continue;
    const dReal* p = dBodyGetPosition(slot.bike->bodies[kBodyFrame]);
    double dx = p[0] - me[0], dy = p[1] - me[1], dz = p[2] - me[2];
    w.rider_opacity[i] =
        ghost_opacity(static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz)), fade);
  }
}

}  // namespace br
