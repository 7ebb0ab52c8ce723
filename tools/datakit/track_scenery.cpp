#include <algorithm>
#include <cmath>

#include "track_textures.h"

namespace kit {

namespace {

float distance_to_course(const TrackOutput& t, float x, float z) {
  float best = 1e30f;
  for (const CourseLine* line : {t.loop, t.start}) {
    for (size_t i = 0; i < line->points.size(); i += 3) {
      const LinePoint& p = line->points[i];
      best = std::min(best, std::hypot(p.x - x, p.z - z) - p.half_width);
    }
  }
  return best;
}

float yaw_of(const LinePoint& p) {
  return std::atan2(-p.tx, -p.tz);
}

}  // namespace

void place_scenery(TrackOutput& t, const SceneryStyle& style) {
  Rng rng(style.seed);
  const float extent = t.ground->extent();
  // Trees stand well clear of the course, thicker toward the edges of the land.
  for (int placed = 0, tries = 0; placed < style.trees && tries < style.trees * 40; ++tries) {
    float x = rng.range(20, extent - 20), z = rng.range(20, extent - 20);
    float clear = distance_to_course(t, x, z);
    if (clear < 40.0f) continue;
    if (fractal_noise(x / 200.0f, z / 200.0f, 3, 5) < 0.45f && rng.uniform() < 0.7f) continue;
    br::BillboardEntry b;
    b.x = x, b.z = z, b.y = 0;
    float size = rng.range(0.8f, 1.3f);
    b.height = 34.0f * size;
    b.width = 18.0f * size;
    b.picture = style.tree_pictures[size_t(rng.below(int(style.tree_pictures.size())))];
    t.billboards.push_back(b);
    ++placed;
  }
  const CourseLine& loop = *t.loop;
  // Course tape on both sides of the turns.
  for (size_t i = 0; i < loop.points.size(); i += 9) {
    const LinePoint& p = loop.points[i];
    if (std::fabs(p.curvature) < style.tape_curvature) continue;
    for (float side : {-1.0f, 1.0f}) {
      float off = p.half_width + 4.0f;
      float x = p.x - p.tz * side * off, z = p.z + p.tx * side * off;
      if (distance_to_course(t, x, z) < 3.0f) continue;
      t.billboards.push_back({x, 0.0f, z, 9.0f, 1.4f, "@tape.png"});
    }
  }
  // Banners along the finish straight and behind the start.
  for (int k = 0; k < 5; ++k) {
    const LinePoint& p = loop.points[size_t(line_index_at(loop, -120.0f + k * 70.0f))];
    float off = p.half_width + 16.0f;
    float x = p.x - p.tz * off, z = p.z + p.tx * off;
    if (distance_to_course(t, x, z) < 8.0f) continue;
    t.billboards.push_back({x, 0.0f, z, 18.0f, 4.5f, "@banner.png"});
  }
  const CourseLine& start = *t.start;
  const LinePoint& sp = start.points[size_t(line_index_at(start, 10.0f))];
  t.billboards.push_back(
      {sp.x - sp.tx * 20.0f, 0.0f, sp.z - sp.tz * 20.0f, 24.0f, 6.0f, "@banner.png"});
  // Hay bales on the outside of the tight turns.
  for (size_t i = 0; i < loop.points.size(); i += 8) {
    const LinePoint& p = loop.points[i];
    if (std::fabs(p.curvature) < style.bale_curvature) continue;
    float side = p.curvature > 0 ? -1.0f : 1.0f;
    float off = p.half_width + 7.0f;
    float x = p.x - p.tz * side * off, z = p.z + p.tx * side * off;
    if (distance_to_course(t, x, z) < 5.0f) continue;
    t.statues.push_back({x, 0.0f, z, yaw_of(p), "@haybale.jm", "@haybale.png", "@haybale.shp"});
  }
  // A bale at each end of the gate row.
  const LinePoint& gp = start.points[size_t(line_index_at(start, t.start_gate_s))];
  float half_row = t.start_gate_count * t.start_gate_spacing * 0.5f + 3.0f;
  for (float side : {-1.0f, 1.0f}) {
    t.statues.push_back({gp.x - gp.tz * side * half_row, 0.0f, gp.z + gp.tx * side * half_row,
                         yaw_of(gp), "@haybale.jm", "@haybale.png", "@haybale.shp"});
  }
  // A chalk line across the track a few feet ahead of the gates.
  t.decals.push_back({gp.x + gp.tx * 14.0f, gp.z + gp.tz * 14.0f, std::atan2(gp.tx, -gp.tz),
                      2.0f * half_row, 5.0f, "@startline.png"});
  const LinePoint& f = loop.points[0];
  t.decals.push_back(
      {f.x, f.z, std::atan2(f.tz, f.tx), 4.0f, 2.0f * f.half_width + 4.0f, "@finishline.png"});
}

}  // namespace kit
