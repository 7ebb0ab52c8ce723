#include "track_textures.h"

#include <cmath>

#include "image.h"
#include "surface_maps.h"

namespace kit {

namespace {

// Noise that wraps around a square picture, so that ground tiles repeat without seams.
float wrapped_noise(float x, float y, float period, int octaves, uint32_t seed) {
  float sum = 0, amp = 0.5f, total = 0;
  for (int o = 0; o < octaves; ++o) {
    int p = static_cast<int>(period) << o;
    float fx = x * (1 << o), fy = y * (1 << o);
    int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    float tx = smoothstep(fx - x0), ty = smoothstep(fy - y0);
    auto lat = [&](int a, int b) {
      a = ((a % p) + p) % p, b = ((b % p) + p) % p;
      return value_noise(float(a), float(b), seed + uint32_t(o) * 31u);
    };
    float v = lerp(lerp(lat(x0, y0), lat(x0 + 1, y0), tx),
                   lerp(lat(x0, y0 + 1), lat(x0 + 1, y0 + 1), tx), ty);
    sum += amp * v;
    total += amp;
    amp *= 0.5f;
  }
  return sum / total;
}

Image ground_picture(Rgba dark, Rgba light, float period, uint32_t seed, float speckle) {
  constexpr int kSize = 256;
  Image img(kSize, kSize);
  Rng rng(seed);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      float n = wrapped_noise(x * period / kSize, y * period / kSize, period, 5, seed);
      float grain = (rng.uniform() - 0.5f) * speckle;
      img.at(x, y) = mix(dark, light, clampf(n * 1.4f - 0.2f + grain, 0, 1));
    }
  }
  return img;
}

void add_clods(Image& img, Rgba colour, int count, float size, uint64_t seed) {
  Rng rng(seed);
  for (int i = 0; i < count; ++i) {
    float x = rng.range(0, float(img.width)), y = rng.range(0, float(img.height));
    float r = size * rng.range(0.5f, 1.2f);
    Rgba c = shade(colour, rng.range(0.8f, 1.2f));
    // Drawn at the wrapped positions too, so clods cross the edges cleanly.
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        fill_circle(img, x + dx * img.width, y + dy * img.height, r, c);
        fill_circle(img, x + dx * img.width - r * 0.3f, y + dy * img.height - r * 0.3f, r * 0.5f,
                    shade(c, 1.25f));
      }
    }
  }
}

Image grass_picture(uint32_t seed) {
  Image img = ground_picture({52, 82, 30, 255}, {98, 138, 52, 255}, 8, seed, 0.5f);
  Rng rng(seed + 1);
  for (int i = 0; i < 1800; ++i) {
    float x = rng.range(0, 256), y = rng.range(0, 256);
    float len = rng.range(3, 7), lean = rng.range(-2, 2);
    Rgba c = rng.uniform() < 0.5f ? Rgba{120, 160, 62, 255} : Rgba{40, 70, 26, 255};
    draw_line(img, x, y, x + lean, y - len, 1.0f, c);
  }
  return img;
}

// The sky seen in one direction: horizon haze blending to the zenith, clouds on a plane
// high above, and a ring of distant hills. Every face and the reflection map are drawn from
// it, so the clouds run on across the cube's edges.
struct SkyColours {
  Rgba zenith, horizon, hills, cloud;
  uint32_t seed;
};

Rgba sky_colour(const SkyColours& k, V3 dir) {
  dir = normalise(dir);
  float azimuth_x = dir.x, azimuth_z = dir.z;
  float flat = std::sqrt(azimuth_x * azimuth_x + azimuth_z * azimuth_z);
  if (flat > 1e-6f) azimuth_x /= flat, azimuth_z /= flat;
  // The hills' height (as a slope) follows the direction round the horizon, seamlessly.
  float hill = 0.03f + 0.05f * fractal_noise(azimuth_x * 3 + 9, azimuth_z * 3 + 9, 4, k.seed + 9);
  float slope = dir.y / std::max(flat, 1e-6f);
  if (slope < hill) return shade(k.hills, 0.8f + 0.2f * clampf((hill - slope) / hill, 0, 1));
  float up = clampf(dir.y, 0, 1);
  Rgba c = mix(k.horizon, k.zenith, std::pow(up, 0.6f));
  // Clouds where the view meets a plane above; they thin out toward the horizon.
  float reach = 1.0f / std::max(dir.y, 0.05f);
  float n = fractal_noise(dir.x * reach * 2.2f + 50, dir.z * reach * 2.2f + 50, 5, k.seed);
  float amount = smoothstep((n - 0.55f) / 0.2f) * smoothstep(up * 4);
  return mix(c, k.cloud, amount * 0.8f);
}

// One face of the sky cube, as the scene lays it: its texture coordinates run from 1/128 to
// 127/128 across the face, so the picture reaches a little past the cube's edges.
Image sky_face(int face, const SkyColours& k) {
  static const float kCorners[5][3][3] = {
      {{-1, 1, -1}, {1, 1, -1}, {-1, -1, -1}},  // north: top-left, top-right, bottom-left
      {{1, 1, -1}, {1, 1, 1}, {1, -1, -1}},    {{1, 1, 1}, {-1, 1, 1}, {1, -1, 1}},
      {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, 1}},  {{-1, 1, 1}, {1, 1, 1}, {-1, 1, -1}},
  };
  constexpr int kSize = 256;
  Image img(kSize, kSize);
  const auto& c = kCorners[face];
  V3 origin{c[0][0], c[0][1], c[0][2]};
  V3 across = V3{c[1][0], c[1][1], c[1][2]} - origin;
  V3 down = V3{c[2][0], c[2][1], c[2][2]} - origin;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      float u = ((x + 0.5f) / kSize - 1.0f / 128) * 128.0f / 126.0f;
      float v = ((y + 0.5f) / kSize - 1.0f / 128) * 128.0f / 126.0f;
      img.at(x, y) = sky_colour(k, origin + across * u + down * v);
    }
  }
  return img;
}

// The reflection map: the sky dome seen from above in polar form, straight up at the centre,
// the horizon a quarter of the width out and straight down at the rim.
Image sky_environment(const SkyColours& k, Rgba ground) {
  constexpr int kSize = 128;
  Image img(kSize, kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      float dx = (x + 0.5f) / kSize - 0.5f, dz = (y + 0.5f) / kSize - 0.5f;
      float r = std::sqrt(dx * dx + dz * dz);
      float angle = r * 2 * kPi;
      if (angle >= kPi / 2) {
        img.at(x, y) = shade(ground, 0.7f + 0.3f * clampf((kPi - angle) / (kPi / 2), 0, 1));
        continue;
      }
      float s = r > 1e-6f ? std::sin(angle) / r : 0;
      img.at(x, y) = sky_colour(k, {dx * s, std::cos(angle), dz * s});
    }
  }
  return img;
}

Image tree_picture(bool pine, uint64_t seed) {
  Image img(128, 256, {0, 0, 0, 0});
  Rng rng(seed);
  fill_rect(img, 58, 170, 70, 256, {80, 55, 35, 255});
  if (pine) {
    for (int layer = 0; layer < 6; ++layer) {
      float top = 20 + layer * 28.0f, bottom = top + 60;
      float half = 18 + layer * 9.0f;
      fill_polygon(img, {{64, top}, {64 + half, bottom}, {64 - half, bottom}},
                   shade({34, 74, 40, 255}, 0.8f + 0.08f * layer));
    }
  } else {
    for (int i = 0; i < 70; ++i) {
      float a = rng.range(0, 2 * kPi), r = rng.range(0, 44);
      float x = 64 + std::cos(a) * r, y = 95 + std::sin(a) * r * 0.9f;
      fill_circle(img, x, y, rng.range(12, 20), shade({60, 100, 40, 255}, rng.range(0.75f, 1.2f)));
    }
  }
  return img;
}

std::string sky_face_file(const std::string& dir, size_t face) {
  return dir + "/sky-" + "neswu"[face] + ".ppm";
}

std::string sky_env_file(const std::string& dir) {
  return dir + "/sky-env.ppm";
}

// The five faces (north, east, south, west, up) and the environment map, whose lower half
// shows `ground`.
bool write_sky(const std::string& root, const std::string& dir, Rgba zenith, Rgba horizon,
               Rgba hills, Rgba cloud, uint32_t seed, Rgba ground) {
  const SkyColours k{zenith, horizon, hills, cloud, seed};
  bool ok = true;
  for (int f = 0; f < 5; ++f) {
    ok &= write_file(root, sky_face_file(dir, size_t(f)), encode_ppm(sky_face(f, k)));
  }
  ok &= write_file(root, sky_env_file(dir), encode_ppm(sky_environment(k, ground)));
  return ok;
}

// A ground tile with the normal and specular maps the terrain's shader path reads.
bool write_tile(const std::string& root, const std::string& stem, const Image& picture) {
  bool ok = write_file(root, stem + ".png", encode_png(picture, false));
  ok &= write_file(root, stem + "_tnorm.png", encode_png(ground_normal_map(picture, 3.0f), true));
  ok &= write_file(root, stem + "_tspec.png",
                   encode_png(ground_specular_map(picture, 0.25f, 12.0f), true));
  return ok;
}

}  // namespace

void name_track_sky(br::LightingFile& lighting, const std::string& dir) {
  for (size_t i = 0; i < lighting.sky.size(); ++i) lighting.sky[i] = "@" + sky_face_file(dir, i);
  lighting.sky_env = "@" + sky_env_file(dir);
}

bool write_outdoor_textures(const std::string& root, const std::string& dir) {
  const std::string d = dir + "/";
  bool ok = true;
  Image loam = ground_picture({70, 48, 32, 255}, {128, 92, 62, 255}, 8, 21, 0.3f);
  add_clods(loam, {92, 64, 42, 255}, 260, 2.5f, 22);
  ok &= write_tile(root, d + "loam", loam);
  Image hard = ground_picture({140, 115, 85, 255}, {182, 158, 122, 255}, 4, 23, 0.15f);
  add_clods(hard, {120, 98, 72, 255}, 60, 1.5f, 24);
  ok &= write_tile(root, d + "hardpack", hard);
  Image sand = ground_picture({190, 166, 118, 255}, {226, 206, 160, 255}, 16, 25, 0.45f);
  ok &= write_tile(root, d + "sand", sand);
  ok &= write_tile(root, d + "grass", grass_picture(26));
  ok &= write_sky(root, dir, {70, 120, 200, 255}, {190, 210, 230, 255}, {80, 105, 85, 255},
                  {250, 250, 252, 255}, 31, {90, 80, 60, 255});
  ok &= write_file(root, d + "tree-pine.png", encode_png(tree_picture(true, 41), true));
  ok &= write_file(root, d + "tree-oak.png", encode_png(tree_picture(false, 42), true));
  return ok;
}

bool write_stadium_textures(const std::string& root, const std::string& dir) {
  const std::string d = dir + "/";
  bool ok = true;
  Image loam = ground_picture({58, 40, 28, 255}, {110, 78, 52, 255}, 8, 51, 0.3f);
  add_clods(loam, {80, 56, 38, 255}, 300, 2.5f, 52);
  ok &= write_tile(root, d + "loam", loam);
  Image hard = ground_picture({120, 96, 70, 255}, {160, 134, 100, 255}, 4, 53, 0.15f);
  ok &= write_tile(root, d + "hardpack", hard);
  Image sand = ground_picture({180, 156, 110, 255}, {218, 196, 150, 255}, 16, 54, 0.45f);
  ok &= write_tile(root, d + "sand", sand);
  Image floor = ground_picture({88, 72, 58, 255}, {112, 96, 80, 255}, 4, 55, 0.2f);
  ok &= write_tile(root, d + "floor", floor);
  Image concrete = ground_picture({120, 120, 124, 255}, {150, 150, 155, 255}, 16, 56, 0.25f);
  for (int y = 0; y < 256; y += 32) fill_rect(concrete, 0, y, 256, y + 2, {90, 90, 95, 255});
  ok &= write_tile(root, d + "concrete", concrete);
  ok &= write_sky(root, dir, {8, 10, 30, 255}, {40, 42, 70, 255}, {22, 22, 28, 255},
                  {60, 60, 80, 255}, 61, {30, 25, 20, 255});
  return ok;
}

}  // namespace kit
