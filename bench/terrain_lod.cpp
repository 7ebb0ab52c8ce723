// Triangles per frame and microseconds to choose the detail and build the fans on the
// default track, from a few camera positions; plus the full radius computation of a load.
// Usage: bench_terrain_lod [data directory]
#include "render/terrain_lod.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_home.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"
#include "world/world.h"

namespace {

double microseconds_since(std::chrono::steady_clock::time_point start) {
  std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string data = argc > 1 ? argv[1] : "";
#ifdef BR_DEFAULT_DATA_DIR
  if (data.empty()) data = BR_DEFAULT_DATA_DIR;
#endif
  if (data.empty()) {
    std::fprintf(stderr, "usage: bench_terrain_lod <data directory>\n");
    return 1;
  }
  const BenchHome home(data);
  if (!home.ok()) return 1;
  br::world_reset();
  if (!br::load_track("rabbithill")) {
    std::fprintf(stderr, "rabbithill does not load from %s\n", data.c_str());
    return 1;
  }
  br::TrackState& track = br::g_world.track;
  const br::Terrain& t = track.terrain;
  auto start = std::chrono::steady_clock::now();
  br::terrain_lod_build(track.lod, t, br::g_world.detail.terrain_error_scale);
  std::printf("rabbithill %d x %d samples, %d levels: full radius computation %.0f us\n", t.side,
              t.side, track.lod.levels, microseconds_since(start));

  const float e = t.extent;
  const struct {
    const char* name;
    float x, z;
  } cameras[] = {{"centre", 0.5f * e, 0.5f * e},
                 {"quarter", 0.25f * e, 0.3f * e},
                 {"near edge", 0.5f * e, 0.02f * e},
                 {"corner", 0.01f * e, 0.01f * e},
                 {"outside", -0.2f * e, 1.1f * e}};
  br::TerrainFans fans;
  constexpr int kFrames = 200;
  for (const auto& c : cameras) {
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) {
      br::terrain_lod_mark(track.lod, c.x, c.z);
      br::terrain_lod_fans(track.lod, c.x, c.z, fans);
    }
    std::printf("%-10s (%6.0f, %6.0f) ft: %7zu triangles %6zu fans, %8.1f us per frame\n", c.name,
                c.x, c.z, fans.triangles, fans.fans.size(), microseconds_since(start) / kFrames);
  }

  // A rut of 8 ft across, dug at the centre, brought up to date at the frame budget.
  br::terrain_lod_mark_changed(track.lod, 0.5f * e - 4, 0.5f * e - 4, 0.5f * e + 4, 0.5f * e + 4);
  int frames = 0;
  start = std::chrono::steady_clock::now();
  while (br::terrain_lod_busy(track.lod)) {
    br::terrain_lod_update(track.lod, br::kTerrainLodFrameBudget);
    ++frames;
  }
  std::printf("rut update: %d frames at a budget of %lld, %.0f us in all\n", frames,
              static_cast<long long>(br::kTerrainLodFrameBudget), microseconds_since(start));
  br::free_track();
  return 0;
}
