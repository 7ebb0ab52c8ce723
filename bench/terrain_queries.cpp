// Nanoseconds per ground query on a rolling 1025 x 1025 terrain, the size of a full track.
// The physics asks these for every wheel and body of up to 40 bikes, 128 times a second.
#include "track/terrain_queries.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "track/terrain.h"

namespace {

br::Terrain rolling_terrain() {
  br::Terrain t;
  br::terrain_set_size(t, 9, 2.0f);
  t.heights.resize(static_cast<size_t>(t.side) * t.side);
  for (int r = 0; r < t.side; ++r) {
    for (int c = 0; c < t.side; ++c) {
      t.heights[static_cast<size_t>(c) + static_cast<size_t>(t.side) * r] =
          8.0f * std::sin(c * 0.05f) * std::cos(r * 0.037f) + 0.3f * std::sin(c * 1.7f + r);
    }
  }
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  t.tiles.push_back(br::default_tile());
  return t;
}

template <typename F>
double ns_per_call(int calls, F&& f) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) f(i);
  std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / calls;
}

}  // namespace

int main() {
  br::Terrain t = rolling_terrain();
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> across(0.0f, t.extent);
  std::uniform_real_distribution<float> near(-3.0f, 3.0f);
  // Forty bikes, each asking about the ground within a few feet of itself.
  constexpr int kBikes = 40;
  constexpr int kPoints = 4096;
  std::vector<br::GroundPoint> bikes(kBikes);
  for (auto& b : bikes) b = {across(rng), 0.0f, across(rng)};
  std::vector<br::GroundPoint> points(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    auto& p = points[i];
    p.x = bikes[i % kBikes].x + near(rng);
    p.z = bikes[i % kBikes].z + near(rng);
    p.y = br::terrain_height(t, p.x, p.z) + 0.8f;  // a wheel of radius 1 ft sinking 0.2 ft
  }
  constexpr int kCalls = 4000000;
  volatile float sink = 0;
  double height_ns = ns_per_call(kCalls, [&](int i) {
    const auto& p = points[i & (kPoints - 1)];
    sink = sink + br::terrain_height(t, p.x, p.z);
  });
  double contact_ns = ns_per_call(kCalls / 8, [&](int i) {
    br::SphereContact c = br::sphere_contact(t, points[i & (kPoints - 1)], 1.0f);
    sink = sink + c.depth;
  });
  double tile_ns = ns_per_call(kCalls, [&](int i) {
    const auto& p = points[i & (kPoints - 1)];
    sink = sink + br::tile_friction(t, br::tile_at(t, p.x, p.z), p.y);
  });
  std::printf(
      "terrain_height %.1f ns, sphere_contact (1 ft radius) %.1f ns, "
      "tile_at + tile_friction %.1f ns\n",
      height_ns, contact_ns, tile_ns);
  return 0;
}
