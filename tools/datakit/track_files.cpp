#include "track_files.h"

#include <algorithm>
#include <cmath>

#include "image.h"
#include "track/terrain_format.h"

namespace kit {

namespace {

V3 surface_normal(const GroundModel& g, int c, int r) {
  float d = g.spacing;
  float dx = (g.at(c + 1, r) - g.at(c - 1, r)) / (2 * d);
  float dz = (g.at(c, r + 1) - g.at(c, r - 1)) / (2 * d);
  return normalise({-dx, 1.0f, -dz});
}

std::string terrain_file(const GroundModel& g) {
  br::TerrainHeader h;
  h.size_exp = g.size_exp;
  h.spacing = g.spacing;
  auto [lo, hi] = std::minmax_element(g.heights.begin(), g.heights.end());
  // Whole feet of margin keep the header short and the range comfortably wide.
  h.min_height = std::floor(*lo) - 1.0f;
  h.max_height = std::ceil(*hi) + 1.0f;
  std::vector<uint16_t> samples;
  samples.reserve(g.heights.size());
  for (float v : g.heights) samples.push_back(br::quantise_height(v, h));
  return br::format_terrain_file(h, samples);
}

// Light at each sample: ambient plus the sun on the surface, stored at half intensity so
// that the renderer can brighten up to twice.
std::string shading_file(const GroundModel& g, const br::LightingFile& l) {
  V3 sun = normalise({l.sun_vector[0], l.sun_vector[1], l.sun_vector[2]});
  std::vector<uint8_t> rgb;
  rgb.reserve(g.heights.size() * 3);
  for (int r = 0; r < g.side; ++r) {
    for (int c = 0; c < g.side; ++c) {
      float lambert = std::max(0.0f, dot(surface_normal(g, c, r), sun));
      for (int k = 0; k < 3; ++k) {
        float v = l.ambient[size_t(k)] + l.sun_color[size_t(k)] * lambert;
        rgb.push_back(static_cast<uint8_t>(clampf(v * 127.5f, 0, 255)));
      }
    }
  }
  return encode_ppm_rgb(rgb, g.side, g.side);
}

// Marches from every sample toward the sun; white in the file means sunlit.
std::string shadows_file(const GroundModel& g, const br::LightingFile& l) {
  V3 sun = normalise({l.sun_vector[0], l.sun_vector[1], l.sun_vector[2]});
  float horizontal = std::hypot(sun.x, sun.z);
  float rise = horizontal > 1e-4f ? sun.y / horizontal : 1e6f;  // feet up per foot across
  float top = *std::max_element(g.heights.begin(), g.heights.end());
  std::vector<float> dark(g.heights.size(), 0.0f);
  if (horizontal > 1e-4f) {
    float sx = sun.x / horizontal, sz = sun.z / horizontal;
    float step = g.spacing;
    for (int r = 0; r < g.side; ++r) {
      for (int c = 0; c < g.side; ++c) {
        float x = c * g.spacing, z = r * g.spacing;
        float h0 = g.at(c, r) + 0.3f;
        for (float t = step; h0 + rise * t <= top; t += step) {
          float px = x + sx * t, pz = z + sz * t;
          if (px < 0 || pz < 0 || px > g.extent() || pz > g.extent()) break;
          if (g.height(px, pz) > h0 + rise * t) {
            dark[size_t(r) * g.side + c] = 1.0f;
            break;
          }
        }
      }
    }
  }
  std::vector<uint8_t> grey(g.heights.size());
  for (int r = 0; r < g.side; ++r) {
    for (int c = 0; c < g.side; ++c) {
      float sum = 0;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
          int cc = std::clamp(c + dc, 0, g.side - 1), rr = std::clamp(r + dr, 0, g.side - 1);
          sum += dark[size_t(rr) * g.side + cc];
        }
      }
      grey[size_t(r) * g.side + c] = static_cast<uint8_t>(255 - std::lround(sum / 9 * 140));
    }
  }
  return encode_pgm(grey, g.side, g.side);
}

std::string map_file(const TrackOutput& t) {
  constexpr int kSize = 256;
  Image img(kSize, kSize, {0, 0, 0, 0});
  float scale = kSize / t.ground->extent();
  auto draw = [&](const CourseLine& line, float extra, Rgba colour) {
    for (size_t i = 0; i + 1 < line.points.size() + (line.closed ? 1 : 0); ++i) {
      const LinePoint& a = line.points[i];
      const LinePoint& b = line.points[(i + 1) % line.points.size()];
      float w = std::max(2.0f, 2 * a.half_width * scale) + extra;
      draw_line(img, a.x * scale, a.z * scale, b.x * scale, b.z * scale, w, colour);
    }
  };
  for (const CourseLine* line : {t.start, t.loop}) draw(*line, 3.0f, {20, 20, 20, 220});
  draw(*t.start, 0.0f, {200, 200, 200, 255});
  draw(*t.loop, 0.0f, {255, 255, 255, 255});
  const LinePoint& finish = t.loop->points[0];
  for (int k = -3; k <= 3; ++k) {
    float nx = -finish.tz, nz = finish.tx;
    float x = (finish.x + nx * k * finish.half_width / 3) * scale;
    float z = (finish.z + nz * k * finish.half_width / 3) * scale;
    fill_circle(img, x, z, 1.2f, (k & 1) ? Rgba{0, 0, 0, 255} : Rgba{255, 40, 40, 255});
  }
  return encode_png(img, true);
}

std::vector<br::CameraEntry> make_cameras(const TrackOutput& t, const br::TimingGatesFile& tg) {
  std::vector<br::CameraEntry> cams;
  const CourseLine& loop = *t.loop;
  for (int k = 0; k < t.camera_count; ++k) {
    float s = loop.length * (k + 0.5f) / t.camera_count;
    const LinePoint& p = loop.points[size_t(line_index_at(loop, s))];
    // Stand on the outside of the bend, where the riders come toward the camera.
    float side = p.curvature > 0 ? -1.0f : 1.0f;
    float off = p.half_width + t.camera_offset;
    br::CameraEntry c;
    c.x = clampf(p.x - p.tz * side * off, 8, t.ground->extent() - 8);
    c.z = clampf(p.z + p.tx * side * off, 8, t.ground->extent() - 8);
    c.y = t.camera_height;
    c.fov = 50.0f;
    c.auto_fov_size = 30.0f;
    cams.push_back(c);
  }
  // Each timing gate hands the view to the camera nearest to it.
  for (size_t g = 0; g < tg.gates.size() && g < 256; ++g) {
    size_t best = 0;
    float best_d = 1e30f;
    for (size_t k = 0; k < cams.size(); ++k) {
      float d = std::hypot(cams[k].x - tg.gates[g].cx, cams[k].z - tg.gates[g].cz);
      if (d < best_d) best_d = d, best = k;
    }
    cams[best].gates.push_back(static_cast<int>(g));
  }
  return cams;
}

}  // namespace

br::TimingGatesFile make_timing_gates(const TrackOutput& t) {
  br::TimingGatesFile f;
  const CourseLine& start = *t.start;
  const LinePoint& gp = start.points[size_t(line_index_at(start, t.start_gate_s))];
  float yaw = std::atan2(-gp.tx, -gp.tz);
  for (int i = 0; i < t.start_gate_count; ++i) {
    float across = (i - (t.start_gate_count - 1) * 0.5f) * t.start_gate_spacing;
    br::StartPosition s;
    // Stand the gate row so that the gates themselves sit on the gate line.
    s.x = gp.x - gp.tz * across - gp.tx * br::kStartGateOffset;
    s.z = gp.z + gp.tx * across - gp.tz * br::kStartGateOffset;
    s.y = 0.0f;
    s.yaw = yaw;
    f.starts.push_back(s);
  }
  auto gate_at = [&](const CourseLine& line, float s) {
    const LinePoint& p = line.points[size_t(line_index_at(line, s))];
    br::TimingGate g;
    g.radius = p.half_width + t.gate_margin;
    g.cx = p.x, g.cy = p.y, g.cz = p.z;
    g.dx = p.tx, g.dy = 0.0f, g.dz = p.tz;
    return g;
  };
  const CourseLine& loop = *t.loop;
  int k = t.timing_gate_count;
  for (int i = 0; i < k; ++i) f.gates.push_back(gate_at(loop, loop.length * i / k));
  // Two gates on the start straight, so that cutting across the infield does not pay.
  f.gates.push_back(gate_at(start, t.start_gate_s + 40.0f));
  f.gates.push_back(gate_at(start, start.length - 40.0f));
  f.first_lap = {k, k + 1};
  for (int i = 1; i < k; ++i) {
    if (loop.length * i / k > t.merge_s + 30.0f) f.first_lap.push_back(i);
  }
  f.first_lap.push_back(0);
  for (int i = 1; i < k; ++i) f.normal_lap.push_back(i);
  f.normal_lap.push_back(0);
  return f;
}

bool write_track(const std::string& root, const TrackOutput& t) {
  const std::string d = t.dir + "/";
  const GroundModel& g = *t.ground;
  br::TimingGatesFile gates = make_timing_gates(t);
  bool ok = true;
  ok &= write_file(root, d + "terrain.hf", terrain_file(g));
  ok &= write_file(root, d + "tilemap", std::string(g.tilemap.begin(), g.tilemap.end()));
  ok &= write_file(root, d + "tileinfo", br::format_tileinfo(t.tiles));
  ok &= write_file(root, d + "lighting", br::format_lighting(t.lighting));
  ok &= write_file(root, d + "shadingx2.ppm", shading_file(g, t.lighting));
  ok &= write_file(root, d + "shadows.pgm", shadows_file(g, t.lighting));
  ok &= write_file(root, d + "timing_gates", br::format_timing_gates(gates));
  ok &= write_file(root, d + "desc", t.long_name + "\n" + t.description);
  ok &= write_file(root, d + "billboards", br::format_billboards(t.billboards));
  ok &= write_file(root, d + "statues", br::format_statues(t.statues));
  ok &= write_file(root, d + "decals", br::format_decals(t.decals));
  ok &= write_file(root, d + "cameras", br::format_cameras(make_cameras(t, gates)));
  ok &= write_file(root, d + "map.png", map_file(t));
  return ok;
}

}  // namespace kit
