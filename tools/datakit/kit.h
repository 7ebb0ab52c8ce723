// Shared helpers of the data kit: small vector maths, the kit's own random numbers (the
// output must not depend on the C++ library's generators), value noise and file output.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace kit {

struct V3 {
  float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline float dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(V3 a) {
  return std::sqrt(dot(a, a));
}
inline V3 normalise(V3 a) {
  float l = length(a);
  return l > 0 ? a * (1.0f / l) : V3{0, 1, 0};
}

constexpr float kPi = 3.14159265358979f;

inline float clampf(float v, float lo, float hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}
inline float smoothstep(float t) {
  t = clampf(t, 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}
inline float lerp(float a, float b, float t) {
  return a + (b - a) * t;
}

// SplitMix64: tiny, fast and the same on every machine.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  float uniform() { return static_cast<float>(next() >> 40) / static_cast<float>(1 << 24); }
  float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

// Smooth value noise in 0..1 on an integer lattice hashed with a seed.
float value_noise(float x, float y, uint32_t seed);
// Sum of octaves of value noise, roughly in 0..1.
float fractal_noise(float x, float y, int octaves, uint32_t seed);

// Writes a file under the output root, creating its directories. Returns false (and says so
// on standard error) when it cannot.
bool write_file(const std::string& root, const std::string& name, const std::string& bytes);

}  // namespace kit
