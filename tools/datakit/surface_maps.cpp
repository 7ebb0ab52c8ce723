#include "surface_maps.h"

#include <cmath>

#include "kit.h"

namespace kit {
namespace {

float brightness(const Image& p, int x, int y) {
  x = ((x % p.width) + p.width) % p.width;
  y = ((y % p.height) + p.height) % p.height;
  const Rgba& c = p.at(x, y);
  return (0.3f * c.r + 0.59f * c.g + 0.11f * c.b) / 255.0f;
}

// The surface normal at a texel with x to the right and y up the picture, z out of it.
V3 bump_normal(const Image& p, int x, int y, float bump) {
  float dx = brightness(p, x + 1, y) - brightness(p, x - 1, y);
  float dy = brightness(p, x, y - 1) - brightness(p, x, y + 1);  // rows run downward
  return normalise({-dx * bump, -dy * bump, 1.0f});
}

uint8_t unit_byte(float v) {
  return static_cast<uint8_t>(std::lround(clampf((v + 1.0f) * 127.5f, 0, 255)));
}

uint8_t fraction_byte(float v) {
  return static_cast<uint8_t>(std::lround(clampf(v, 0, 1) * 255.0f));
}

}  // namespace

Image model_normal_map(const Image& picture, float bump) {
  Image out(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      V3 n = bump_normal(picture, x, y, bump);
      out.at(x, y) = {unit_byte(n.x), unit_byte(n.y), unit_byte(n.z), 255};
    }
  }
  return out;
}

Image ground_normal_map(const Image& picture, float bump) {
  Image out(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      // On the ground the picture's x runs along the world's x and its rows along z; up is y.
      V3 t = bump_normal(picture, x, y, bump);
      out.at(x, y) = {unit_byte(-t.x), unit_byte(-t.y), unit_byte(t.z), picture.at(x, y).a};
    }
  }
  return out;
}

Image specular_map(const Image& picture, float strength, float exponent, bool follow) {
  Image out(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      float s = strength * (follow ? 0.4f + 0.6f * brightness(picture, x, y) : 1.0f);
      uint8_t v = fraction_byte(s);
      out.at(x, y) = {v, v, v, fraction_byte(exponent / 128.0f)};
    }
  }
  return out;
}

Image ground_specular_map(const Image& picture, float strength, float exponent) {
  Image out(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      float s = strength * brightness(picture, x, y);
      out.at(x, y) = {fraction_byte(s), fraction_byte(exponent / 128.0f), 0, picture.at(x, y).a};
    }
  }
  return out;
}

}  // namespace kit
