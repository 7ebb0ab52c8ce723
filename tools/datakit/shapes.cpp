// Collision shapes fitted to the parts they stand for. Each is in its body's own frame: the
// body positions of the catalogue are the origins (frame at 1.98 ft up and 3.6 ft back of
// the bike's origin, and so on); the bike faces -z, x to the rider's right.
#include "shapes.h"

#include <cmath>

#include "kit.h"

namespace kit {

namespace {

using br::ShapeSphere;

// Plastic and metal slide on dirt; tyres and the rider's gear grip more.
constexpr float kSlide = 0.6f, kGrip = 1.0f, kRider = 0.8f;

ShapeSphere sphere(float x, float y, float z, float r, float friction) {
  return {x, y, z, r, friction, 1.0f, 1.0f};
}

std::vector<ShapeSphere> mirrored(std::vector<ShapeSphere> centre_line,
                                  const std::vector<ShapeSphere>& sides) {
  for (const ShapeSphere& s : sides) {
    centre_line.push_back(s);
    ShapeSphere m = s;
    m.x = -s.x;
    centre_line.push_back(m);
  }
  return centre_line;
}

std::vector<ShapeSphere> wheel(float ring, float tube) {
  std::vector<ShapeSphere> out;
  for (int i = 0; i < 12; ++i) {
    float a = 2 * kPi * i / 12;
    out.push_back(sphere(0, ring * std::cos(a), ring * std::sin(a), tube, kGrip));
  }
  return out;
}

}  // namespace

std::vector<std::pair<std::string, std::vector<br::ShapeSphere>>> generic_shapes() {
  std::vector<std::pair<std::string, std::vector<ShapeSphere>>> shapes;
  shapes.emplace_back(
      "generic_frame.shp",
      mirrored(
          {sphere(0, -0.5f, -0.1f, 0.45f, kSlide), sphere(0, -0.6f, 0.35f, 0.4f, kSlide),
           sphere(0, 0.7f, -1.1f, 0.4f, kSlide), sphere(0, 0.95f, 0.3f, 0.35f, kSlide),
           sphere(0, 1.0f, 1.2f, 0.32f, kSlide), sphere(0, 1.05f, 2.2f, 0.3f, kSlide)},
          {sphere(0.4f, 0.5f, -0.9f, 0.3f, kSlide), sphere(0.6f, -0.557f, 0.584f, 0.15f, kSlide),
           sphere(0.35f, 0.6f, 1.8f, 0.2f, kSlide)}));
  shapes.emplace_back(
      "generic_fork_upper.shp",
      mirrored({sphere(0, 0, 0, 0.25f, kSlide), sphere(0, 1.05f, 0.6f, 0.2f, kSlide),
                sphere(0, 0.35f, -0.35f, 0.3f, kSlide)},
               {sphere(1.097f, 1.145f, 0.753f, 0.15f, kSlide),
                sphere(0.55f, 1.1f, 0.68f, 0.15f, kSlide)}));
  shapes.emplace_back("generic_fork_lower.shp",
                      mirrored({}, {sphere(0.42f, -0.3f, -0.2f, 0.15f, kSlide),
                                    sphere(0.42f, -0.65f, -0.45f, 0.13f, kSlide)}));
  shapes.emplace_back("generic_swingarm.shp",
                      mirrored({}, {sphere(0.35f, 0.1f, -0.4f, 0.18f, kSlide),
                                    sphere(0.35f, -0.1f, 0.3f, 0.16f, kSlide),
                                    sphere(0.35f, -0.28f, 0.9f, 0.13f, kSlide)}));
  shapes.emplace_back("front_wheel.shp", wheel(0.8333f, 0.3333f));
  shapes.emplace_back("rear_wheel.shp", wheel(0.75f, 0.3333f));
  shapes.emplace_back(
      "generic_rider.shp",
      mirrored({sphere(0, 0, 0, 0.55f, kRider), sphere(0, 0.4f, -0.35f, 0.5f, kRider),
                sphere(0, 0.98f, -0.95f, 0.45f, kRider), sphere(0, -0.5f, 0.6f, 0.5f, kRider)},
               {sphere(0.556f, 0.58f, -0.654f, 0.3f, kRider),
                sphere(0.55f, -1.2f, -0.2f, 0.3f, kRider)}));
  return shapes;
}

bool write_generic_shapes(const std::string& root) {
  bool ok = true;
  for (const auto& [name, spheres] : generic_shapes())
    ok &= write_file(root, name, br::format_shape(spheres));
  return ok;
}

}  // namespace kit
