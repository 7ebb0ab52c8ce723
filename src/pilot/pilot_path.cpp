#include "pilot/pilot_path.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "race/laps.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

struct Pose {
  double x = 0, z = 0, dx = 0, dz = 0;
};

// A gate's centre and its direction of travel flattened to the ground; a gate with no
// direction to speak of points along `fallback_dx`, `fallback_dz`.
Pose gate_pose(const TimingGate& g, double fallback_dx, double fallback_dz) {
  Pose p{g.cx, g.cz, g.dx, g.dz};
  double len = std::hypot(p.dx, p.dz);
  if (len < 1e-6) {
    p.dx = fallback_dx, p.dz = fallback_dz;
    len = std::hypot(p.dx, p.dz);
  }
  if (len < 1e-6) return {g.cx, g.cz, 0, -1};
  p.dx /= len, p.dz /= len;
  return p;
}

// A cubic from a to b leaving and arriving along their directions, as a course would.
void add_segment(std::vector<PathSample>& out, const Pose& a, const Pose& b, int position,
                 const Terrain& terrain) {
  double chord = std::hypot(b.x - a.x, b.z - a.z);
  int n = std::max(2, static_cast<int>(std::ceil(chord * 1.25 / kPathSpacing)));
  for (int i = 1; i <= n; ++i) {
    double u = static_cast<double>(i) / n, u2 = u * u, u3 = u2 * u;
    double h00 = 2 * u3 - 3 * u2 + 1, h10 = u3 - 2 * u2 + u;
    double h01 = -2 * u3 + 3 * u2, h11 = u3 - u2;
    PathSample s;
    s.x = h00 * a.x + h10 * chord * a.dx + h01 * b.x + h11 * chord * b.dx;
    s.z = h00 * a.z + h10 * chord * a.dz + h01 * b.z + h11 * chord * b.dz;
    s.position = position;
    s.ground = terrain_height(terrain, static_cast<float>(s.x), static_cast<float>(s.z));
    out.push_back(s);
  }
}

}  // namespace

std::vector<PathSample> pilot_path(const TrackTiming& timing, const Terrain& terrain,
                                   const PathStart& from, int first, int count) {
  std::vector<PathSample> path;
  Pose at{from.x, from.z, from.dx, from.dz};
  PathSample start;
  start.x = at.x, start.z = at.z, start.position = first;
  start.ground = terrain_height(terrain, static_cast<float>(at.x), static_cast<float>(at.z));
  path.push_back(start);
  for (int k = 0; k < count; ++k) {
    int g = sequence_gate(timing, first + k);
    if (g < 0 || g >= static_cast<int>(timing.gates.size())) break;
    Pose next = gate_pose(timing.gates[static_cast<size_t>(g)],
                          timing.gates[static_cast<size_t>(g)].cx - at.x,
                          timing.gates[static_cast<size_t>(g)].cz - at.z);
    add_segment(path, at, next, first + k, terrain);
    at = next;
  }
  for (size_t i = 1; i < path.size(); ++i) {
    PathSample& s = path[i];
    const PathSample& p = path[i - 1];
    s.along = p.along + std::hypot(s.x - p.x, s.z - p.z);
  }
  // The bend at a sample: how far the direction turns from the stretch before it to the
  // stretch after it, per foot.
  for (size_t i = 1; i + 1 < path.size(); ++i) {
    const PathSample &a = path[i - 1], &b = path[i], &c = path[i + 1];
    double h0 = std::atan2(-(b.x - a.x), -(b.z - a.z));
    double h1 = std::atan2(-(c.x - b.x), -(c.z - b.z));
    double turn = std::remainder(h1 - h0, 2 * M_PI);
    double span = (c.along - a.along) / 2;
    path[i].bend = span > 1e-6 ? turn / span : 0;
  }
  // Crests and lips, over a few feet either side: the ground's downward curve.
  constexpr size_t kReach = 2;
  for (size_t i = kReach; i + kReach < path.size(); ++i) {
    const PathSample &a = path[i - kReach], &b = path[i], &c = path[i + kReach];
    double d0 = b.along - a.along, d1 = c.along - b.along;
    if (d0 < 1e-6 || d1 < 1e-6) continue;
    double curve = ((c.ground - b.ground) / d1 - (b.ground - a.ground) / d0) / ((d0 + d1) / 2);
    path[i].crest = std::max(0.0, -curve);
  }
  return path;
}

size_t nearest_sample(const std::vector<PathSample>& path, double x, double z, int position) {
  size_t best = 0;
  double best_d = std::numeric_limits<double>::infinity();
  for (size_t i = 0; i < path.size(); ++i) {
    const PathSample& s = path[i];
    if (s.position < position) continue;
    if (s.position > position + 1) break;
    double d = (s.x - x) * (s.x - x) + (s.z - z) * (s.z - z);
    if (d < best_d) best_d = d, best = i;
  }
  return best;
}

size_t sample_ahead(const std::vector<PathSample>& path, size_t i, double distance) {
  if (path.empty()) return 0;
  double target = path[std::min(i, path.size() - 1)].along + distance;
  while (i + 1 < path.size() && path[i].along < target) ++i;
  return std::min(i, path.size() - 1);
}

}  // namespace br
