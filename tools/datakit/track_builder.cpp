#include "track_builder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kit {

namespace {

struct P2 {
  float x, z;
};

P2 catmull_rom(P2 p0, P2 p1, P2 p2, P2 p3, float t) {
  float t2 = t * t, t3 = t2 * t;
  auto f = [&](float a, float b, float c, float d) {
    return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                   (-a + 3 * b - 3 * c + d) * t3);
  };
  return {f(p0.x, p1.x, p2.x, p3.x), f(p0.z, p1.z, p2.z, p3.z)};
}

// Box filter over +-radius samples, twice (close to a Gaussian), wrapping for closed lines.
void smooth(std::vector<float>& v, int radius, bool wrap) {
  int n = static_cast<int>(v.size());
  if (n == 0 || radius <= 0) return;
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<float> out(v.size());
    for (int i = 0; i < n; ++i) {
      double sum = 0;
      int count = 0;
      for (int k = -radius; k <= radius; ++k) {
        int j = i + k;
        if (wrap) {
          j = ((j % n) + n) % n;
        } else {
          j = std::clamp(j, 0, n - 1);
        }
        sum += v[static_cast<size_t>(j)];
        ++count;
      }
      out[static_cast<size_t>(i)] = static_cast<float>(sum / count);
    }
    v.swap(out);
  }
}

// How far into a zone [s0, s0 + span] a line point lies, as a weight that ramps in and out.
float zone_weight(const CourseLine& line, const LinePoint& p, float s0, float s1, float ramp) {
  float span = s1 - s0;
  float d = p.s - s0;
  if (line.closed) d = std::fmod(std::fmod(d, line.length) + line.length, line.length);
  if (d < 0 || d > span) return 0.0f;
  if (ramp <= 0) return 1.0f;
  return smoothstep(d / ramp) * smoothstep((span - d) / ramp);
}

void add_profile(CourseLine& line, float s, float length,
                 const std::function<float(float)>& shape) {
  for (float t = 0; t <= length; t += 1.0f) {
    int i = line_index_at(line, s + t);
    line.points[static_cast<size_t>(i)].y += shape(t);
  }
}

}  // namespace

CourseLine make_course_line(const std::vector<std::pair<float, float>>& control, bool closed,
                            float half_width) {
  CourseLine line;
  line.closed = closed;
  int n = static_cast<int>(control.size());
  auto cp = [&](int i) -> P2 {
    if (closed) {
      auto& c = control[static_cast<size_t>(((i % n) + n) % n)];
      return {c.first, c.second};
    }
    if (i < 0) {
      P2 a{control[0].first, control[0].second}, b{control[1].first, control[1].second};
      return {2 * a.x - b.x, 2 * a.z - b.z};
    }
    if (i >= n) {
      P2 a{control[size_t(n - 1)].first, control[size_t(n - 1)].second};
      P2 b{control[size_t(n - 2)].first, control[size_t(n - 2)].second};
      return {2 * a.x - b.x, 2 * a.z - b.z};
    }
    return {control[size_t(i)].first, control[size_t(i)].second};
  };
  // Dense polyline first, then resampled at equal steps of about a foot.
  std::vector<P2> dense;
  std::vector<float> dense_s;
  int segments = closed ? n : n - 1;
  constexpr int kSub = 64;
  float s = 0;
  for (int i = 0; i < segments; ++i) {
    line.control_s.push_back(s);
    for (int k = 0; k < kSub; ++k) {
      P2 p = catmull_rom(cp(i - 1), cp(i), cp(i + 1), cp(i + 2), float(k) / kSub);
      if (!dense.empty()) s += std::hypot(p.x - dense.back().x, p.z - dense.back().z);
      dense.push_back(p);
      dense_s.push_back(s);
    }
  }
  P2 last = closed ? cp(0) : cp(n - 1);
  s += std::hypot(last.x - dense.back().x, last.z - dense.back().z);
  dense.push_back(last);
  dense_s.push_back(s);
  if (!closed) line.control_s.push_back(s);
  line.length = s;
  int count = std::max(2, static_cast<int>(std::floor(s)));
  float step = closed ? s / count : s / (count - 1);
  size_t j = 0;
  for (int i = 0; i < count; ++i) {
    float si = i * step;
    while (j + 2 < dense.size() && dense_s[j + 1] < si) ++j;
    float span = dense_s[j + 1] - dense_s[j];
    float t = span > 0 ? clampf((si - dense_s[j]) / span, 0, 1) : 0;
    LinePoint p;
    p.x = lerp(dense[j].x, dense[j + 1].x, t);
    p.z = lerp(dense[j].z, dense[j + 1].z, t);
    p.s = si;
    p.half_width = half_width;
    line.points.push_back(p);
  }
  int m = static_cast<int>(line.points.size());
  std::vector<float> heading(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) {
    int a = closed ? (i - 1 + m) % m : std::max(0, i - 1);
    int b = closed ? (i + 1) % m : std::min(m - 1, i + 1);
    LinePoint& p = line.points[size_t(i)];
    float dx = line.points[size_t(b)].x - line.points[size_t(a)].x;
    float dz = line.points[size_t(b)].z - line.points[size_t(a)].z;
    float l = std::hypot(dx, dz);
    p.tx = dx / l;
    p.tz = dz / l;
    heading[size_t(i)] = std::atan2(p.tz, p.tx);
  }
  std::vector<float> curv(static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) {
    int a = closed ? (i - 1 + m) % m : std::max(0, i - 1);
    int b = closed ? (i + 1) % m : std::min(m - 1, i + 1);
    float d = heading[size_t(b)] - heading[size_t(a)];
    while (d > kPi) d -= 2 * kPi;
    while (d < -kPi) d += 2 * kPi;
    // Heading grows toward +z from +x, which is toward the normal (-tz, tx).
    curv[size_t(i)] = d / (step * (b - a));
  }
  smooth(curv, 4, closed);
  for (int i = 0; i < m; ++i) line.points[size_t(i)].curvature = curv[size_t(i)];
  return line;
}

int line_index_at(const CourseLine& line, float s) {
  int m = static_cast<int>(line.points.size());
  float step = line.closed ? line.length / m : line.length / (m - 1);
  int i = static_cast<int>(std::lround(s / step));
  if (line.closed) return ((i % m) + m) % m;
  return std::clamp(i, 0, m - 1);
}

void add_tabletop(CourseLine& line, float s, float height, float face, float top, float landing) {
  add_profile(line, s, face + top + landing, [=](float t) {
    if (t < face) return height * (t / face) * (t / face);
    if (t < face + top) return height;
    return height * (1.0f - smoothstep((t - face - top) / landing));
  });
}

void add_double(CourseLine& line, float s, float height, float face, float gap, float landing) {
  constexpr float kBack = 9.0f;  // feet of the steep back sides into the gap
  add_profile(line, s, face + 2 * kBack + gap + landing, [=](float t) {
    if (t < face) return height * (t / face) * (t / face);
    t -= face;
    if (t < kBack) return height * (1.0f - smoothstep(t / kBack));
    t -= kBack;
    if (t < gap) return 0.0f;
    t -= gap;
    if (t < kBack) return height * smoothstep(t / kBack);
    t -= kBack;
    return height * (1.0f - smoothstep(t / landing));
  });
}

void add_rollers(CourseLine& line, float s, int count, float height, float period) {
  add_profile(line, s, count * period, [=](float t) {
    float v = std::sin(kPi * t / period);
    return height * v * v;
  });
}

float GroundModel::at(int c, int r) const {
  c = std::clamp(c, 0, side - 1);
  r = std::clamp(r, 0, side - 1);
  return heights[size_t(r) * side + c];
}

float GroundModel::height(float x, float z) const {
  float u = x / spacing, v = z / spacing;
  int c = static_cast<int>(std::floor(u)), r = static_cast<int>(std::floor(v));
  float fu = u - c, fv = v - r;
  return lerp(lerp(at(c, r), at(c + 1, r), fu), lerp(at(c, r + 1), at(c + 1, r + 1), fu), fv);
}

TrackBuilder::TrackBuilder(int size_exp, float spacing,
                           const std::function<float(float, float)>& base) {
  ground_.size_exp = size_exp;
  ground_.spacing = spacing;
  ground_.tile_side = 1 << size_exp;
  ground_.side = 2 * ground_.tile_side + 1;
  size_t count = size_t(ground_.side) * ground_.side;
  base_.resize(count);
  for (int r = 0; r < ground_.side; ++r) {
    for (int c = 0; c < ground_.side; ++c)
      base_[size_t(r) * ground_.side + c] = base(c * spacing, r * spacing);
  }
  ground_.heights = base_;
  ground_.on_track.assign(count, 0);
  ground_.tilemap.assign(size_t(ground_.tile_side) * ground_.tile_side, 0);
}

void TrackBuilder::follow_land(CourseLine& line, float window) const {
  std::vector<float> y;
  for (const LinePoint& p : line.points) y.push_back(ground_.height(p.x, p.z));
  smooth(y, static_cast<int>(window / 2), line.closed);
  for (size_t i = 0; i < y.size(); ++i) line.points[i].y = y[i];
}

void TrackBuilder::blend_end_into(CourseLine& line, const CourseLine& target, float target_s,
                                  float blend_length) {
  float goal = target.points[size_t(line_index_at(target, target_s))].y;
  for (LinePoint& p : line.points) {
    float t = smoothstep(1.0f - (line.length - p.s) / blend_length);
    p.y = lerp(p.y, goal, t);
  }
}

void TrackBuilder::bank_turns(CourseLine& line, const CarveOptions& o) const {
  std::vector<float> bank;
  for (const LinePoint& p : line.points) {
    float k = std::fabs(p.curvature);
    float b = std::min(o.max_bank, o.berm_gain * std::max(0.0f, k - o.berm_threshold));
    // The outside of the turn (away from the normal when curving toward it) stands higher.
    bank.push_back(p.curvature > 0 ? -b : b);
  }
  smooth(bank, 10, line.closed);
  for (size_t i = 0; i < bank.size(); ++i) line.points[i].bank = bank[i];
}

void TrackBuilder::set_bank(CourseLine& line, float s0, float s1, float off_camber) {
  for (LinePoint& p : line.points) {
    float w = zone_weight(line, p, s0, s1, 25.0f);
    if (w <= 0) continue;
    // Off camber: the outside of the turn is the low side.
    float target = p.curvature > 0 ? off_camber : -off_camber;
    p.bank = lerp(p.bank, target, w);
  }
}

void TrackBuilder::set_tile(CourseLine& line, float s0, float s1, int tile) {
  for (LinePoint& p : line.points) {
    if (zone_weight(line, p, s0, s1, 0) > 0) p.tile = tile;
  }
}

void TrackBuilder::set_half_width(CourseLine& line, float s0, float s1, float from, float to) {
  for (LinePoint& p : line.points) {
    if (p.s < s0 || p.s > s1) continue;
    p.half_width = lerp(from, to, smoothstep((p.s - s0) / (s1 - s0)));
  }
}

float TrackBuilder::section_height(const LinePoint& p, float u) {
  float hw = p.half_width;
  float uc = clampf(u, -hw, hw);
  float h = p.y + p.bank * uc;
  return h;
}

void TrackBuilder::carve(const std::vector<const CourseLine*>& lines, const CarveOptions& o) {
  const int side = ground_.side;
  const float d = ground_.spacing;
  size_t count = size_t(side) * side;
  std::vector<float> best(count, std::numeric_limits<float>::max());
  std::vector<int> best_line(count, -1), best_index(count, 0);
  for (size_t l = 0; l < lines.size(); ++l) {
    const CourseLine& line = *lines[l];
    for (size_t i = 0; i < line.points.size(); ++i) {
      const LinePoint& p = line.points[i];
      float reach = p.half_width + o.shoulder;
      int c0 = std::max(0, int(std::floor((p.x - reach) / d)));
      int c1 = std::min(side - 1, int(std::ceil((p.x + reach) / d)));
      int r0 = std::max(0, int(std::floor((p.z - reach) / d)));
      int r1 = std::min(side - 1, int(std::ceil((p.z + reach) / d)));
      for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
          float dx = c * d - p.x, dz = r * d - p.z;
          float d2 = dx * dx + dz * dz;
          size_t k = size_t(r) * side + c;
          if (d2 <= reach * reach && d2 < best[k]) {
            best[k] = d2;
            best_line[k] = int(l);
            best_index[k] = int(i);
          }
        }
      }
    }
  }
  std::vector<float> lateral(count, 1e9f);
  std::vector<int> tile_of(count, o.off_track_tile);
  for (int r = 0; r < side; ++r) {
    for (int c = 0; c < side; ++c) {
      size_t k = size_t(r) * side + c;
      if (best_line[k] < 0) continue;
      const CourseLine& line = *lines[size_t(best_line[k])];
      int m = int(line.points.size());
      int i = best_index[k];
      float px = c * d, pz = r * d;
      // Refine onto the neighbouring segment that the sample projects onto.
      LinePoint a = line.points[size_t(i)];
      LinePoint b = a;
      float t = 0;
      for (int dir : {1, -1}) {
        int j = i + dir;
        if (line.closed) j = (j + m) % m;
        if (j < 0 || j >= m) continue;
        const LinePoint& q = line.points[size_t(j)];
        float sx = q.x - a.x, sz = q.z - a.z;
        float len2 = sx * sx + sz * sz;
        float tt = len2 > 0 ? ((px - a.x) * sx + (pz - a.z) * sz) / len2 : 0;
        if (tt > 0) {
          b = q;
          t = std::min(tt, 1.0f);
          break;
        }
      }
      LinePoint p = a;
      p.x = lerp(a.x, b.x, t);
      p.z = lerp(a.z, b.z, t);
      p.y = lerp(a.y, b.y, t);
      p.bank = lerp(a.bank, b.bank, t);
      p.half_width = lerp(a.half_width, b.half_width, t);
      float u = (px - p.x) * (-a.tz) + (pz - p.z) * a.tx;
      float hw = p.half_width;
      float au = std::fabs(u);
      float edge = section_height(p, u);
      // A lip on the high side of a banked turn holds riders in.
      if (p.bank * u > 0) {
        float lip_height = o.lip * std::fabs(p.bank) * hw;
        float shape = au <= hw ? smoothstep((au - 0.6f * hw) / (0.4f * hw))
                               : 1.0f - smoothstep((au - hw) / 7.0f);
        edge += lip_height * shape;
      }
      float blend = au <= hw ? 0.0f : smoothstep((au - hw) / o.shoulder);
      ground_.heights[k] = lerp(edge, base_[k], blend);
      lateral[k] = au - hw;
      tile_of[k] = p.tile;
      if (au <= hw) ground_.on_track[k] = 1;
    }
  }
  for (int j = 0; j < ground_.tile_side; ++j) {
    for (int i = 0; i < ground_.tile_side; ++i) {
      size_t k = size_t(2 * j + 1) * side + size_t(2 * i + 1);
      int tile = o.off_track_tile;
      if (lateral[k] <= 1.5f) {
        tile = tile_of[k];
      } else if (lateral[k] <= 6.0f) {
        tile = o.shoulder_tile;
      }
      ground_.tilemap[size_t(j) * ground_.tile_side + i] = static_cast<uint8_t>(tile);
    }
  }
}

void TrackBuilder::paint_tiles(const std::function<int(float, float, int)>& paint) {
  const float cell = 2 * ground_.spacing;
  for (int j = 0; j < ground_.tile_side; ++j) {
    for (int i = 0; i < ground_.tile_side; ++i) {
      size_t k = size_t(2 * j + 1) * ground_.side + size_t(2 * i + 1);
      if (ground_.on_track[k]) continue;
      uint8_t& t = ground_.tilemap[size_t(j) * ground_.tile_side + i];
      t = static_cast<uint8_t>(paint((i + 0.5f) * cell, (j + 0.5f) * cell, t));
    }
  }
}

float TrackBuilder::tightest_pass(const std::vector<const CourseLine*>& lines, float apart) {
  float tightest = std::numeric_limits<float>::max();
  for (size_t la = 0; la < lines.size(); ++la) {
    for (size_t lb = la; lb < lines.size(); ++lb) {
      const CourseLine& A = *lines[la];
      const CourseLine& B = *lines[lb];
      for (size_t i = 0; i < A.points.size(); i += 4) {
        for (size_t j = (la == lb ? i : 0); j < B.points.size(); j += 4) {
          const LinePoint& p = A.points[i];
          const LinePoint& q = B.points[j];
          if (la == lb) {
            float ds = std::fabs(p.s - q.s);
            if (A.closed) ds = std::min(ds, A.length - ds);
            if (ds < apart) continue;
          } else if ((!A.closed && A.length - p.s < apart) ||
                     (!B.closed && B.length - q.s < apart)) {
            continue;  // an open line meets the other one at its end
          }
          float gap = std::hypot(p.x - q.x, p.z - q.z) - p.half_width - q.half_width;
          tightest = std::min(tightest, gap);
        }
      }
    }
  }
  return tightest;
}

}  // namespace kit
