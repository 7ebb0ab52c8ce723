#include "bike/shape_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace br {

std::string format_shape(const std::vector<ShapeSphere>& spheres) {
  std::string out = std::to_string(spheres.size()) + "\n";
  for (const ShapeSphere& s : spheres) {
    char line[256];
    int n = std::snprintf(line, sizeof line, "%f %f %f %f %f %f %f\n", s.x, s.y, s.z, s.radius,
                          s.friction, s.stiffness, s.damping);
    out.append(line, static_cast<size_t>(n));
  }
  return out;
}

std::optional<std::vector<ShapeSphere>> parse_shape(const std::string& text) {
  const char* p = text.c_str();
  int count = 0;
  int used = 0;
  if (std::sscanf(p, "%d%n", &count, &used) != 1) return std::nullopt;
  if (count < 0 || count > kMaxShapeSpheres) return std::nullopt;
  p += used;
  std::vector<ShapeSphere> spheres(static_cast<size_t>(count));
  for (ShapeSphere& s : spheres) {
    float* fields[7] = {&s.x, &s.y, &s.z, &s.radius, &s.friction, &s.stiffness, &s.damping};
    for (float* f : fields) {
      if (std::sscanf(p, "%f%n", f, &used) != 1 || !std::isfinite(*f)) return std::nullopt;
      p += used;
    }
    // The contact tests' early outs compare against the radius; a negative one would let a
    // contact with a nonsensical depth through.
    if (s.radius < 0) return std::nullopt;
  }
  return spheres;
}

float shape_bounding_radius(const std::vector<ShapeSphere>& spheres) {
  float best = 0.0f;
  for (const ShapeSphere& s : spheres) {
    float r = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z) + s.radius;
    if (r > best) best = r;
  }
  return best;
}

}  // namespace br
