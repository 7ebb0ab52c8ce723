#include "track/roost.h"

#include <ode/ode.h>

#include <algorithm>
#include <cmath>

#include "bike/bike.h"
#include "bike/terrain_contacts.h"
#include "bike/tyre_model.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

constexpr float kStep = static_cast<float>(kSimStep);
constexpr double kGravity = 32.0;  // ft/s^2, down
constexpr double kHalfRoot2 = 0.70710678;

RoostVec add(const RoostVec& a, const RoostVec& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
RoostVec sub(const RoostVec& a, const RoostVec& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
RoostVec scale(const RoostVec& a, double s) {
  return {a[0] * s, a[1] * s, a[2] * s};
}
double dot(const RoostVec& a, const RoostVec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
RoostVec cross(const RoostVec& a, const RoostVec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double length(const RoostVec& a) {
  return std::sqrt(dot(a, a));
}

// `p` turned about the unit axis `k` by `angle` (right-handed).
RoostVec rotate(const RoostVec& p, const RoostVec& k, double angle) {
  double c = std::cos(angle), s = std::sin(angle);
  return add(add(scale(p, c), scale(cross(k, p), s)), scale(k, dot(k, p) * (1 - c)));
}

// Three independent numbers in -0.5..0.5, scaled.
RoostVec scatter(RoostPool& pool, double size) {
  RoostVec v;
  for (double& c : v) c = (roost_uniform(pool) - 0.5) * size;
  return v;
}

void place(Billboard& b, const RoostParticle& p) {
  b.x = p.x;
  b.y = p.y;
  b.z = p.z;
}

// A particle from the pool at `at` flying at `velocity`, dressed by its roost record. False
// when the pool is used up.
bool spawn(RoostPool& pool, std::vector<Billboard>& boards, const RoostVec& at,
           const RoostVec& velocity, int tile, int record, const RoostRecord& r) {
  int i = take_particle(pool);
  if (i < 0) return false;
  RoostParticle& p = pool.particles[static_cast<size_t>(i)];
  p.x = static_cast<float>(at[0]);
  p.y = static_cast<float>(at[1]);
  p.z = static_cast<float>(at[2]);
  p.vx = static_cast<float>(velocity[0]);
  p.vy = static_cast<float>(velocity[1]);
  p.vz = static_cast<float>(velocity[2]);
  p.tile = tile;
  p.record = record;
  if (p.billboard >= 0 && p.billboard < static_cast<int>(boards.size())) {
    Billboard& b = boards[static_cast<size_t>(p.billboard)];
    place(b, p);
    b.width = b.height = r.size;
    b.texture = r.texture;
    b.r = r.colour[0];
    b.g = r.colour[1];
    b.b = r.colour[2];
    b.a = r.colour[3];
  }
  return true;
}

// How many particles a record throws: its count, the fraction as a chance of one more.
int record_count(RoostPool& pool, float count, int budget) {
  if (!(count > 0.0f)) return 0;
  double whole = std::floor(static_cast<double>(count));
  int n = static_cast<int>(std::min(whole, static_cast<double>(budget)));
  if (roost_uniform(pool) < count - whole) ++n;
  return std::min(n, budget);
}

// Splash: two sheets up and to either side at 45 degrees, at the wheel's speed over the ground.
int throw_splash(RoostPool& pool, std::vector<Billboard>& boards, const WheelThrow& w, int n,
                 uint32_t step, int tile, int record, const RoostRecord& r) {
  RoostVec along = sub(w.velocity, scale(w.normal, dot(w.velocity, w.normal)));
  double speed = length(along);
  // Standing still, or moving straight into the ground, gives no sideways direction.
  if (!(speed > 1e-9)) return 0;
  RoostVec side = cross(w.normal, scale(along, 1 / speed));
  const RoostVec sheet[2] = {scale(add(w.normal, side), speed * kHalfRoot2),
                             scale(sub(w.normal, side), speed * kHalfRoot2)};
  int thrown = 0;
  for (int j = 0; j < n; ++j) {
    const RoostVec& dir = sheet[((static_cast<uint32_t>(j) ^ step) & 1u) ? 1 : 0];
    RoostVec at = add(w.point, scale(dir, kStep * j / n));
    RoostVec v = add(dir, scatter(pool, r.randomize));
    v = scale(v, roost_uniform(pool) * r.vscale);
    if (!spawn(pool, boards, at, v, tile, record, r)) break;
    ++thrown;
  }
  return thrown;
}

// Roost: clods carried round with the tyre and flung off it.
int throw_clods(RoostPool& pool, std::vector<Billboard>& boards, const WheelThrow& w, int n,
                float angle_limit, int tile, int record, const RoostRecord& r) {
  if (length(w.point_velocity) < r.slip_threshold) return 0;  // the tyre grips
  double spread = kRollingRoostAngle;
  if (dot(w.point_velocity, w.velocity) < 0) {
    // Spinning faster than it travels: a slow spin lifts dirt high round the wheel, a fast
    // one flings it flat from near the ground.
    double spin2 = dot(w.spin, w.spin);
    double slow2 = double(r.slow_speed) * r.slow_speed, fast2 = double(r.fast_speed) * r.fast_speed;
    double e = fast2 > slow2 ? std::clamp((spin2 - slow2) / (fast2 - slow2), 0.0, 1.0)
                             : (spin2 > slow2 ? 1.0 : 0.0);
    spread = std::min<double>(angle_limit, r.slow_angle + e * (r.fast_angle - r.slow_angle));
  }
  // Carried the way the tyre turns, so the clod leaves moving with the tread.
  double turn = dot(w.spin, w.axle) < 0 ? -1.0 : 1.0;
  RoostVec from_centre = sub(w.point, w.centre);
  int thrown = 0;
  for (int j = 0; j < n; ++j) {
    double a = spread * roost_uniform(pool) * turn;
    RoostVec at = add(w.centre, rotate(from_centre, w.axle, a));
    RoostVec v = add(w.velocity, cross(w.spin, sub(at, w.centre)));
    at = add(at, scale(v, kStep * j / n));
    v = scale(add(v, scatter(pool, r.randomize)), r.vscale);
    if (!spawn(pool, boards, at, v, tile, record, r)) break;
    ++thrown;
  }
  return thrown;
}

RoostVec to_vec(const dReal* v) {
  return {v[0], v[1], v[2]};
}

WheelThrow wheel_throw(const World& w, const Bike& bike, int wheel, bool from_physics) {
  const WheelContact& wc = bike.wheels[wheel];
  WheelThrow t;
  if (!wc.body) return t;
  t.centre = to_vec(dBodyGetPosition(wc.body));
  t.velocity = to_vec(dBodyGetLinearVel(wc.body));
  t.spin = to_vec(dBodyGetAngularVel(wc.body));
  dVector3 axle;
  dBodyVectorToWorld(wc.body, wc.axle_local[0], wc.axle_local[1], wc.axle_local[2], axle);
  t.axle = to_vec(axle);
  double axle_length = length(t.axle);
  if (axle_length > 0) t.axle = scale(t.axle, 1 / axle_length);
  if (from_physics) {
    t.point = wc.point;
    t.normal = wc.normal;
    t.point_velocity = wc.velocity;
    t.depth = wc.depth;
    return t;
  }
  TorusContact hit =
      torus_contact(w.track.terrain, t.centre, t.axle, wc.ring_radius, wc.tube_radius);
  if (!(hit.depth > 0)) return t;
  dVector3 v;
  dBodyGetPointVel(wc.body, hit.point[0], hit.point[1], hit.point[2], v);
  t.point = hit.point;
  t.normal = upward_normal(hit.normal);
  t.point_velocity = to_vec(v);
  t.depth = hit.depth;
  return t;
}

}  // namespace

int roost_budget(RoostPool& pool, int frequency) {
  if (frequency <= 0) return 0;
  return frequency / 100 + (static_cast<int>(roost_draw(pool) % 100) < frequency % 100 ? 1 : 0);
}

int throw_wheel_roost(const Terrain& t, RoostPool& pool, std::vector<Billboard>& boards,
                      const WheelThrow& wheel, float angle_limit, int budget, uint32_t step) {
  if (!(wheel.depth > 0) || budget <= 0 || t.tiles.empty() || t.tilemap.empty()) return 0;
  const float x = static_cast<float>(wheel.point[0]), z = static_cast<float>(wheel.point[2]);
  const int tile = std::min(std::max(tile_at(t, x, z), 0), static_cast<int>(t.tiles.size()) - 1);
  int thrown = 0;
  for (int k = 0; k < kTileRoostKinds; ++k) {
    const RoostRecord& r = t.tiles[static_cast<size_t>(tile)].roost[static_cast<size_t>(k)];
    if (r.mode == kRoostUnused) break;
    int n = record_count(pool, r.count, budget);
    if (r.mode == kRoostSplash) {
      thrown += throw_splash(pool, boards, wheel, n, step, tile, k, r);
    } else {
      thrown += throw_clods(pool, boards, wheel, n, angle_limit, tile, k, r);
    }
  }
  return thrown;
}

void emit_roost(World& w, Bike& bike, bool from_physics) {
  RoostPool& pool = w.track.roost;
  if (pool.particles.empty()) return;
  int budget = roost_budget(pool, w.detail.roost_frequency);
  if (budget == 0) return;
  std::vector<Billboard>& boards = w.track.scenery.billboards;
  const uint32_t step = static_cast<uint32_t>(w.frame);
  throw_wheel_roost(w.track.terrain, pool, boards, wheel_throw(w, bike, kFrontWheel, from_physics),
                    kFrontRoostAngle, budget, step);
  throw_wheel_roost(w.track.terrain, pool, boards, wheel_throw(w, bike, kRearWheel, from_physics),
                    kRearRoostAngle, budget, step);
}

void throw_roost(World& w) {
  if (!w.track.terrain.loaded() || w.track.roost.particles.empty()) return;
  if (w.detail.roost_frequency <= 0) return;
  int riders = 0;
  for (const RiderSlot& slot : w.slots) riders += slot.bike ? 1 : 0;
  if (riders == 0) return;
  const int first =
      static_cast<int>(static_cast<uint32_t>(w.frame) % static_cast<uint32_t>(riders));
  auto visit = [&](RiderSlot& slot) {
    Bike& bike = *slot.bike;
    // Only a bike simulated here had its contacts made in this step.
    bool from_physics = slot.control != kControlPlayedBack && bike.state.presence > kBarelyPresent;
    emit_roost(w, bike, from_physics);
  };
  int position = 0;
  for (RiderSlot& slot : w.slots) {
    if (!slot.bike) continue;
    if (position++ >= first) visit(slot);
  }
  position = 0;
  for (RiderSlot& slot : w.slots) {
    if (!slot.bike) continue;
    if (position++ >= first) break;
    visit(slot);
  }
}

void update_particles(const Terrain& t, RoostPool& pool, std::vector<Billboard>& boards) {
  int previous = -1;
  for (int i = pool.active_list; i >= 0;) {
    RoostParticle& p = pool.particles[static_cast<size_t>(i)];
    const int next = p.next;
    const RoostRecord* r = nullptr;
    if (p.tile >= 0 && p.tile < static_cast<int>(t.tiles.size()) && p.record >= 0 &&
        p.record < kTileRoostKinds) {
      r = &t.tiles[static_cast<size_t>(p.tile)].roost[static_cast<size_t>(p.record)];
    }
    Billboard* b = p.billboard >= 0 && p.billboard < static_cast<int>(boards.size())
                       ? &boards[static_cast<size_t>(p.billboard)]
                       : nullptr;
    bool ended = r == nullptr;
    if (r) {
      p.x += p.vx * kStep;
      p.y += p.vy * kStep;
      p.z += p.vz * kStep;
      const float slow = kStep * r->drag;
      p.vx -= p.vx * slow;
      p.vy -= p.vy * slow;
      p.vz -= p.vz * slow;
      p.vy -= static_cast<float>(kGravity) * kStep;
      if (b) {
        place(*b, p);
        b->width += kStep * r->grow;
        b->height = b->width;
        uint8_t* colour[4] = {&b->r, &b->g, &b->b, &b->a};
        for (int k = 0; k < 4; ++k) {
          *colour[k] = static_cast<uint8_t>(
              std::clamp(*colour[k] + r->fade[static_cast<size_t>(k)], 0, 255));
        }
      }
      // A clod with a broken flight would hang in the air for ever and hold its particle.
      ended = !std::isfinite(p.y) || (p.vy < 0 && terrain_height(t, p.x, p.z) > p.y);
    }
    if (ended) {
      if (b) b->texture = 0;
      release_particle(pool, i, previous);
    } else {
      previous = i;
    }
    i = next;
  }
}

void update_particles(World& w) {
  if (w.track.roost.active == 0) return;
  update_particles(w.track.terrain, w.track.roost, w.track.scenery.billboards);
}

}  // namespace br
