#include "kit.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kit {

namespace {

float lattice(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xffffff) / static_cast<float>(0xffffff);
}

}  // namespace

float value_noise(float x, float y, uint32_t seed) {
  int x0 = static_cast<int>(std::floor(x));
  int y0 = static_cast<int>(std::floor(y));
  float fx = smoothstep(x - x0);
  float fy = smoothstep(y - y0);
  float a = lerp(lattice(x0, y0, seed), lattice(x0 + 1, y0, seed), fx);
  float b = lerp(lattice(x0, y0 + 1, seed), lattice(x0 + 1, y0 + 1, seed), fx);
  return lerp(a, b, fy);
}

float fractal_noise(float x, float y, int octaves, uint32_t seed) {
  float sum = 0, amplitude = 0.5f, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * value_noise(x, y, seed + static_cast<uint32_t>(i) * 101u);
    total += amplitude;
    x *= 2.03f;
    y *= 2.03f;
    amplitude *= 0.5f;
  }
  return sum / total;
}

bool write_file(const std::string& root, const std::string& name, const std::string& bytes) {
  std::filesystem::path path = std::filesystem::path(root) / name;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "datakit: can't write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

}  // namespace kit
